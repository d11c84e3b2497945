// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Every sentence of the window program, on both systems, in UTF-8 plain text: a file name or
// a system message may hold '<' or '&', so no front-end may read these as markup. What the
// massime tool says too (the version, the reasons for file errors) is parole/'s.

#include "finestra/cartellautente.h"
#include "parole/parole.h"

#include <exception>
#include <filesystem>
#include <string>
#include <string_view>

namespace legge {

inline constexpr std::string_view TitoloMessaggi{"Una Legge al Giorno"};
inline constexpr std::string_view AvvioFallito{
    "Impossibile mostrare la legge: il programma termina."};
inline constexpr std::string_view LeggeNonSfogliata{
    "Impossibile leggere le leggi: resta quella mostrata."};
inline constexpr std::string_view CartellaNonPronta{
    "Impossibile preparare la cartella dei dati: il programma termina."};
inline constexpr std::string_view AvvioAutomaticoNonCambiato{
    "Impossibile cambiare l'avvio automatico."};
inline constexpr std::string_view ModoNonSalvato{
    "Impossibile salvare la modalità scelta; resta quella di prima."};
// After the program's name and a warning, on standard error.
inline constexpr std::string_view PrimoPianoImpossibile{
    "su Wayland la finestra non può restare sopra le altre (per tenerla sopra, avvialo con "
    "QT_QPA_PLATFORM=xcb)"};

// The note under the mode items of the "Opzioni" menu: text that cannot be chosen, the
// first line of hyphens included.
// The '&' marks the access key, Alt+O, the same way for both toolkits.
inline constexpr std::string_view MenuOpzioni{"&Opzioni"};
inline constexpr std::string_view NotaMenu[] = {"-------------------------", "Le modifiche avranno",
                                                "effetto alla prossima", "esecuzione."};

// `premessa`, a blank line, then the file and the system's reason when the failure is
// about a file, or the bare reason otherwise.
std::string TestoErrore(std::string_view premessa, const std::exception &errore);

// The user's Massime.dat in `cartella` is a link to nothing: the program goes on, with no
// law to show. On a terminal the same words follow the program's name and a warning.
std::string TestoCollegamentoInterrotto(const std::filesystem::path &cartella,
                                        const std::filesystem::path &destinazione);
std::string TestoAttenzione(std::string_view programma, std::string_view testo);

// What --avvio-automatico did, on standard output, or on standard error when an entry left
// in place starts nothing; a value it does not take, or none, on standard error.
std::string TestoAvvioAutomatico(const EsitoAvvioAutomatico &esito,
                                 const std::filesystem::path &voce, std::string_view programma);
std::string TestoValoreAvvioAutomatico(std::string_view programma, std::string_view valore);
std::string TestoValoreAvvioAutomaticoMancante(std::string_view programma);

// The command line's answers: help and version on standard output, a refusal on standard
// error; on Windows the help goes in a message box.
std::string TestoAiuto(std::string_view programma);
std::string TestoAiutoWindows();
std::string TestoArgomentoSbagliato(std::string_view programma, std::string_view argomento);
std::string TestoSenzaSchermo(std::string_view programma);
// QT_QPA_PLATFORM names a platform that does not exist.
std::string TestoPiattaformaSconosciuta(std::string_view programma, std::string_view piattaforma);
// The help or the version could not be written; `motivo` is the system's reason.
std::string TestoUscitaNonScritta(std::string_view programma, std::string_view motivo);

} // namespace legge
