// SPDX-License-Identifier: GPL-3.0-or-later
// The menu's reads and writes of Option.dat: a file that names no mode is no error here, and a
// mode the file already holds is not written again.
#include "finestra/opzioni.h"

#include <exception>
#include <optional>

namespace legge {

namespace {

std::optional<Modo> ModoSalvato(const std::filesystem::path &cartella) noexcept
{
    try {
        return LeggiModo(cartella / NomeFileOpzioni);
    } catch (const std::exception &) {
        // A missing, empty or unreadable file names no mode.
        return std::nullopt;
    }
}

} // namespace

Modo ModoDelMenu(const std::filesystem::path &cartella, Modo attuale) noexcept
{
    return ModoSalvato(cartella).value_or(attuale);
}

// The file, not the mode the window holds, decides whether to write.
Modo SalvaModoScelto(const std::filesystem::path &cartella, Modo scelto)
{
    if (ModoSalvato(cartella) != scelto)
        ScriviModo(cartella / NomeFileOpzioni, scelto);
    return scelto;
}

} // namespace legge
