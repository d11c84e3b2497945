// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace legge {

// The program's own options are --help, --version, --cartella-utente (how the menu starts
// it) and --avvio-automatico si|no; Qt's standard ones (-platform, -style, -display ...)
// go through to Qt.
enum class Richiesta {
    Avvia,
    Aiuto,
    Versione,
    AvvioAutomatico,
    Sbagliata, // an argument that is neither ours nor Qt's
};

struct RigaDiComando {
    Richiesta richiesta = Richiesta::Avvia;
    // The argument refused, for Richiesta::Sbagliata; the value given, for AvvioAutomatico.
    std::string argomento;
    // For AvvioAutomatico: whether to turn it on, or nothing for a value that is not si or no.
    std::optional<bool> attiva;
    // Start in the user's data folder, prepared first.
    bool cartellaUtente = false;
};

// The values --avvio-automatico takes.
std::optional<bool> SiONo(std::string_view valore);

// Decided before Qt starts, so that --help needs no display and touches nothing.
RigaDiComando LeggiRigaDiComando(int argc, const char *const *argv);

// `testo` with the control characters a terminal would obey shown as '?': an argument
// may come from anywhere.
std::string Mostrabile(std::string_view testo);

// Whether to run through XWayland: only there can the window stay above the others, and
// only when the user has chosen no platform. Empty views stand for unset variables.
bool PreferisciXWayland(std::string_view piattaforma, std::string_view wayland,
                        std::string_view display);

} // namespace legge
