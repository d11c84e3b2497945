// SPDX-License-Identifier: GPL-3.0-or-later
// Dates to law numbers: the Gregorian leap-year rule, and 29 February set apart as law 500.
#include "leggi/giorno.h"

#include <stdexcept>

namespace legge {

namespace {

bool bisestile(int anno)
{
    return (anno % 4 == 0 && anno % 100 != 0) || anno % 400 == 0;
}

} // namespace

std::array<int, 13> Mesi(int anno)
{
    std::array<int, 13> mesi{0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (bisestile(anno))
        mesi[2] = 29;
    return mesi;
}

int NumeroDelGiorno(const Data &data)
{
    if (data.mese < 1 || data.mese > 12)
        throw std::out_of_range("month outside 1..12");
    const auto mesi = Mesi(data.anno);
    int numero = data.giorno;
    for (int m = 1; m < data.mese; ++m)
        numero += mesi[m];
    if (mesi[2] == 29 && numero == 60)
        numero = NumeroVentinoveFebbraio;
    return numero;
}

} // namespace legge
