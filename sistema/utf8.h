// SPDX-License-Identifier: GPL-3.0-or-later
// UTF-8 read one character at a time: the text of arguments, file names and what a person
// edits all arrive in it.
#pragma once

#include <cstddef>
#include <string_view>

namespace legge {

// How many bytes the sequence opened by `primo` claims: 1 for ASCII and for a byte that opens
// none (a continuation, 0xF8 and above), so that a faulty byte can be shown or skipped alone.
constexpr std::size_t LunghezzaUtf8(unsigned char primo)
{
    return primo >= 0xF0 && primo < 0xF8   ? 4
           : primo >= 0xE0 && primo < 0xF0 ? 3
           : primo >= 0xC0 && primo < 0xE0 ? 2
                                           : 1;
}

// Decodes the character at `testo[i]` into `c`; returns its length, or 0 when no well-formed
// character starts there (a truncated or overlong sequence, a surrogate, past U+10FFFF).
constexpr std::size_t DecodificaUtf8(std::string_view testo, std::size_t i, char32_t &c)
{
    const auto primo = static_cast<unsigned char>(testo[i]);
    const std::size_t lunghezza = LunghezzaUtf8(primo);
    if (lunghezza == 1) {
        c = primo;
        return primo < 0x80 ? 1 : 0;
    }
    if (i + lunghezza > testo.size())
        return 0;
    constexpr char32_t Minimi[] = {0, 0, 0x80, 0x800, 0x10000};
    char32_t valore = primo & (0xFF >> (lunghezza + 1));
    for (std::size_t k = 1; k < lunghezza; ++k) {
        const auto seguito = static_cast<unsigned char>(testo[i + k]);
        if ((seguito & 0xC0) != 0x80)
            return 0;
        valore = (valore << 6) | (seguito & 0x3F);
    }
    if (valore < Minimi[lunghezza] || valore > 0x10FFFF || (valore >= 0xD800 && valore <= 0xDFFF))
        return 0;
    c = valore;
    return lunghezza;
}

} // namespace legge
