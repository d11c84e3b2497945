// SPDX-License-Identifier: GPL-3.0-or-later
// The conversions between the law files' Windows-1252 and the UTF-8 the rest of the program
// speaks, and the folding a search compares text by.
#include "leggi/cp1252.h"

#include "sistema/utf8.h"

#include <array>

namespace legge {

namespace {

// 0x80..0x9F; the undefined bytes keep their own value.
constexpr std::array<char16_t, 32> Alti{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void aggiungiUtf8(std::string &uscita, char32_t c)
{
    if (c < 0x80) {
        uscita += static_cast<char>(c);
    } else if (c < 0x800) {
        uscita += static_cast<char>(0xC0 | (c >> 6));
        uscita += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        uscita += static_cast<char>(0xE0 | (c >> 12));
        uscita += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        uscita += static_cast<char>(0x80 | (c & 0x3F));
    }
}

int byteCp1252(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<int>(c);
    for (std::size_t i = 0; i < Alti.size(); ++i) {
        if (Alti[i] == c)
            return static_cast<int>(0x80 + i);
    }
    return -1;
}

} // namespace

char32_t CarattereCp1252(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? Alti[byte - 0x80] : byte;
}

bool ByteIndefinitoCp1252(unsigned char byte)
{
    return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

std::string Cp1252InUtf8(std::string_view testo)
{
    std::string uscita;
    uscita.reserve(testo.size() + testo.size() / 8);
    for (const char ch : testo)
        aggiungiUtf8(uscita, CarattereCp1252(static_cast<unsigned char>(ch)));
    return uscita;
}

ConversioneInCp1252 Utf8InCp1252(std::string_view utf8)
{
    ConversioneInCp1252 esito;
    esito.testo.reserve(utf8.size());
    std::size_t riga = 1, colonna = 1;
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t c = 0;
        const std::size_t lunghezza = DecodificaUtf8(utf8, i, c);
        const int byte = lunghezza ? byteCp1252(c) : -1;
        if (byte < 0) {
            esito.riuscita = false;
            esito.posizione = i;
            esito.riga = riga;
            esito.colonna = colonna;
            esito.carattere = lunghezza ? c : 0;
            esito.testo.clear();
            return esito;
        }
        esito.testo += static_cast<char>(byte);
        if (c == '\n') {
            ++riga;
            colonna = 1;
        } else {
            ++colonna;
        }
        i += lunghezza;
    }
    return esito;
}

std::string PiegaCp1252(std::string_view testo)
{
    std::string piegato(testo);
    for (char &c : piegato)
        c = PiegaCarattereCp1252(static_cast<unsigned char>(c));
    return piegato;
}

std::string NormalizzaTestoDaCercare(std::string_view utf8)
{
    std::string normale;
    normale.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t c = 0;
        const std::size_t lunghezza = DecodificaUtf8(utf8, i, c);
        if (lunghezza == 0) {
            normale += utf8[i++];
            continue;
        }
        const bool accento = c >= 0x0300 && c <= 0x036F;
        // Modifier letter apostrophe, prime, fullwidth apostrophe.
        const bool apostrofo = c == 0x02BC || c == 0x2032 || c == 0xFF07;
        if (apostrofo)
            normale += '\'';
        else if (!accento)
            normale.append(utf8.substr(i, lunghezza));
        i += lunghezza;
    }
    return normale;
}

} // namespace legge
