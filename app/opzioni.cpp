// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/opzioni.h"

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

// The mode in force before the click matters only to the caller, which keeps it on failure:
// the file decides whether to write.
Modo SalvaModoScelto(const std::filesystem::path &cartella, int indice, Modo)
{
    const Modo scelto = indice == 1 ? ModoGiorno : ModoCasuale;
    if (ModoSalvato(cartella) != scelto)
        ScriviModo(cartella / NomeFileOpzioni, scelto);
    return scelto;
}

} // namespace legge
