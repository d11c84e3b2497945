// SPDX-License-Identifier: GPL-3.0-or-later
// The law files' character set: Windows-1252 to UTF-8 and back for what is shown and typed, and
// the folding that lets a search ignore case and accents.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace legge {

// Law files are Windows-1252. Bytes 0x80..0x9F follow the code page; the five bytes it
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 code point of the same
// value, as the platform's own converters do, so every byte has a character and back.
std::string Cp1252InUtf8(std::string_view testo);

char32_t CarattereCp1252(unsigned char byte);

// True for the five bytes that Windows-1252 does not define.
bool ByteIndefinitoCp1252(unsigned char byte);

struct ConversioneInCp1252 {
    std::string testo;
    bool riuscita = true;
    // Where the first character that has no Windows-1252 byte (or the first invalid
    // UTF-8 sequence) sits: byte offset in the input, 1-based line and column (in characters).
    std::size_t posizione = 0;
    std::size_t riga = 0;
    std::size_t colonna = 0;
    char32_t carattere = 0; // the offending character; 0 for invalid UTF-8
};

ConversioneInCp1252 Utf8InCp1252(std::string_view utf8);

// The character a search compares `c` as: lower case, without accents, with the typographic
// quotes made plain, one byte for one byte.
constexpr char PiegaCarattereCp1252(unsigned char c)
{
    const auto fra = [c](unsigned a, unsigned b) { return c >= a && c <= b; };
    if (fra('A', 'Z'))
        return static_cast<char>(c + ('a' - 'A'));
    if (fra(0xC0, 0xC5) || fra(0xE0, 0xE5))
        return 'a';
    if (c == 0xC7 || c == 0xE7)
        return 'c';
    if (fra(0xC8, 0xCB) || fra(0xE8, 0xEB))
        return 'e';
    if (fra(0xCC, 0xCF) || fra(0xEC, 0xEF))
        return 'i';
    if (c == 0xD1 || c == 0xF1)
        return 'n';
    if (fra(0xD2, 0xD6) || fra(0xF2, 0xF6) || c == 0xD8 || c == 0xF8)
        return 'o';
    if (fra(0xD9, 0xDC) || fra(0xF9, 0xFC))
        return 'u';
    if (c == 0xDD || c == 0xFD || c == 0xFF || c == 0x9F)
        return 'y';
    if (c == 0x8A || c == 0x9A)
        return 's';
    if (c == 0x8E || c == 0x9E)
        return 'z';
    // Capitals that keep their own letter: Æ, Ð, Þ, Œ.
    if (c == 0xC6 || c == 0xD0 || c == 0xDE)
        return static_cast<char>(c + 0x20);
    if (c == 0x8C)
        return '\x9C';
    if (c == 0x91 || c == 0x92)
        return '\'';
    if (c == 0x93 || c == 0x94)
        return '"';
    return static_cast<char>(c);
}

std::string PiegaCp1252(std::string_view testo);

// What a person types to search for, made ready for Utf8InCp1252 and PiegaCp1252: the
// combining accents that some keyboards and copied text give (e + U+0301) are dropped, as the
// search ignores accents anyway, and apostrophes that Windows-1252 lacks become plain ones.
// Bytes that are not UTF-8 pass unchanged, for the conversion to refuse.
std::string NormalizzaTestoDaCercare(std::string_view utf8);

} // namespace legge
