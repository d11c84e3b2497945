// SPDX-License-Identifier: GPL-3.0-or-later
// The menu's side of the display mode. Another running copy of the program may have
// changed Option.dat since this one started, so the menu goes by the file, not by what
// the window read at start.
#pragma once

#include "opzioni/modo.h"

#include <filesystem>

namespace legge {

// The mode the check marks show when the menu opens: the one stored in `cartella`'s
// Option.dat when it names one, else `attuale`.
Modo ModoDelMenu(const std::filesystem::path &cartella, Modo attuale) noexcept;

// Stores `scelto` unless Option.dat already holds exactly its marker, and returns the mode
// now in force. Throws ErroreFile; Option.dat is then unchanged and the mode in force
// before the click still holds.
Modo SalvaModoScelto(const std::filesystem::path &cartella, Modo scelto);

} // namespace legge
