// SPDX-License-Identifier: GPL-3.0-or-later
// The window program's words.
#include "avvio/testi.h"

#include "avvio/rigadicomando.h"
#include "sistema/file.h"

namespace legge {

std::string TestoErrore(std::string_view premessa, const std::exception &errore)
{
    std::string testo(premessa);
    testo += "\n\n";
    if (const auto *file = dynamic_cast<const ErroreFile *>(&errore)) {
        testo += "File: ";
        testo += PercorsoMostrabile(file->percorso());
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

std::string TestoPiattaformaSconosciuta(std::string_view programma, std::string_view piattaforma)
{
    std::string testo = Mostrabile(programma);
    testo += ": la variabile QT_QPA_PLATFORM chiede la piattaforma grafica «";
    testo += Mostrabile(piattaforma);
    testo += "», che non c'è (toglila, o usa per esempio xcb o wayland)\n";
    return testo;
}

std::string TestoUscitaNonScritta(std::string_view programma, std::string_view motivo)
{
    std::string testo = Mostrabile(programma);
    testo += ": impossibile scrivere sullo standard output: ";
    testo += motivo;
    testo += '\n';
    return testo;
}

std::string TestoAiutoWindows()
{
    return "Una Legge al Giorno mostra a ogni avvio una legge, una breve massima con il suo "
           "titolo, in una finestra che resta sopra le altre.\n\n"
           "Non accetta opzioni. Legge Massime.dat e Option.dat nella cartella da cui viene "
           "avviato: il collegamento nel menu Start la imposta sulla cartella dei dati in "
           "%APPDATA%.\n\n"
           "Esc chiude la finestra, Ctrl+C copia la legge.";
}

} // namespace legge
