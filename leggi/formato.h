// SPDX-License-Identifier: GPL-3.0-or-later
// How Massime.dat stores its bytes, for the readers in this folder only: the scrambling, the
// separator, the title rule and the one pass over the file that every reader builds on.
#pragma once

#include "sistema/file.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

namespace legge::formato {

inline constexpr unsigned char Inversione = 0xFF;
inline constexpr char Separatore = '/';
inline constexpr char Separato = static_cast<char>(Separatore ^ Inversione);
inline constexpr char CrCodificato = static_cast<char>('\r' ^ Inversione);

inline constexpr char Chiaro(char memorizzato)
{
    return static_cast<char>(memorizzato ^ Inversione);
}

// How many of a record's first characters may stand before the capital that opens its title.
inline constexpr std::size_t CaratteriPrimaDelTitolo = 6;

// Where the title starts among a record's first characters (CRs dropped): at the first
// capital A..Z among the first six; nothing while none has come and fewer than six are known.
// With six and no capital, the title starts at the record's start.
inline std::optional<std::size_t> InizioTitolo(std::string_view primi)
{
    for (std::size_t i = 0; i < CaratteriPrimaDelTitolo && i < primi.size(); ++i) {
        if (primi[i] >= 'A' && primi[i] <= 'Z')
            return i;
    }
    if (primi.size() >= CaratteriPrimaDelTitolo)
        return 0;
    return std::nullopt;
}

// What the pass hands over: the bytes as stored, or their plain text.
enum class Forma { Memorizzata, Chiara };

// The one pass over the file that every reader of it builds on. It hands over, in order,
// each run of bytes between separators as testo(inizio, fine, posizione) and each separator
// as separatore(posizione); either may return false to stop. A run is never empty, holds no
// separator, and may be cut where a block of the file ends; its bytes are the caller's to
// change. Returns the size of the file, or nothing when the pass was stopped. Inlined into
// each reader, so that the reader's state stays in registers: the lookup's speed rests on it.
template <Forma forma, class PerTesto, class PerSeparatore>
[[gnu::always_inline]] inline std::optional<std::uint64_t>
Scandisci(FileAperto &sorgente, PerTesto testo, PerSeparatore separatore)
{
    constexpr char cercato = forma == Forma::Chiara ? Separatore : Separato;
    const auto blocco = std::make_unique_for_overwrite<char[]>(DimensioneBlocco);
    std::uint64_t base = 0;
    while (const std::size_t letti = sorgente.leggi(blocco.get(), DimensioneBlocco)) {
        char *const inizio = blocco.get();
        char *const fine = inizio + letti;
        if constexpr (forma == Forma::Chiara) {
            for (char *p = inizio; p != fine; ++p)
                *p = Chiaro(*p);
        }
        for (char *p = inizio; p < fine;) {
            auto *sep =
                static_cast<char *>(std::memchr(p, cercato, static_cast<std::size_t>(fine - p)));
            char *const fineTesto = sep ? sep : fine;
            if (fineTesto != p &&
                !testo(p, fineTesto, base + static_cast<std::uint64_t>(p - inizio)))
                return std::nullopt;
            if (!sep)
                break;
            if (!separatore(base + static_cast<std::uint64_t>(sep - inizio)))
                return std::nullopt;
            p = sep + 1;
        }
        base += letti;
    }
    return base;
}

} // namespace legge::formato
