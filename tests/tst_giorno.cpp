// SPDX-License-Identifier: GPL-3.0-or-later
// Dates to law numbers: the edge days in a table, then every day of a common and a leap year held
// against the standard library's calendar.
#include "leggi/giorno.h"

#include <doctest/doctest.h>

#include <chrono>
#include <stdexcept>

using namespace legge;

TEST_CASE("numero del giorno")
{
    struct Riga {
        const char *nome;
        int anno, mese, giorno, atteso;
    };
    const Riga righe[] = {
        {"capodanno", 2023, 1, 1, 1},
        {"31 dicembre, anno comune", 2023, 12, 31, 365},
        {"28 febbraio, anno comune", 2023, 2, 28, 59},
        {"28 febbraio, bisestile", 2024, 2, 28, 59},
        {"29 febbraio", 2024, 2, 29, 500},
        {"1 marzo, bisestile", 2024, 3, 1, 61},
        {"1 marzo, anno comune", 2023, 3, 1, 60},
        {"31 dicembre, bisestile", 2024, 12, 31, 366},
        {"3 maggio, anno comune", 2023, 5, 3, 123},
        {"1900 non bisestile", 1900, 3, 1, 60},
        {"2000 bisestile", 2000, 2, 29, 500},
        {"2100 non bisestile", 2100, 12, 31, 365},
    };
    for (const auto &r : righe) {
        CAPTURE(r.nome);
        CHECK(NumeroDelGiorno({r.anno, r.mese, r.giorno}) == r.atteso);
    }
}

// Walks the calendar with an independent date type: every day of the year gets the next
// number, except that 29 February is 500 and 1 March goes on from 61.
TEST_CASE("ogni giorno dell'anno")
{
    using namespace std::chrono;
    for (const int anno : {2023, 2024}) {
        CAPTURE(anno);
        const auto mesi = Mesi(anno);
        for (unsigned mese = 1; mese <= 12; ++mese) {
            CAPTURE(mese);
            const year_month_day_last ultimo{year(anno) / month(mese) / last};
            CHECK(mesi[mese] == int(unsigned(ultimo.day())));
        }

        int numeri = 0;
        const sys_days primo{year(anno) / January / 1};
        for (sys_days d = primo; year_month_day(d).year() == year(anno); d += days(1), ++numeri) {
            const year_month_day data(d);
            const int mese = int(unsigned(data.month()));
            const int giorno = int(unsigned(data.day()));
            const int atteso = (mese == 2 && giorno == 29) ? 500 : int((d - primo).count()) + 1;
            CHECK(NumeroDelGiorno({anno, mese, giorno}) == atteso);
        }
        CHECK(numeri == (year(anno).is_leap() ? 366 : 365));
    }
}

TEST_CASE("mese non valido")
{
    CHECK_THROWS_AS(NumeroDelGiorno({2023, 13, 1}), std::out_of_range);
    CHECK_THROWS_AS(NumeroDelGiorno({2023, 0, 1}), std::out_of_range);
}
