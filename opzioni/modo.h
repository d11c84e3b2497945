// SPDX-License-Identifier: GPL-3.0-or-later
// The display mode a user picks in the menu, and Option.dat, which keeps it for the next start:
// its markers, byte for byte, and its reader and writer.
#pragma once

#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>
#include <string_view>

namespace legge {

enum Modo {
    ModoGiorno,  // the law of today's date
    ModoCasuale, // a law drawn at random at every start
};

// The markers stored in Option.dat. They are deliberately unreadable, so they are
// compared byte for byte and never shown; stored files depend on their exact bytes.
inline constexpr std::string_view SegnoGiorno{"\xA7\xC7\x69\xF2\x72\x6E\xF8\xB5\x47\xEC\x93\xDE",
                                              12};
inline constexpr std::string_view SegnoCasuale{
    "\xA7\xC3\x61\x73\xFC\x61\xEC\xE8\xB5\x43\xE1\x9A\x5A\xDF", 14};

inline constexpr std::string_view NomeFileOpzioni{"Option.dat"};

// Every mode in the order of the menu: the marker that stores it and its item's caption.
// A new mode is a row here and its rule for the law number at start-up.
struct VoceModo {
    Modo modo;
    std::string_view segno;
    std::string_view etichetta;
};
inline constexpr std::array<VoceModo, 2> TabellaModi{{
    {ModoGiorno, SegnoGiorno, "Una Legge al Giorno"},
    {ModoCasuale, SegnoCasuale, "Legge Casuale"},
}};

// A line longer than this matches no marker.
inline constexpr std::size_t SegnoPiuLungo =
    std::max_element(TabellaModi.begin(), TabellaModi.end(), [](const auto &a, const auto &b) {
        return a.segno.size() < b.segno.size();
    }) -> segno.size();

// The mode stored in `file`, or nothing when its first line is neither marker.
// Throws ErroreFile when the file is missing, empty or unreadable.
std::optional<Modo> LeggiModo(const std::filesystem::path &file);

// Stores `modo` in `file`, atomically, keeping a link, the mode and the group of what
// stands there. Throws ErroreFile; the old file is then untouched.
void ScriviModo(const std::filesystem::path &file, Modo modo);

void ScriviModoPredefinito(const std::filesystem::path &file);

} // namespace legge
