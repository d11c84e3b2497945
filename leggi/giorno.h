// SPDX-License-Identifier: GPL-3.0-or-later
// The calendar behind the day mode: which law number a date stands for, leap years included.
#pragma once

#include <array>

namespace legge {

// The law of 29 February has a number of its own, outside the days of the year.
inline constexpr int NumeroVentinoveFebbraio = 500;
// The last day of a leap year.
inline constexpr int UltimoGiornoDellAnno = 366;

// Whether some day shows the law numbered `numero`: the window never shows any other.
constexpr bool NumeroDiUnGiorno(int numero)
{
    return (numero >= 1 && numero <= UltimoGiornoDellAnno) || numero == NumeroVentinoveFebbraio;
}

struct Data {
    int anno;
    int mese;   // 1..12
    int giorno; // 1..31
};

// Month lengths for `anno`, January in slot 1; slot 0 is unused.
std::array<int, 13> Mesi(int anno);

// The number of the law for `data`: its day of the year, except 29 February, which is
// 500. Throws std::out_of_range for a month outside 1..12.
int NumeroDelGiorno(const Data &data);

} // namespace legge
