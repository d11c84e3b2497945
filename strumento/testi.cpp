// SPDX-License-Identifier: GPL-3.0-or-later
// Every sentence the massime tool writes, in Italian and UTF-8: its help, its messages and
// the problems it finds in a law file. The rest of strumento/ only fills them in.
#include "strumento/testi.h"

#include "parole/parole.h"

#include <cstdio>

namespace massime::testi {

// ---- Help ----

std::string_view AiutoGenerale()
{
    return R"(Uso: massime COMANDO [OPZIONI] [ARGOMENTI]

Scrive, legge e controlla i file delle leggi (Massime.dat) di Una Legge al Giorno.

Comandi:
  numero [AAAA-MM-GG]        il numero della legge di quel giorno (di oggi, se manca)
  mostra N [FILE]            la legge numero N, come la mostra la finestra
  decodifica [FILE]          il testo in chiaro del file
  codifica [TESTO] -o FILE   scrive il file delle leggi a partire da un testo UTF-8
  verifica [FILE]            elenca i problemi del file
  statistiche [FILE]         quanti record ha il file, il testo più corto e il più lungo
  cerca TESTO [FILE]         le leggi che contengono TESTO, senza badare a maiuscole e accenti
  --version                  la versione del programma

FILE è ./Massime.dat quando manca, lo standard input quando è «-». Su un terminale i
caratteri di controllo del testo delle leggi si vedono come sequenze («\x1B»), senza
effetto. «massime COMANDO --help» descrive ogni comando.

Esito: 0 riuscito; 1 legge non trovata (mostra, cerca) o problemi trovati (verifica);
2 argomenti sbagliati o errore su un file (il messaggio dice quale e perché).
)";
}

std::string_view AiutoNumero()
{
    return R"(Uso: massime numero [AAAA-MM-GG]

Scrive il numero della legge del giorno indicato, o di oggi (ora locale) se non è
indicato: il giorno dell'anno, da 1 a 366; il 29 febbraio ha la legge 500 e negli anni
bisestili il 1° marzo è il 61.
)";
}

std::string_view AiutoMostra()
{
    return R"(Uso: massime mostra [--json] N [FILE]

Scrive la legge numero N (da 1 a 999) del file, ./Massime.dat se manca, lo standard
input se è «-»: il titolo, se c'è, seguito dal testo, esattamente come li mostra la
finestra, in UTF-8; su un terminale i caratteri di controllo si vedono come sequenze
(«\x1B»). Il file non viene mai creato né modificato. Esito 1 se la legge non c'è.

  --json   un oggetto JSON al posto del testo:
           {"numero": N, "trovata": true|false, "titolo": testo o null, "corpo": testo}
)";
}

std::string_view AiutoDecodifica()
{
    return R"(Uso: massime decodifica [--grezzo] [FILE]

Scrive il testo in chiaro del file (./Massime.dat se manca, lo standard input se è «-»)
in UTF-8, con gli a capo CR LF trasformati in LF (due o più CR di fila prima di un LF
restano tutti); su un terminale i caratteri di controllo si vedono come sequenze («\x1B»).
«massime codifica» lo riporta al file di partenza.

  --grezzo   i byte in chiaro esatti (Windows-1252, a capo CR LF), senza conversioni
)";
}

std::string_view AiutoCodifica()
{
    return R"(Uso: massime codifica [TESTO] -o FILE

Legge un testo UTF-8 dal file TESTO (o dallo standard input, se manca o è «-»), ne fa
un file delle leggi e lo scrive in FILE (sullo standard output se è «-»): gli a capo LF
o CR LF diventano CR LF, il testo passa in Windows-1252 e ogni byte viene cifrato; il
segno BOM che alcuni editor mettono in testa al file si salta. Un carattere che
Windows-1252 non ha, una «/» dentro il testo di una legge, un numero di più di tre cifre
o un numero che apre già un'altra legge è un errore che ne indica riga e colonna, appena
lo incontra; in quel caso FILE resta com'era. Un numero che nessun giorno mostra (000,
da 367 a 499, da 501 a 999) dà un avviso con la sua riga, e il file si scrive comunque.
Un testo senza nessuna legge è rifiutato; FILE non può essere il testo stesso, né un
terminale. Se FILE è un collegamento simbolico si riscrive il file a cui porta; un file
con più nomi si riscrive sul posto, un programma alla volta (se un altro lo tiene
bloccato, lo dice e aspetta al massimo un minuto); permessi, proprietario e gruppo
restano, e il proprietario può sempre leggerlo e scriverlo; una cartella, un dispositivo
o una FIFO restano intatti.

Il testo è una serie di record separati da «/»: ognuno comincia con il suo numero di tre
cifre, poi il titolo su una riga, poi il testo della legge; una «/» finale chiude l'ultimo
(se manca, la aggiunge).
Una «/» che non è seguita da tre cifre né sta in fondo al testo taglierebbe una legge:
il testo di una legge non può contenerne. Per esempio:
  /001 Legge del primo gennaio
  I buoni propositi durano quanto il panettone.
  /

  -o FILE   il file da scrivere (obbligatorio); «-» per lo standard output
)";
}

std::string_view AiutoVerifica()
{
    return R"(Uso: massime verifica [--json] [--tutti] [FILE]

Controlla il file (./Massime.dat se manca, lo standard input se è «-») e scrive ogni
problema su una riga, appena lo trova, con il record (1 per il primo del file) e la posizione in byte, poi una riga di riepilogo.
Elenca i primi 100 problemi, poi dice quanti altri ce ne sono; il riepilogo e l'esito
li contano tutti.
Problemi: numeri ripetuti (si vede solo il primo record); numeri da 1 a 366 o 500 che
mancano; numeri fuori da questi; record che la finestra mostrerebbe diversamente da come
sono scritti (senza titolo, titolo che non comincia con una maiuscola da A a Z, numero
non di tre cifre, testo vuoto); testo dopo l'ultima «/», che non è mai un record; byte
che non sono caratteri di Windows-1252. Esito 1 se c'è almeno un problema.

  --tutti  elenca tutti i problemi, non solo i primi 100
  --json   un oggetto JSON: {"file", "problemi": [{"tipo", "record", "posizione",
           "numero", "messaggio"}], "problemi_totali", "record"}; "problemi" ne ha al
           più 100, tutti con --tutti, e "problemi_totali" li conta tutti
)";
}

std::string_view AiutoStatistiche()
{
    return R"(Uso: massime statistiche [FILE]

Scrive quanti record ha il file (./Massime.dat se manca, lo standard input se è «-») e
quali leggi hanno il testo più corto e il più lungo, in caratteri. Un numero che contiene
caratteri di controllo si vede con sequenze («\n»), sempre su una riga.
)";
}

std::string_view AiutoCerca()
{
    return R"(Uso: massime cerca [--json] TESTO [FILE]

Scrive le leggi del file (./Massime.dat se manca, lo standard input se è «-») il cui
titolo o testo contiene TESTO, senza badare a maiuscole, minuscole e accenti: «perche»
trova «Perché», «citta» trova «città»; gli apostrofi e le virgolette tipografici valgono
come quelli semplici. Una riga per legge: il numero, il titolo e il testo intorno al primo
punto in cui compare («…» dove è tagliato); i caratteri di controllo si vedono come
sequenze («\x1B»). Il file non viene mai creato né modificato e viene letto una volta
sola, con poca memoria qualunque sia la sua dimensione. Esito 1 se nessuna legge lo
contiene.

  --json   un oggetto JSON: {"cercato", "file", "leggi": [{"numero", "record",
           "titolo" (testo o null), "contesto"}]}
)";
}

// ---- What the tool says on standard error ----

std::string Messaggio(std::string_view testo)
{
    return "massime: " + std::string(testo) + "\n";
}

std::string ComeSiUsa(std::string_view comando)
{
    if (comando.empty())
        return "Usa «massime --help» per l'elenco dei comandi.\n";
    return "Usa «massime " + std::string(comando) + " --help» per sapere come si usa.\n";
}

std::string MancaIlComando()
{
    return "manca il comando";
}

std::string ComandoSconosciuto(std::string_view comando)
{
    return "comando sconosciuto: «" + std::string(comando) + "»";
}

std::string OpzioneSconosciuta(std::string_view opzione)
{
    return "opzione sconosciuta: «" + std::string(opzione) + "»";
}

std::string MancaIlFileDiO()
{
    return "-o vuole il nome del file da scrivere";
}

std::string MancaUnArgomento()
{
    return "manca un argomento";
}

std::string ArgomentoDiTroppo(std::string_view argomento)
{
    return "argomento di troppo: «" + std::string(argomento) + "»";
}

std::string DataNonValida(std::string_view data)
{
    return "data non valida: «" + std::string(data) +
           "»; scrivila come AAAA-MM-GG, per esempio 2024-02-29";
}

std::string NumeroNonValido(std::string_view numero)
{
    return "numero di legge non valido: «" + std::string(numero) + "»; serve un numero da 1 a 999";
}

std::string MancaIlFileDaScrivere()
{
    return "manca il file da scrivere: indicalo con -o FILE";
}

std::string TestoDaCercareVuoto()
{
    return "il testo da cercare è vuoto";
}

std::string TestoDaCercareNonUtf8()
{
    return "il testo da cercare non è UTF-8 valido";
}

std::string NomeVuoto()
{
    return "«»";
}

std::string ErroreSullUscita(const legge::ErroreFile &errore)
{
    return Messaggio("impossibile scrivere sullo standard output: " + legge::MotivoErrore(errore));
}

std::string ErroreSulFile(std::string_view nome, const legge::ErroreFile &errore)
{
    return Messaggio(std::string(nome) + ": " + legge::MotivoErrore(errore));
}

std::string AttendoIlFile(std::string_view file, std::uint64_t processo, std::string_view programma,
                          long long secondi)
{
    std::string chi = "un altro programma";
    if (processo != 0) {
        chi = "il processo " + std::to_string(processo);
        if (!programma.empty())
            chi += " (" + std::string(programma) + ")";
    }
    return Messaggio(std::string(file) + ": lo tiene bloccato " + chi +
                     "; aspetto che lo lasci, al massimo " + std::to_string(secondi) +
                     " secondi (Ctrl+C per smettere)");
}

std::string MemoriaEsaurita()
{
    return Messaggio("memoria esaurita");
}

std::string LeggeNonTrovata(int numero, std::string_view file)
{
    return Messaggio("la legge " + std::to_string(numero) + " non c'è in " + std::string(file));
}

std::string NessunaLeggeContiene(std::string_view cercato, std::string_view file)
{
    return Messaggio("nessuna legge contiene «" + std::string(cercato) + "» in " +
                     std::string(file));
}

std::string NonHoScritto(std::optional<std::string_view> file)
{
    return "non ho scritto " + std::string(file ? *file : "nulla");
}

std::string TestoNonUtf8()
{
    return "il testo non è UTF-8 valido";
}

std::string CarattereFuoriDaCp1252(std::string_view carattere, char32_t codice)
{
    char numero[16];
    std::snprintf(numero, sizeof numero, "U+%04X", unsigned(codice));
    return "il carattere «" + std::string(carattere) + "» (" + numero +
           ") non esiste in Windows-1252";
}

std::string BarraNelTesto()
{
    return "una «/» nel testo di una legge la interromperebbe lì (apre un record solo se "
           "seguita da un numero di tre cifre, e chiude l'ultimo solo alla fine)";
}

std::string NumeroRipetutoNelTesto(int numero, std::size_t rigaPrecedente)
{
    char tre[8];
    std::snprintf(tre, sizeof tre, "%03d", numero);
    return "il numero " + std::string(tre) + " apre già la legge alla riga " +
           std::to_string(rigaPrecedente) + ", e la finestra mostrerebbe solo quella";
}

std::string NumeroLungoNelTesto()
{
    return "il numero dopo la «/» ha più di tre cifre: la finestra ne leggerebbe solo le prime "
           "tre (ogni legge ha un numero di tre cifre, da 001 a 366, e 500 per il 29 febbraio)";
}

std::string NessunaLeggeNelTesto()
{
    return "il testo non ha nessuna legge (ognuna comincia con «/» e un numero di tre cifre)";
}

std::string NulNelTesto()
{
    return "un byte NUL, che non sta in nessun testo (è un file binario o un dispositivo?)";
}

std::string NonSuUnTerminale()
{
    return "non scrivo un file delle leggi su un terminale, dove i suoi byte cifrati "
           "diventerebbero comandi: usa -o FILE, o -o - con un tubo («| comando») o «> FILE»";
}

std::string UscitaUgualeAlTesto(std::string_view file)
{
    return std::string(file) + " è il testo stesso da codificare: scriverlo lo cancellerebbe; "
                               "scegli un altro file per -o";
}

std::string ErroreNelTesto(std::string_view file, std::size_t riga, std::size_t colonna,
                           std::string_view cosa, std::string_view nonScritto)
{
    return Messaggio(std::string(file) + ", riga " + std::to_string(riga) + ", colonna " +
                     std::to_string(colonna) + ": " + std::string(cosa) + "; " +
                     std::string(nonScritto));
}

std::string AvvisoNelTesto(std::string_view file, std::size_t riga, std::string_view cosa)
{
    return Messaggio("avviso: " + std::string(file) + ", riga " + std::to_string(riga) + ": " +
                     std::string(cosa) + " (il file è scritto comunque)");
}

// ---- What the commands write on standard output ----

std::string RigaProblema(std::optional<std::size_t> record, std::optional<std::uint64_t> posizione,
                         std::string_view messaggio)
{
    std::string riga;
    if (record)
        riga += "record " + std::to_string(*record) + ", ";
    if (posizione)
        riga += "byte " + std::to_string(*posizione) + ": ";
    return riga + std::string(messaggio) + "\n";
}

std::string AltriProblemi(std::size_t quanti)
{
    return "… e " +
           (quanti == 1 ? std::string("un altro problema")
                        : "altri " + std::to_string(quanti) + " problemi") +
           ", non elencati (--tutti li elenca)\n";
}

std::string Riepilogo(std::string_view file, std::size_t record, std::size_t problemi)
{
    return std::string(file) + ": " + std::to_string(record) + " record, " +
           (problemi == 0   ? std::string("nessun problema")
            : problemi == 1 ? std::string("1 problema")
                            : std::to_string(problemi) + " problemi") +
           "\n";
}

std::string RigaTrovata(std::string_view numero, const std::optional<std::string> &titolo,
                        std::string_view contesto)
{
    std::string riga(numero);
    riga += "  ";
    if (titolo)
        riga += *titolo + " — ";
    return riga + std::string(contesto) + "\n";
}

std::string QuantiRecord(std::size_t record)
{
    return "record: " + std::to_string(record) + "\n";
}

std::string CorpoEstremo(bool piuLungo, std::uint64_t caratteri, std::string_view numero,
                         std::size_t record)
{
    return std::string(piuLungo ? "corpo più lungo" : "corpo più corto") + ": " +
           std::to_string(caratteri) + " caratteri, legge «" + std::string(numero) + "» (record " +
           std::to_string(record) + ")\n";
}

// ---- The problems of a law file ----

std::string CampoNumeroSbagliato(std::string_view campo)
{
    return "il numero «" + std::string(campo) + "» non è di tre cifre da 000 a 999";
}

std::string NumeroFuoriIntervallo(std::string_view numero)
{
    return "il numero " + std::string(numero) +
           " non è fra 1 e 366 né 500: nessun giorno mostra questa legge";
}

std::string NumeroRipetuto(std::string_view numero, std::size_t record, std::uint64_t posizione)
{
    return "il numero " + std::string(numero) + " c'è già nel record " + std::to_string(record) +
           " (byte " + std::to_string(posizione) + "): questa legge non viene mai mostrata";
}

std::string SenzaTitolo()
{
    return "nessun a capo dopo il titolo: la legge viene mostrata senza titolo";
}

std::string TitoloSenzaMaiuscola(std::string_view inizio)
{
    return "il titolo non comincia con una maiuscola da A a Z: viene mostrato come «" +
           std::string(inizio) + "»";
}

std::string CorpoVuoto()
{
    return "il testo della legge è vuoto";
}

std::string TestoDopoUltimaBarra(std::uint64_t byte)
{
    return "testo dopo l'ultima «/» (" + std::to_string(byte) +
           " byte): non è un record e non viene mai mostrato; manca una «/» alla fine?";
}

std::string NumeroMancante(int numero)
{
    return "manca la legge numero " + std::to_string(numero);
}

std::string ByteIndefinito(unsigned char byte)
{
    char codice[8];
    std::snprintf(codice, sizeof codice, "0x%02X", byte);
    return std::string("il byte ") + codice + " non è un carattere di Windows-1252";
}

std::string AltriByteIndefiniti(std::uint64_t quanti)
{
    return "da qui altri " + std::to_string(quanti) + " byte non sono caratteri di Windows-1252";
}

} // namespace massime::testi
