// SPDX-License-Identifier: GPL-3.0-or-later
// The window program's words.
#include "finestra/testi.h"

#include "finestra/rigadicomando.h"
#include "leggi/massime.h"
#include "sistema/cartelle.h"
#include "sistema/file.h"

namespace legge {

namespace {

std::string Utf8(const std::filesystem::path &percorso)
{
    const std::u8string nome = percorso.u8string();
    return std::string(nome.begin(), nome.end());
}

} // namespace

std::string TestoErrore(std::string_view premessa, const std::exception &errore)
{
    std::string testo(premessa);
    testo += "\n\n";
    if (const auto *casa = dynamic_cast<const ErroreCasa *>(&errore)) {
        testo += "Motivo: ";
        if (!casa->casa())
            testo += "la variabile HOME non è impostata";
        else
            testo += "la variabile HOME («" + Mostrabile(*casa->casa()) +
                     "») non è un percorso assoluto";
        testo += "; imposta HOME o " + casa->variabile() + " a un percorso assoluto.";
    } else if (const auto *file = dynamic_cast<const ErroreFile *>(&errore)) {
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

std::string TestoCollegamentoInterrotto(const std::filesystem::path &cartella,
                                        const std::filesystem::path &destinazione)
{
    const std::filesystem::path massime = cartella / NomeFileMassime;
    std::string testo = "«" + Utf8(massime) + "» è un collegamento simbolico";
    if (destinazione != massime)
        testo += " a «" + Utf8(destinazione) + "»";
    testo += ", che non esiste: nessuna legge da mostrare finché non lo correggi o lo togli.";
    return testo;
}

std::string TestoAttenzione(std::string_view programma, std::string_view testo)
{
    return Mostrabile(programma) + ": attenzione: " + std::string(testo) + "\n";
}

std::string TestoAvvioAutomatico(const EsitoAvvioAutomatico &esito,
                                 const std::filesystem::path &voce, std::string_view programma)
{
    switch (esito.esito) {
    case AvvioAutomatico::Attivato:
        // The mode is the menu's to change at any time: the entry shows whichever it is.
        return "Avvio automatico attivato: a ogni accesso comparirà una legge, del giorno o a "
               "caso come scelto nel menu «Opzioni» (" +
               Utf8(voce) + ").\n";
    case AvvioAutomatico::Mantenuto: {
        const VoceDesktop &mantenuta = esito.mantenuta;
        std::string testo = "La voce di avvio automatico " + Utf8(voce) +
                            " c'è già, diversa da quella del programma: la lascio com'è. ";
        if (mantenuta.nascosta)
            testo += "È nascosta (Hidden=true): all'accesso non avvia nulla.";
        else if (mantenuta.disattivata)
            testo += "È disattivata (X-GNOME-Autostart-enabled=false): all'accesso non avvia "
                     "nulla.";
        else if (!mantenuta.comando)
            testo += "Non dice che cosa avviare (manca Exec): all'accesso non avvia nulla.";
        else
            testo += "All'accesso avvia: " + Mostrabile(*mantenuta.comando) + ".";
        const std::string nome = Mostrabile(programma);
        testo += "\nPer mettere al suo posto quella del programma: " + nome +
                 " --avvio-automatico no, poi " + nome + " --avvio-automatico si.\n";
        return testo;
    }
    case AvvioAutomatico::Disattivato:
        return "Avvio automatico disattivato (tolto " + Utf8(voce) + ").\n";
    case AvvioAutomatico::GiaDisattivato:
        break;
    }
    return "L'avvio automatico era già disattivato.\n";
}

std::string TestoValoreAvvioAutomatico(std::string_view programma, std::string_view valore)
{
    return Mostrabile(programma) + ": valore non valido per --avvio-automatico: «" +
           Mostrabile(valore) + "» (usa si oppure no)\n";
}

std::string TestoValoreAvvioAutomaticoMancante(std::string_view programma)
{
    return Mostrabile(programma) + ": manca il valore di --avvio-automatico (usa si oppure no)\n";
}

std::string TestoAiuto(std::string_view programma)
{
    std::string testo = "Uso: ";
    testo += Mostrabile(programma);
    testo += R"( [--cartella-utente] [--avvio-automatico si|no] [--help | --version]

Mostra una legge, cioè una breve massima con il suo titolo, in una piccola
finestra che resta sopra tutte le altre: la legge del giorno oppure una a caso,
come scelto nel menu «Opzioni». Legge e scrive Option.dat e Massime.dat nella
cartella corrente.

Nella finestra, Freccia destra e Freccia sinistra mostrano la legge successiva e
la precedente per numero (la 500 fra la 59 e la 60; nella modalità casuale: un'altra
a caso, e indietro quelle già uscite), Home torna a quella dell'avvio; Ctrl+C copia
la legge, Esc chiude la finestra. Non cambiano né la modalità né i file.

  --cartella-utente       usa la cartella dei dati dell'utente,
                          ${XDG_DATA_HOME:-~/.local/share}/leggealgiorno: la crea
                          se manca e, se non contiene leggi (Massime.dat assente
                          o vuoto), vi copia la raccolta fornita con il
                          programma; così lo avviano il menu e l'accesso
  --avvio-automatico si   mostra la legge a ogni accesso (mette la voce in
                          ${XDG_CONFIG_HOME:-~/.config}/autostart; una voce
                          diversa che c'è già resta com'è)
  --avvio-automatico no   toglie quella voce
  --help                  mostra questo aiuto ed esce
  --version               mostra la versione ed esce

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
           "Legge Massime.dat e Option.dat nella cartella da cui viene avviato. Con "
           "--cartella-utente, come lo avviano i collegamenti del menu Start e dell'esecuzione "
           "automatica, usa invece la cartella dei dati in %APPDATA%, che crea se manca e in "
           "cui copia la raccolta di leggi se non ne contiene.\n\n"
           "Freccia destra e Freccia sinistra mostrano la legge successiva e la precedente "
           "per numero (nella modalità casuale: un'altra a caso, e indietro quelle già "
           "uscite), Home torna a quella dell'avvio, Ctrl+Home e Fine scorrono una legge "
           "lunga. Esc chiude la finestra, Ctrl+C copia la legge.";
}

} // namespace legge
