// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace legge {

// The program takes no options of its own beyond --help and --version, and lets Qt's
// standard ones (-platform, -style, -display ...) through to Qt.
enum class Richiesta {
    Avvia,
    Aiuto,
    Versione,
    Sbagliata, // an argument that is neither ours nor Qt's
};

struct RigaDiComando {
    Richiesta richiesta = Richiesta::Avvia;
    std::string argomento; // the argument refused, for Richiesta::Sbagliata
};

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
