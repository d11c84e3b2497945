// SPDX-License-Identifier: GPL-3.0-or-later
// The options-file reader against the format read literally: the first line ends at the
// first CR or at the end of the file, and only an exact marker counts.
#include "fileinmemoria.h"

#include "opzioni/modo.h"
#include "sistema/errorefile.h"

#include <optional>
#include <string_view>

using namespace legge;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *dati, std::size_t dimensione)
{
    static FileInMemoria file("Option.dat");
    const auto &percorso = file.scrivi(dati, dimensione);

    const std::string_view testo(reinterpret_cast<const char *>(dati), dimensione);
    const std::string_view riga = testo.substr(0, testo.find('\r'));
    std::optional<Modo> atteso;
    if (riga == SegnoGiorno)
        atteso = ModoGiorno;
    else if (riga == SegnoCasuale)
        atteso = ModoCasuale;

    try {
        const std::optional<Modo> letto = LeggiModo(percorso);
        VERIFICA(dimensione > 0);
        VERIFICA(letto == atteso);
    } catch (const ErroreFile &errore) {
        VERIFICA(dimensione == 0);
        VERIFICA(errore.percorso() == percorso);
        VERIFICA(errore.tipo() == ErroreFile::Tipo::FileVuoto);
    }
    return 0;
}
