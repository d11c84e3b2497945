// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/uscita.h"

#include <cstdio>

namespace massime {

void Uscita::testo(std::string_view utf8)
{
    aggiungi(utf8, false);
}

void Uscita::byte(std::string_view dati)
{
    aggiungi(dati, true);
}

void Uscita::aggiungi(std::string_view dati, bool grezzo)
{
    if (grezzo != m_grezzo)
        svuota();
    m_grezzo = grezzo;
    m_attesa += dati;
    if (m_attesa.size() >= legge::DimensioneBlocco)
        svuota();
}

void Uscita::svuota()
{
    if (m_attesa.empty())
        return;
    const std::string attesa = std::move(m_attesa);
    m_attesa.clear();
    if (m_grezzo)
        m_file.scrivi(attesa);
    else
        m_file.scriviTesto(attesa);
}

Uscita &UscitaComandi()
{
    static Uscita uscita(legge::UscitaStandard());
    return uscita;
}

std::string Visibile(std::string_view utf8, bool suUnaRiga)
{
    std::string uscita;
    uscita.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        char codice[8];
        if (c == '\n' || c == '\t') {
            if (!suUnaRiga)
                uscita += static_cast<char>(c);
            else
                uscita += c == '\n' ? "\\n" : "\\t";
        } else if (c == '\r') {
            uscita += "\\r";
        } else if (c < 0x20 || c == 0x7F) {
            std::snprintf(codice, sizeof codice, "\\x%02X", c);
            uscita += codice;
        } else if (ApreControlloC1(utf8, i)) {
            std::snprintf(codice, sizeof codice, "\\u%04X", static_cast<unsigned char>(utf8[++i]));
            uscita += codice;
        } else {
            uscita += static_cast<char>(c);
        }
    }
    return uscita;
}

} // namespace massime
