// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The user's data folder, made ready before the window: how the menu entry, the login entry
// and the Windows shortcuts start the program (--cartella-utente). Without it the program
// reads its two files from the working directory; this gives each user a folder of their
// own, handed to the window as a value.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

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
// when it is missing or empty, once ControllaRaccolta finds laws in it. A non-empty file,
// and anything that is not a regular file, is the user's and stays; a link stays a link, an
// empty file behind it is filled through it. Does not change the working directory. Throws
// ErroreFile.
CartellaPronta PreparaCartella(const std::filesystem::path &cartella,
                               const std::filesystem::path &raccolta);

// Refuses, naming it, a collection that would leave a user's folder with nothing to show
// for ever, since a non-empty Massime.dat is never seeded again: a missing or empty file,
// or one without a record numbered as a law (damaged bytes). Throws ErroreFile.
void ControllaRaccolta(const std::filesystem::path &raccolta);

// The whole step: the user's folder decided by the system's rules and prepared from the
// collection installed beside the running program. Does not change the working directory.
// Throws ErroreCasa or ErroreFile.
CartellaPronta PreparaCartellaUtente();

// What --avvio-automatico did.
enum class AvvioAutomatico {
    Attivato,
    Mantenuto, // an entry other than the program's was there and stays
    Disattivato,
    GiaDisattivato,
};

// What a desktop entry does when the desktop reads it at login.
struct VoceDesktop {
    bool nascosta = false;              // Hidden=true: as if it were not there
    bool disattivata = false;           // X-GNOME-Autostart-enabled=false
    std::optional<std::string> comando; // Exec, as written
    bool avviaQualcosa() const { return !nascosta && !disattivata && comando; }
};
// Reads the keys above from the [Desktop Entry] group of `testo`.
VoceDesktop LeggiVoceDesktop(std::string_view testo);

struct EsitoAvvioAutomatico {
    AvvioAutomatico esito;
    VoceDesktop mantenuta; // for Mantenuto: what the entry left in place does
};

// Puts the login entry `modello` at `voce` (making its folder), or takes it away. An entry
// that differs from `modello` is the user's (edited, or from another install) and stays: its
// removal is theirs to ask for. A link the user made stays a link and the entry is written
// where it leads; a link to nothing is refused. Throws ErroreFile.
EsitoAvvioAutomatico ImpostaAvvioAutomatico(bool attiva, const std::filesystem::path &modello,
                                            const std::filesystem::path &voce);

// This user's login entry: $XDG_CONFIG_HOME/autostart/<application id>.desktop. Throws
// ErroreCasa.
std::filesystem::path VoceAvvioAutomatico();

} // namespace legge
