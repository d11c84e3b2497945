// SPDX-License-Identifier: GPL-3.0-or-later
#include "avvio/messaggi.h"

#include "parole/parole.h"

namespace legge {

std::string TestoErrore(std::string_view premessa, const std::exception &errore)
{
    std::string testo(premessa);
    testo += "\n\n";
    if (const auto *file = dynamic_cast<const ErroreFile *>(&errore)) {
        const std::u8string nome = file->percorso().u8string();
        testo += "File: ";
        testo.append(nome.begin(), nome.end());
        testo += "\nMotivo: ";
        testo += MotivoErrore(*file);
    } else {
        testo += "Motivo: ";
        testo += errore.what();
    }
    return testo;
}

} // namespace legge
