// SPDX-License-Identifier: GPL-3.0-or-later
// The window program's words.
#include "avvio/testi.h"

#include "avvio/rigadicomando.h"

namespace legge {

std::string TestoErrore(std::string_view premessa, const std::exception &errore)
{
    std::string testo(premessa);
    testo += "\n\n";
    if (const auto *file = dynamic_cast<const ErroreFile *>(&errore)) {
        const std::u8string nome = file->percorso().u8string();
        testo += "File: ";
        testo.append(nome.begin(), nome.end());
        testo += "\nMotivo: ";
        testo += MotivoErrore(*file);
    } else {
        testo += "Motivo: ";
        testo += errore.what();
    }
    return testo;
}

std::string TestoAiuto(std::string_view programma)
{
    std::string testo = "Uso: ";
    testo += Mostrabile(programma);
    testo += R"( [--help | --version]

Mostra una legge, cioè una breve massima con il suo titolo, in una piccola
finestra che resta sopra tutte le altre: la legge del giorno oppure una a caso,
come scelto nel menu «Opzioni». Legge e scrive Option.dat e Massime.dat nella
cartella corrente; dal menu delle applicazioni lo avvia leggealgiorno-avvio,
che usa la cartella dei dati dell'utente.

Nella finestra, Freccia destra e Freccia sinistra mostrano la legge successiva e
la precedente per numero (la 500 fra la 59 e la 60; nella modalità casuale: un'altra
a caso, e indietro quelle già uscite), Home torna a quella dell'avvio; Ctrl+C copia
la legge, Esc chiude la finestra. Non cambiano né la modalità né i file.

  --help      mostra questo aiuto ed esce
  --version   mostra la versione ed esce

Accetta anche le opzioni comuni dei programmi Qt, come -platform e -style.
)";
    return testo;
}

std::string TestoArgomentoSbagliato(std::string_view programma, std::string_view argomento)
{
    std::string testo = Mostrabile(programma);
    testo += ": argomento non riconosciuto «";
    testo += Mostrabile(argomento);
    testo += "» (vedi ";
    testo += Mostrabile(programma);
    testo += " --help)\n";
    return testo;
}

std::string TestoSenzaSchermo(std::string_view programma)
{
    std::string testo = Mostrabile(programma);
    testo += ": nessuno schermo grafico disponibile, la finestra non può essere mostrata "
             "(avvialo da una sessione grafica, o controlla DISPLAY e WAYLAND_DISPLAY)\n";
    return testo;
}

std::string TestoAiutoWindows()
{
    return "Una Legge al Giorno mostra a ogni avvio una legge, una breve massima con il suo "
           "titolo, in una finestra che resta sopra le altre.\n\n"
           "Non accetta opzioni. Legge Massime.dat e Option.dat nella cartella da cui viene "
           "avviato: il collegamento nel menu Start la imposta sulla cartella dei dati in "
           "%APPDATA%.\n\n"
           "Freccia destra e Freccia sinistra mostrano la legge successiva e la precedente "
           "per numero (nella modalità casuale: un'altra a caso, e indietro quelle già "
           "uscite), Home torna a quella dell'avvio, Ctrl+Home e Fine scorrono una legge "
           "lunga. Esc chiude la finestra, Ctrl+C copia la legge.";
}

} // namespace legge
