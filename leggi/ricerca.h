// SPDX-License-Identifier: GPL-3.0-or-later
// Searching a law file for a piece of text, in what the window shows of each law.
#pragma once

#include "sistema/file.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace legge {

// How much of a law found is handed over, in characters.
struct MisureRicerca {
    std::size_t prima = 30;  // of the text before the match
    std::size_t dopo = 50;   // of the text after it
    std::size_t titolo = 60; // of the title
};

struct LeggeTrovata {
    std::size_t record = 0;            // 1 for the first record in the file
    std::string campoNumero;           // Windows-1252, its first (up to) three characters
    std::optional<std::string> titolo; // Windows-1252; none when the law has no line break
    bool titoloTagliato = false;       // the title goes on past what is handed over
    std::string contesto;              // Windows-1252: the match and the text around it
    bool tagliatoPrima = false;        // the law's text starts before the context
    bool tagliatoDopo = false;         // and goes on after it
};

// Every law whose title or text holds `cercato`, in the order of the file. The text searched
// is what the window shows, from the title's start, CRs dropped, folded with PiegaCp1252;
// `cercato` must be folded the same way. Only a law's first match counts, and text after the
// last '/' is no law. One pass, holding no more than a block of the file and a few lines of
// it; bytes are decoded only around a possible match. Throws ErroreFile.
void CercaNelleMassime(FileAperto &sorgente, std::string_view cercato,
                       const std::function<void(const LeggeTrovata &)> &trovata,
                       const MisureRicerca &misure = {});

} // namespace legge
