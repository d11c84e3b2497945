// SPDX-License-Identifier: GPL-3.0-or-later
// The shared words: why a file failed, in a phrase that follows its name in any message, and the
// version's notice.
#include "parole/parole.h"

#include <cstdint>

namespace legge {

namespace {

// What stands at the path, and whether it is "lo" or "la" that is left as it is.
struct Descrizione {
    const char *testo;
    bool femminile;
};

Descrizione descrizione(ErroreFile::Tipo tipo)
{
    switch (tipo) {
    case ErroreFile::Tipo::Sistema:
        break;
    case ErroreFile::Tipo::FileVuoto:
        return {"il file è vuoto", false};
    case ErroreFile::Tipo::Cartella:
        return {"è una cartella, non un file", true};
    case ErroreFile::Tipo::Fifo:
        return {"è una FIFO, non un file", true};
    case ErroreFile::Tipo::Socket:
        return {"è un socket, non un file", false};
    case ErroreFile::Tipo::Dispositivo:
        return {"è un dispositivo, non un file", false};
    case ErroreFile::Tipo::Pipe:
        return {"è una pipe, non un file", true};
    case ErroreFile::Tipo::NonRegolare:
        return {"non è un file regolare", false};
    case ErroreFile::Tipo::SolaLettura:
        return {"il file è di sola lettura", false};
    case ErroreFile::Tipo::NonCartella:
        return {"esiste ma non è una cartella", false};
    case ErroreFile::Tipo::Bloccato:
        return {"un altro programma lo tiene bloccato", false};
    case ErroreFile::Tipo::SenzaLeggi:
        return {"non contiene leggi: è danneggiato, o non è un file di leggi", false};
    }
    return {"", false};
}

} // namespace

std::string MotivoErrore(const ErroreFile &errore)
{
    if (errore.tipo() == ErroreFile::Tipo::Sistema) {
        if (!errore.motivoDiSistema().empty())
            return errore.motivoDiSistema();
        return "errore di sistema " + std::to_string(static_cast<std::uint32_t>(errore.codice()));
    }
    const Descrizione cosa = descrizione(errore.tipo());
    std::string motivo = cosa.testo;
    if (errore.operazione() == ErroreFile::Operazione::Scrittura)
        motivo += cosa.femminile ? ": la lascio com'è" : ": lo lascio com'è";
    return motivo;
}

std::string TestoVersione(std::string_view versione)
{
    std::string testo = "Una Legge al Giorno ";
    testo += versione;
    testo += "\nLicenza GPL versione 3 o successiva: <https://www.gnu.org/licenses/gpl.html>.\n"
             "È software libero: puoi modificarlo e ridistribuirlo. Non c'è alcuna garanzia.\n";
    return testo;
}

} // namespace legge
