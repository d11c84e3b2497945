// SPDX-License-Identifier: GPL-3.0-or-later
// The standard streams, borrowed once and never closed, and text made safe for a terminal that
// would obey its control characters.
#include "sistema/flussi.h"

#include "sistema/nativo.h"

#include <cstdio>

namespace legge {

FileAperto &IngressoStandard()
{
    static FileAperto file =
        AccessoNativo::prestato(nativo::FlussoStandard(0), NomeIngressoStandard);
    return file;
}

FileAperto &UscitaStandard()
{
    static FileAperto file = AccessoNativo::prestato(nativo::FlussoStandard(1), NomeUscitaStandard);
    return file;
}

FileAperto &ErroreStandard()
{
    static FileAperto file = AccessoNativo::prestato(nativo::FlussoStandard(2), NomeErroreStandard);
    return file;
}

std::string SenzaControlli(std::string_view utf8, Controlli resa)
{
    const bool codici = resa != Controlli::Punti;
    std::string uscita;
    uscita.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        char codice[8];
        if (codici && (c == '\n' || c == '\t')) {
            if (resa == Controlli::Codici)
                uscita += static_cast<char>(c);
            else
                uscita += c == '\n' ? "\\n" : "\\t";
        } else if (codici && c == '\r') {
            uscita += "\\r";
        } else if (c < 0x20 || c == 0x7F) {
            std::snprintf(codice, sizeof codice, "\\x%02X", c);
            uscita += codici ? codice : "?";
        } else if (ApreControlloC1(utf8, i)) {
            std::snprintf(codice, sizeof codice, "\\u%04X", static_cast<unsigned char>(utf8[++i]));
            uscita += codici ? codice : "?";
        } else {
            uscita += static_cast<char>(c);
        }
    }
    return uscita;
}

} // namespace legge
