// SPDX-License-Identifier: GPL-3.0-or-later
// The window program's command line, read before any toolkit starts, by the rules of whichever
// front-end it is: what to start, what to answer at once, what to refuse.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace legge {

// Whose command line it is. The Qt window's takes --help, --version, --cartella-utente (how
// the menu starts it) and --avvio-automatico si|no, and lets Qt's standard options
// (-platform, -style, -display ...) through to Qt. The Windows window's takes one argument,
// as its shortcuts give it: --cartella-utente, or --help, /? or --version to end at once.
enum class Regole { Qt, Windows };

enum class Richiesta {
    Avvia,
    Aiuto,
    Versione,
    AvvioAutomatico,
    Sbagliata, // an argument that is neither ours nor Qt's
};

struct RigaDiComando {
    Richiesta richiesta = Richiesta::Avvia;
    // The argument refused, for Richiesta::Sbagliata; the value given, for AvvioAutomatico
    // (empty when none was).
    std::string argomento;
    // For AvvioAutomatico: whether to turn it on, or nothing for a value that is not si or no.
    std::optional<bool> attiva;
    // Start in the user's data folder, prepared first.
    bool cartellaUtente = false;
};

// The values --avvio-automatico takes.
std::optional<bool> SiONo(std::string_view valore);

// Decided before any toolkit starts, so that --help needs no display and touches nothing.
// `argomenti` in UTF-8, the program's own name first.
RigaDiComando LeggiRigaDiComando(const std::vector<std::string> &argomenti, Regole regole);

// `testo` with the control characters a terminal would obey shown as '?': an argument
// may come from anywhere.
std::string Mostrabile(std::string_view testo);

// Whether to run through XWayland: only there can the window stay above the others, and
// only when the user has chosen no platform. Empty views stand for unset variables.
bool PreferisciXWayland(std::string_view piattaforma, std::string_view wayland,
                        std::string_view display);
// Whether a window on the toolkit's `piattaforma` can be kept above the others: a Wayland
// compositor lets no client choose that.
bool PrimoPianoPossibile(std::string_view piattaforma);

} // namespace legge
