// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the window program's arguments: ours, those Qt takes for itself, and anything else
// refused by name, so that a mistyped option is told rather than ignored.
#include "finestra/rigadicomando.h"

#include "sistema/flussi.h"

#include <algorithm>
#include <array>

namespace legge {

namespace {

// Qt's standard options, by the name that follows the dash or dashes, split by whether the
// next argument is their value.
constexpr std::array<std::string_view, 13> ConValore{
    "style",   "stylesheet",      "platform",    "platformpluginpath", "platformtheme",
    "plugin",  "qwindowgeometry", "qwindowicon", "qwindowtitle",       "session",
    "display", "geometry",        "name"};
constexpr std::array<std::string_view, 5> SenzaValore{"reverse", "widgetcount", "sync", "nograb",
                                                      "dograb"};
// Written as -nome=valore only.
constexpr std::array<std::string_view, 5> ConUguale{"style", "stylesheet", "qmljsdebugger",
                                                    "dialogs", "fontengine"};

template <std::size_t N>
bool Tra(const std::array<std::string_view, N> &nomi, std::string_view nome)
{
    return std::find(nomi.begin(), nomi.end(), nome) != nomi.end();
}

RigaDiComando Risposta(Richiesta richiesta, std::string_view argomento = {})
{
    RigaDiComando riga;
    riga.richiesta = richiesta;
    riga.argomento = argomento;
    return riga;
}

} // namespace

// An argument may come from anywhere: shown on a terminal, its control characters would be
// obeyed, not shown.
std::string Mostrabile(std::string_view testo)
{
    return SenzaControlli(testo, Controlli::Punti);
}

std::optional<bool> SiONo(std::string_view valore)
{
    if (valore == "si" || valore == "sì")
        return true;
    if (valore == "no")
        return false;
    return std::nullopt;
}

namespace {

// The shortcuts give one argument; anything else ends the program at once, touching no file.
RigaDiComando RigaDiWindows(const std::vector<std::string> &argomenti)
{
    if (argomenti.size() < 2)
        return {};
    const std::string_view primo = argomenti[1];
    if (primo == "--cartella-utente" && argomenti.size() == 2) {
        RigaDiComando riga;
        riga.cartellaUtente = true;
        return riga;
    }
    if (primo == "--help" || primo == "/?")
        return Risposta(Richiesta::Aiuto);
    if (primo == "--version")
        return Risposta(Richiesta::Versione);
    return Risposta(Richiesta::Sbagliata, primo);
}

} // namespace

RigaDiComando LeggiRigaDiComando(const std::vector<std::string> &argomenti, Regole regole)
{
    if (regole == Regole::Windows)
        return RigaDiWindows(argomenti);
    const std::size_t quanti = argomenti.size();
    RigaDiComando riga;
    for (std::size_t i = 1; i < quanti; ++i) {
        const std::string_view argomento = argomenti[i];
        if (argomento == "--help")
            return Risposta(Richiesta::Aiuto);
        if (argomento == "--version")
            return Risposta(Richiesta::Versione);
        if (argomento == "--cartella-utente") {
            riga.cartellaUtente = true;
            continue;
        }
        if (argomento == "--avvio-automatico" || argomento.starts_with("--avvio-automatico=")) {
            std::string_view valore;
            if (const auto uguale = argomento.find('='); uguale != std::string_view::npos)
                valore = argomento.substr(uguale + 1);
            else if (++i < quanti)
                valore = argomenti[i];
            riga.richiesta = Richiesta::AvvioAutomatico;
            riga.argomento = valore;
            riga.attiva = SiONo(valore);
            continue;
        }
        // Qt takes its options with one dash or two.
        std::string_view nome = argomento;
        if (nome.starts_with("--"))
            nome.remove_prefix(2);
        else if (nome.starts_with('-'))
            nome.remove_prefix(1);
        else
            return Risposta(Richiesta::Sbagliata, argomento);
        if (riga.richiesta == Richiesta::AvvioAutomatico)
            return Risposta(Richiesta::Sbagliata, argomento);
        if (const auto uguale = nome.find('='); uguale != std::string_view::npos) {
            if (!Tra(ConUguale, nome.substr(0, uguale)))
                return Risposta(Richiesta::Sbagliata, argomento);
        } else if (Tra(ConValore, nome)) {
            ++i; // its value, whatever it looks like
            if (i == quanti)
                return Risposta(Richiesta::Sbagliata, argomento);
        } else if (!Tra(SenzaValore, nome)) {
            return Risposta(Richiesta::Sbagliata, argomento);
        }
    }
    return riga;
}

bool PreferisciXWayland(std::string_view piattaforma, std::string_view wayland,
                        std::string_view display)
{
    return piattaforma.empty() && !wayland.empty() && !display.empty();
}

bool PrimoPianoPossibile(std::string_view piattaforma)
{
    return !piattaforma.starts_with("wayland");
}

} // namespace legge
