// SPDX-License-Identifier: GPL-3.0-or-later
// Windows-1252 both ways. Any byte string survives the trip to UTF-8 and back unchanged;
// any UTF-8 input either converts and comes back unchanged, or is refused at the first
// character that has no byte, with its line and column counted correctly.
#include "fileinmemoria.h"

#include "leggi/cp1252.h"

#include <string>
#include <string_view>

using namespace legge;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *dati, std::size_t dimensione)
{
    const std::string_view byte(reinterpret_cast<const char *>(dati), dimensione);

    const std::string utf8 = Cp1252InUtf8(byte);
    VERIFICA(utf8.size() >= byte.size() && utf8.size() <= 3 * byte.size());
    const ConversioneInCp1252 ritorno = Utf8InCp1252(utf8);
    VERIFICA(ritorno.riuscita);
    VERIFICA(ritorno.testo == byte);

    const ConversioneInCp1252 diretta = Utf8InCp1252(byte);
    if (diretta.riuscita) {
        VERIFICA(Cp1252InUtf8(diretta.testo) == byte);
        return 0;
    }
    VERIFICA(diretta.testo.empty());
    VERIFICA(diretta.posizione < dimensione);
    const std::string_view prima = byte.substr(0, diretta.posizione);
    const ConversioneInCp1252 parziale = Utf8InCp1252(prima);
    VERIFICA(parziale.riuscita);
    VERIFICA(Cp1252InUtf8(parziale.testo) == prima);

    std::size_t riga = 1, colonna = 1;
    for (const char c : parziale.testo) {
        if (c == '\n') {
            ++riga;
            colonna = 1;
        } else {
            ++colonna;
        }
    }
    VERIFICA(diretta.riga == riga && diretta.colonna == colonna);
    return 0;
}
