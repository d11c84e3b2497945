// SPDX-License-Identifier: GPL-3.0-or-later
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

} // namespace legge
