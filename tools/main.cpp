// SPDX-License-Identifier: GPL-3.0-or-later
// massime: writes, reads and checks the law files of Una Legge al Giorno from the shell,
// through the same lookup and conversion the window uses.

#include "parole/parole.h"
#include "sistema/argomenti.h"
#include "sistema/flussi.h"
#include "tools/comandi.h"
#include "tools/uscita.h"

#include <clocale>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace massime;

constexpr std::string_view AiutoGenerale =
    R"(Uso: massime COMANDO [OPZIONI] [ARGOMENTI]

Scrive, legge e controlla i file delle leggi (Massime.dat) di Una Legge al Giorno.

Comandi:
  numero [AAAA-MM-GG]        il numero della legge di quel giorno (di oggi, se manca)
  mostra N [FILE]            la legge numero N, come la mostra la finestra
  decodifica [FILE]          il testo in chiaro del file
  codifica [TESTO] -o FILE   scrive il file delle leggi a partire da un testo UTF-8
  verifica [FILE]            elenca i problemi del file
  statistiche [FILE]         quanti record ha il file, il testo più corto e il più lungo

FILE è ./Massime.dat quando manca, lo standard input quando è «-». Su un terminale i
caratteri di controllo del testo delle leggi si vedono come sequenze («\x1B»), senza
effetto. «massime COMANDO --help» descrive ogni comando.

Esito: 0 riuscito; 1 legge non trovata (mostra) o problemi trovati (verifica);
2 argomenti sbagliati o errore su un file (il messaggio dice quale e perché).
)";

struct Comando {
    std::string_view nome;
    int (*esegui)(const Argomenti &);
    bool json;
    bool grezzo;
    bool uscita;
    std::string_view aiuto;
};

constexpr Comando Comandi[] = {
    {"numero", ComandoNumero, false, false, false,
     R"(Uso: massime numero [AAAA-MM-GG]

Scrive il numero della legge del giorno indicato, o di oggi (ora locale) se non è
indicato: il giorno dell'anno, da 1 a 366; il 29 febbraio ha la legge 500 e negli anni
bisestili il 1° marzo è il 61.
)"},
    {"mostra", ComandoMostra, true, false, false,
     R"(Uso: massime mostra [--json] N [FILE]

Scrive la legge numero N (da 1 a 999) del file, ./Massime.dat se manca, lo standard
input se è «-»: il titolo, se c'è, seguito dal testo, esattamente come li mostra la
finestra, in UTF-8; su un terminale i caratteri di controllo si vedono come sequenze
(«\x1B»). Il file non viene mai creato né modificato. Esito 1 se la legge non c'è.

  --json   un oggetto JSON al posto del testo:
           {"numero": N, "trovata": true|false, "titolo": testo o null, "corpo": testo}
)"},
    {"decodifica", ComandoDecodifica, false, true, false,
     R"(Uso: massime decodifica [--grezzo] [FILE]

Scrive il testo in chiaro del file (./Massime.dat se manca, lo standard input se è «-»)
in UTF-8, con gli a capo CR LF trasformati in LF; su un terminale i caratteri di controllo
si vedono come sequenze («\x1B»). «massime codifica» lo riporta al file di partenza.

  --grezzo   i byte in chiaro esatti (Windows-1252, a capo CR LF), senza conversioni
)"},
    {"codifica", ComandoCodifica, false, false, true,
     R"(Uso: massime codifica [TESTO] -o FILE

Legge un testo UTF-8 dal file TESTO (o dallo standard input, se manca o è «-»), ne fa
un file delle leggi e lo scrive in FILE (sullo standard output se è «-»): gli a capo LF
diventano CR LF, il testo passa in Windows-1252 e ogni byte viene cifrato. Un carattere
che Windows-1252 non ha, o una «/» dentro il testo di una legge, è un errore che ne indica
riga e colonna; in quel caso FILE resta com'era. Se FILE è un collegamento simbolico si
riscrive il file a cui porta; un file con più nomi si riscrive sul posto; permessi,
proprietario e gruppo restano; una cartella, un dispositivo o una FIFO restano intatti.

Il testo è una serie di record separati da «/»: ognuno comincia con il suo numero di tre
cifre, poi il titolo su una riga, poi il testo della legge; una «/» finale chiude l'ultimo.
Una «/» che non è seguita da tre cifre né sta in fondo al testo taglierebbe una legge:
il testo di una legge non può contenerne. Per esempio:
  /001 Legge del primo gennaio
  I buoni propositi durano quanto il panettone.
  /

  -o FILE   il file da scrivere (obbligatorio); «-» per lo standard output
)"},
    {"verifica", ComandoVerifica, true, false, false,
     R"(Uso: massime verifica [--json] [FILE]

Controlla il file (./Massime.dat se manca, lo standard input se è «-») e scrive ogni
problema su una riga, appena lo trova, con il record (1 per il primo del file) e la posizione in byte, poi una riga di riepilogo.
Problemi: numeri ripetuti (si vede solo il primo record); numeri da 1 a 366 o 500 che
mancano; numeri fuori da questi; record che la finestra mostrerebbe diversamente da come
sono scritti (senza titolo, titolo che non comincia con una maiuscola da A a Z, numero
non di tre cifre, testo vuoto); testo dopo l'ultima «/», che non è mai un record; byte
che non sono caratteri di Windows-1252. Esito 1 se c'è almeno un problema.

  --json   un oggetto JSON: {"file", "problemi": [{"tipo", "record", "posizione",
           "numero", "messaggio"}], "record"}
)"},
    {"statistiche", ComandoStatistiche, false, false, false,
     R"(Uso: massime statistiche [FILE]

Scrive quanti record ha il file (./Massime.dat se manca, lo standard input se è «-») e
quali leggi hanno il testo più corto e il più lungo, in caratteri. Un numero che contiene
caratteri di controllo si vede con sequenze («\n»), sempre su una riga.
)"},
};

void scriviErrore(const std::string &testo)
{
    try {
        legge::ErroreStandard().scriviTesto(testo);
    } catch (const legge::ErroreFile &) {
        // Nowhere left to say it; the exit status still tells.
    }
}

int erroreUso(std::string_view messaggio, std::string_view comando)
{
    scriviErrore("massime: " + std::string(messaggio) + "\n");
    if (comando.empty())
        scriviErrore("Usa «massime --help» per l'elenco dei comandi.\n");
    else
        scriviErrore("Usa «massime " + std::string(comando) + " --help» per sapere come si usa.\n");
    return ErroreUsoOFile;
}

// A full disk or a closed pipe on stdout must not pass for success.
int chiudiUscita(int esito)
{
    try {
        UscitaComandi().svuota();
    } catch (const legge::ErroreFile &e) {
        scriviErrore("massime: impossibile scrivere sullo standard output: " +
                     legge::MotivoErrore(e) + "\n");
        return ErroreUsoOFile;
    }
    return esito;
}

int esegui(const Comando &comando, const std::vector<std::string> &argv)
{
    Argomenti argomenti;
    bool soloPosizionali = false;
    for (std::size_t i = 2; i < argv.size(); ++i) {
        const std::string_view a = argv[i];
        if (soloPosizionali || a.size() < 2 || a[0] != '-') {
            argomenti.posizionali.emplace_back(a);
        } else if (a == "--") {
            soloPosizionali = true;
        } else if (a == "--help" || a == "-h") {
            UscitaComandi().testo(comando.aiuto);
            return chiudiUscita(Riuscito);
        } else if (a == "--json" && comando.json) {
            argomenti.json = true;
        } else if (a == "--grezzo" && comando.grezzo) {
            argomenti.grezzo = true;
        } else if (a.starts_with("-o") && comando.uscita) {
            if (a.size() > 2)
                argomenti.uscita = std::string(a.substr(2));
            else if (i + 1 < argv.size())
                argomenti.uscita = argv[++i];
            else
                return erroreUso("-o vuole il nome del file da scrivere", comando.nome);
        } else {
            return erroreUso("opzione sconosciuta: «" + std::string(a) + "»", comando.nome);
        }
    }
    try {
        return chiudiUscita(comando.esegui(argomenti));
    } catch (const ErroreUso &e) {
        return erroreUso(e.messaggio, comando.nome);
    } catch (const legge::ErroreFile &e) {
        if (e.percorso() == legge::NomeUscitaStandard) {
            scriviErrore("massime: impossibile scrivere sullo standard output: " +
                         legge::MotivoErrore(e) + "\n");
            return ErroreUsoOFile;
        }
        // What was found before the failure is still worth having.
        chiudiUscita(ErroreUsoOFile);
        const std::string nome = e.percorso().empty() ? "«»" : e.percorso().string();
        scriviErrore("massime: " + nome + ": " + legge::MotivoErrore(e) + "\n");
        return ErroreUsoOFile;
    } catch (const std::bad_alloc &) {
        scriviErrore("massime: memoria esaurita\n");
        return ErroreUsoOFile;
    }
}

} // namespace

int main(int argc, char **argvDelSistema)
{
    // The system's reasons for file errors come in the user's language.
    std::setlocale(LC_ALL, "");

    const std::vector<std::string> argv = legge::ArgomentiUtf8(argc, argvDelSistema);
    if (argv.size() < 2)
        return erroreUso("manca il comando", {});
    const std::string_view primo = argv[1];
    if (primo == "--help" || primo == "-h") {
        UscitaComandi().testo(AiutoGenerale);
        return chiudiUscita(Riuscito);
    }
    for (const Comando &comando : Comandi) {
        if (comando.nome == primo)
            return esegui(comando, argv);
    }
    return erroreUso("comando sconosciuto: «" + std::string(primo) + "»", {});
}
