// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The user's data folder, made ready before the window: how the menu entry, the login entry
// and the Windows shortcuts start the program (--cartella-utente). Without it the program
// reads its two files from the working directory; this gives each user a folder of their
// own, handed to the window as a value.

#include <filesystem>
#include <optional>

namespace legge {

// The collection installed with the program, from which a user's folder is seeded.
std::filesystem::path RaccoltaInstallata(const std::filesystem::path &programma);
// The login entry's template, installed beside the collection (Linux).
std::filesystem::path ModelloAvvioAutomatico(const std::filesystem::path &programma);

struct CartellaPronta {
    std::filesystem::path cartella;
    // Massime.dat is a symbolic link to nothing: it is left so and the user told. Holds
    // where the link leads, or the link itself where the system does not say.
    std::optional<std::filesystem::path> collegamentoInterrotto;
};

// Makes `cartella` (with its parents) and seeds its Massime.dat with a copy of `raccolta`
// when it is missing or empty. A non-empty file, and anything that is not a regular file,
// is the user's and stays; a link stays a link, an empty file behind it is filled through
// it. Does not change the working directory. Throws ErroreFile.
CartellaPronta PreparaCartella(const std::filesystem::path &cartella,
                               const std::filesystem::path &raccolta);

// The whole step: the user's folder decided by the system's rules and prepared from the
// collection installed beside the running program. Does not change the working directory.
// Throws ErroreCasa or ErroreFile.
CartellaPronta PreparaCartellaUtente();

// What --avvio-automatico did.
enum class AvvioAutomatico { Attivato, Disattivato, GiaDisattivato };

// Puts the login entry `modello` at `voce` (making its folder), or takes it away. A link the
// user made stays a link and the entry is written where it leads; a link to nothing is
// refused. Throws ErroreFile.
AvvioAutomatico ImpostaAvvioAutomatico(bool attiva, const std::filesystem::path &modello,
                                       const std::filesystem::path &voce);

// This user's login entry: $XDG_CONFIG_HOME/autostart/<application id>.desktop. Throws
// ErroreCasa.
std::filesystem::path VoceAvvioAutomatico();

} // namespace legge
