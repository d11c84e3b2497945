// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The start every front-end shares, before and around its window: the command line read,
// the answers that end the program at once, the user's folder prepared, and what to tell the
// user about it. A front-end only says where the words go (a terminal or message boxes),
// makes its view with the folder and runs its loop.

#include "finestra/cartellautente.h"
#include "finestra/formload.h"
#include "finestra/rigadicomando.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace legge {

// On a terminal, Risposta and Informazione go to standard output, the others to standard
// error; in a message box, the tone picks the icon.
enum class Tono {
    Risposta,     // what was asked for (the help, the version): failing to tell it is failing
    Informazione, // what an option did
    Avviso,
    Errore,
};

struct Messaggio {
    Tono tono;
    std::string testo; // UTF-8, plain text
};

class Partenza {
public:
    // Reads the command line (`argomenti` in UTF-8, the program's name first) by `regole`,
    // answers what ends the program at once and, when asked, prepares the user's folder with
    // `prepara`. Changes no working directory.
    Partenza(const std::vector<std::string> &argomenti, Regole regole,
             const std::function<CartellaPronta()> &prepara = PreparaCartellaUtente);

    // The name the texts give the program.
    const std::string &programma() const { return m_programma; }
    // What to tell at once, in this order, before any window.
    const std::vector<Messaggio> &subito() const { return m_subito; }
    // Set when the program ends once `subito` is told, with this exit status.
    std::optional<int> fine() const { return m_fine; }
    // Whether --cartella-utente was given.
    bool cartellaUtente() const { return m_cartellaUtente; }
    // Where both data files live: the user's folder, or the working directory.
    const std::filesystem::path &cartella() const { return m_cartella; }

    // Once the view exists: the start-up on it. Returns the text of an error box to show
    // before the program ends with status 1, the window never shown: the folder that could
    // not be prepared, or the law that could not be shown (after the warning, if any).
    std::optional<std::string> Avvia(FinestraAvvio &finestra, const Orologio &orologio,
                                     SorgenteCasuale &casuale) const;
    // A warning for a message box once the window shows.
    const std::optional<std::string> &avviso() const { return m_avviso; }

private:
    void Rispondi(Tono tono, std::string testo, int esito);
    void CambiaAvvioAutomatico(const RigaDiComando &riga);
    void Prepara(Regole regole, const std::function<CartellaPronta()> &prepara);

    std::string m_programma;
    std::vector<Messaggio> m_subito;
    std::optional<int> m_fine;
    bool m_cartellaUtente = false;
    std::filesystem::path m_cartella;
    std::optional<std::string> m_errore;
    std::optional<std::string> m_avviso;
};

// Tells `partenza.subito()` on the standard streams. Returns the exit status to end with:
// `partenza.fine()`, or 1 when an answer could not be written (said on standard error);
// nothing when the program goes on.
std::optional<int> DiSulTerminale(const Partenza &partenza);

// Writes `testo` on standard error; a failure there has nowhere left to be told.
void ScriviSuErrore(std::string_view testo);

} // namespace legge
