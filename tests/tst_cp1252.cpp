// SPDX-License-Identifier: GPL-3.0-or-later
// Windows-1252 both ways: every byte survives the trip through UTF-8, and a character with no
// byte is refused where it stands.
#include "leggi/cp1252.h"

#include <doctest/doctest.h>

#include <string>

using namespace legge;

TEST_CASE("andata e ritorno")
{
    std::string tutti;
    for (int b = 0; b < 256; ++b)
        tutti += char(b);
    const auto ritorno = Utf8InCp1252(Cp1252InUtf8(tutti));
    CHECK(ritorno.riuscita);
    CHECK(ritorno.testo == tutti);
}

TEST_CASE("carattere non rappresentabile")
{
    struct Riga {
        const char *nome;
        std::string_view testo; // UTF-8
        int riga, colonna, posizione;
    };
    const Riga righe[] = {
        {"freccia", "abc\n\u00e8\u2192", 2, 2, 6},
        {"emoji", "ok\n\n  \U0001F600", 3, 3, 6},
        {"C1 definito in cp1252", "x\u0080", 1, 2, 1},
    };
    for (const auto &r : righe) {
        CAPTURE(r.nome);
        const auto esito = Utf8InCp1252(r.testo);
        CHECK(!esito.riuscita);
        CHECK(int(esito.riga) == r.riga);
        CHECK(int(esito.colonna) == r.colonna);
        CHECK(int(esito.posizione) == r.posizione);
        CHECK(esito.testo.empty());
    }
}
