// SPDX-License-Identifier: GPL-3.0-or-later
// Law files written straight in their stored form (every byte complemented), for the tests
// and the benchmarks: header-only, so that a benchmark needs nothing else of the tests.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

// Plain text to stored bytes.
inline std::string CodificaMassime(std::string_view chiaro)
{
    std::string dati(chiaro);
    for (char &c : dati)
        c = static_cast<char>(~static_cast<unsigned char>(c));
    return dati;
}

// The byte a '/' is stored as.
inline char SeparatoreCodificato()
{
    return CodificaMassime("/")[0];
}

// The stored form of one record, the '/' that opens it included: `numero` in three digits,
// the title on its line, then the body. LF line breaks in the body are stored as CR LF.
inline std::string CodificaRecord(int numero, std::string_view titolo, std::string_view corpo)
{
    const std::string cifre = std::to_string(numero);
    std::string chiaro(1, '/');
    chiaro.append(3 - std::min<std::size_t>(3, cifre.size()), '0');
    chiaro.append(cifre);
    chiaro += ' ';
    chiaro.append(titolo);
    chiaro.append("\r\n");
    for (const char c : corpo) {
        if (c == '\n')
            chiaro += '\r';
        chiaro += c;
    }
    return CodificaMassime(chiaro);
}

// The stored '/' that closes the last record.
inline std::string ChiusuraMassime()
{
    return CodificaMassime("/");
}
