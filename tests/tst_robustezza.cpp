// SPDX-License-Identifier: GPL-3.0-or-later
// Inputs and faults that the program must survive: broken and hostile data files, a
// user without rights, a full disk, a process killed while it writes.
#include "leggi/massime.h"
#include "opzioni/modo.h"
#include "parole/parole.h"
#include "sistema/errorefile.h"
#include "sistema/file.h"
#include "supporto/prova.h"

#include <doctest/doctest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <memory>
#include <optional>
#include <random>
#include <thread>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace legge;
using namespace prova;

// Option.dat as found on disk. Reading never changes it; a file that holds no marker is no
// error (the mode stays as it is), one that holds nothing readable is.
TEST_CASE("Option.dat comunque sia")
{
    struct Riga {
        const char *nome;
        std::string caso;
        bool errore;
        std::optional<Modo> atteso;
    };
    const Riga righe[] = {
        {"mancante", "mancante", true, std::nullopt},
        {"vuoto", "vuoto", true, std::nullopt},
        {"un LF solo", "lf", false, std::nullopt},
        {"10 MB binari", "binario", false, std::nullopt},
        {"10 MB dopo il segno", "segno-e-binario", false, ModoCasuale},
        {"cartella", "cartella", true, std::nullopt},
    };
    for (const auto &r : righe) {
        CAPTURE(r.nome);
        CartellaTemporanea dir;
        const auto file = dir.file("Option.dat");
        std::string dati;
        if (r.caso == "lf") {
            dati = "\n";
        } else if (r.caso == "binario" || r.caso == "segno-e-binario") {
            dati = byteCasuali(10 * 1024 * 1024, 6);
            if (r.caso == "segno-e-binario")
                dati.replace(0, Casuale.size(), Casuale);
        }
        if (r.caso == "cartella")
            REQUIRE(fs::create_directory(file));
        else if (r.caso != "mancante")
            REQUIRE(scrivi(file, dati));

        try {
            const auto modo = LeggiModo(file);
            CHECK_MESSAGE(!r.errore, "nessun errore");
            CHECK(modo == r.atteso);
        } catch (const ErroreFile &e) {
            CHECK_MESSAGE(r.errore, e.what());
            CHECK(e.percorso() == file);
            CHECK(!MotivoErrore(e).empty());
        }
        if (r.caso == "cartella")
            CHECK(fs::is_directory(file));
        else if (r.caso != "mancante")
            CHECK(leggi(file) == dati);
        CHECK(voci(dir.percorso()) ==
              (r.caso == "mancante" ? std::vector<std::string>() : SoloOpzioni));
    }
}

// Massime.dat, written in clear here and scrambled on disk.
TEST_CASE("Massime.dat comunque sia")
{
    const std::string intero = "/001 Uno\r\nprimo/002 Due\r\nsecondo/003 Tre\r\nterzo/";
    const auto finoA = [&](std::string_view dove, std::size_t oltre) {
        return intero.substr(0, intero.find(dove) + oltre);
    };
    struct Riga {
        const char *nome;
        std::string testo;
        int numero;
        bool trovata;
        std::string titolo;
    };
    const Riga righe[] = {
        {"senza barre", std::string(4096, 'x'), 1, false, ""},
        {"troncato nel numero", finoA("003", 2), 2, true, "Due"},
        {"troncato nel corpo: l'ultimo si perde", finoA("terzo", 2), 3, false, ""},
        {"troncato nel corpo: i precedenti restano", finoA("terzo", 2), 1, true, "Uno"},
        {"troncato prima dell'ultima barra", intero.substr(0, intero.size() - 1), 3, false, ""},
        {"numero 0", "/000 Zero\nx/", 0, true, "Zero"},
        {"lettere valgono 0", "/abc\nx/", 0, true, "abc"},
        {"negativo", "/-12 Meno\nx/", -12, true, "Meno"},
        {"negativo non è positivo", "/-12 Meno\nx/", 12, false, ""},
        {"oltre 2^31: contano tre cifre", "/2147483648 Grande\nx/", 214, true, "2147483648 Grande"},
        {"oltre 2^31: il numero intero no", "/2147483648 Grande\nx/", INT_MAX, false, ""},
        {"INT_MIN", "/-21 Meno\nx/", INT_MIN, false, ""},
        {"record vuoti", "////", 0, true, ""},
        {"campo tutto CR", "/\r\r\r\r\r\r7 Sette\nx/", 7, true, "Sette"},
    };
    for (const auto &r : righe) {
        CAPTURE(r.nome);
        CartellaTemporanea dir;
        const auto file = dir.file("Massime.dat");
        REQUIRE(scrivi(file, codifica(r.testo)));
        const Legge legge = CercaLegge(file, r.numero, SeManca::Errore);
        CHECK(legge.trovata == r.trovata);
        CHECK(legge.titolo.value_or("") == r.titolo);
    }
}

// Records numbered 0, negative or with more than three digits are never what the program
// shows: none of the numbers it asks for (1 to 366, and 500) reaches them.
TEST_CASE("nessun giorno trova numeri strani")
{
    CartellaTemporanea dir;
    const auto file = dir.file("Massime.dat");
    REQUIRE(scrivi(file, codifica("/000 Zero\nx/-01 Meno\ny/ab Lettere\nz/-366 Meno\nw/"
                                  "0.5 Mezzo\nv/")));
    for (int numero = 1; numero <= 366; ++numero) {
        CAPTURE(numero);
        CHECK(!CercaLegge(file, numero).trovata);
    }
    CHECK(!CercaLegge(file, 500).trovata);
}

// 100 MB of random bytes hold about 400 000 separators and records of every shape. The
// scan must see each record once, and find the same first match as a plain search.
TEST_CASE("Massime.dat di 100 MB casuali")
{
    CartellaTemporanea dir;
    const auto file = dir.file("Massime.dat");
    const std::string dati = byteCasuali(100 * 1024 * 1024, 100);
    REQUIRE(scrivi(file, dati));

    class Contatore : public VisitatoreMassime {
    public:
        bool vuoiTesto(std::string_view) override { return true; }
        bool record(const Record &) override { return ++conta, true; }
        std::ptrdiff_t conta = 0;
    } contatore;
    PercorriMassime(file, contatore);
    const char sep = codifica("/").at(0);
    const auto separatori = std::count(dati.begin(), dati.end(), sep);
    REQUIRE(separatori > 1000);
    CHECK(contatore.conta == separatori - 1);

    // The first record whose number field reads as a whole number from 1 up, found the
    // plain way: its first three characters after the separator, CRs left out.
    std::size_t inizio = dati.find(sep) + 1;
    int numero = 0;
    std::string atteso;
    for (std::size_t fine; (fine = dati.find(sep, inizio)) != std::string::npos;
         inizio = fine + 1) {
        std::string testo = codifica(dati.substr(inizio, fine - inizio));
        std::erase(testo, '\r');
        const double valore = ValoreNumero(std::string_view(testo).substr(0, 3));
        if (valore >= 1 && valore == int(valore)) {
            numero = int(valore);
            atteso = testo;
            break;
        }
    }
    REQUIRE(numero > 0);
    const Legge legge = CercaLegge(file, numero);
    const Legge attesa = EstraiLegge(atteso);
    CHECK(legge.trovata);
    CHECK(legge.titolo == attesa.titolo);
    CHECK(legge.corpo == attesa.corpo);
}

// ---- A helper process; on POSIX systems also FIFOs, another user, file-size limits ----

namespace {

// A copy of the helper that any user can run.
const CopiaEseguibile &aiuto()
{
    static const CopiaEseguibile copia(LEGGE_AIUTO);
    return copia;
}

// The hidden temporary files that the atomic write leaves only when it is killed.
std::vector<std::string> temporanei(const fs::path &cartella)
{
    auto elenco = voci(cartella);
    std::erase_if(elenco,
                  [](const std::string &nome) { return !nome.starts_with(".Option.dat."); });
    return elenco;
}

} // namespace

#ifndef _WIN32

namespace {

struct Risposta {
    int codice = -1;
    std::vector<std::string> campi; // the helper's line, split at tabs
};

Risposta chiedi(std::vector<std::string> argomenti, bool daNobody = false,
                std::chrono::seconds limite = std::chrono::seconds(30))
{
    argomenti.insert(argomenti.begin(), aiuto().str());
    if (daNobody)
        argomenti = comeNobody(std::move(argomenti));
    const Esito esito = esegui(argomenti, {}, limite);
    if (!esito.errori.empty())
        std::fputs(esito.errori.c_str(), stderr);
    return {esito.codice, campi(esito.uscita)};
}

} // namespace

// A data file that is not a regular file must give an error at once: a FIFO would
// otherwise block the start for ever, /dev/zero would never end.
TEST_CASE("file speciali")
{
    struct Riga {
        const char *nome;
        std::string file, tipo;
    };
    const Riga righe[] = {
        {"Option.dat FIFO", "Option.dat", "fifo"},
        {"Massime.dat FIFO", "Massime.dat", "fifo"},
        {"Option.dat -> /dev/zero", "Option.dat", "zero"},
        {"Massime.dat -> /dev/zero", "Massime.dat", "zero"},
        {"Massime.dat cartella", "Massime.dat", "cartella"},
    };
    for (const auto &r : righe) {
        CAPTURE(r.nome);
        CartellaTemporanea dir;
        const auto percorso = dir.file(r.file);
        if (r.tipo == "fifo")
            REQUIRE(creaFifo(percorso));
        else if (r.tipo == "zero")
            fs::create_symlink("/dev/zero", percorso);
        else
            REQUIRE(fs::create_directory(percorso));

        const auto limite = std::chrono::seconds(10);
        const Risposta esito =
            r.file == "Option.dat"
                ? chiedi({"leggi-modo", percorso.string()}, false, limite)
                : chiedi({"cerca", percorso.string(), "1", "crea"}, false, limite);
        CHECK(esito.codice == 3);
        CHECK(campo(esito.campi, 0) == "errore");
        CHECK(campo(esito.campi, 1) == percorso.string());
        CHECK(!campo(esito.campi, 2).empty());
        CHECK(voci(dir.percorso()) == std::vector<std::string>{r.file});
    }
}

// The working directory belongs to root and is read-only for the user running the
// program; the two files may be missing, root's, or left writable for the user.
TEST_CASE("utente senza permessi")
{
    if (!nobodyDisponibile()) {
        MESSAGE("saltato: serve root e setpriv per agire come nobody");
        return;
    }
    struct Riga {
        const char *nome;
        std::string opzioni; // assente, di root, scrivibile
        std::string massime; // assente, leggibile, illeggibile
        std::string esitoLeggi, esitoScrivi, esitoCerca;
        std::string opzioniDopo;
    };
    const Riga righe[] = {
        {"senza file", "assente", "assente", "errore", "errore", "errore", ""},
        {"file di root", "di root", "leggibile", "casuale", "errore", "trovata", Casuale},
        {"Option.dat scrivibile: riscritto sul posto", "scrivibile", "leggibile", "casuale",
         "scritto", "trovata", Giorno},
        {"Massime.dat illeggibile", "di root", "illeggibile", "casuale", "errore", "errore",
         Casuale},
    };
    for (const auto &r : righe) {
        CAPTURE(r.nome);
        CartellaTemporanea dir;
        REQUIRE(cambiaPermessi(dir.percorso(), 0755));
        const auto fileOpzioni = dir.file("Option.dat");
        const auto fileMassime = dir.file("Massime.dat");
        const std::string legge = codifica("/001 Prima\nlegge/");
        if (r.opzioni != "assente") {
            REQUIRE(scrivi(fileOpzioni, Casuale));
            REQUIRE(cambiaPermessi(fileOpzioni, r.opzioni == "scrivibile" ? 0666 : 0644));
        }
        if (r.massime != "assente") {
            REQUIRE(scrivi(fileMassime, legge));
            REQUIRE(cambiaPermessi(fileMassime, r.massime == "leggibile" ? 0644 : 0000));
        }
        const auto prima = voci(dir.percorso());
        struct stat st {};
        const bool esisteva = ::stat(fileOpzioni.c_str(), &st) == 0;
        const ino_t inode = st.st_ino;

        const auto controlla = [&](const Risposta &esito, const std::string &atteso,
                                   const fs::path &file) {
            REQUIRE(campo(esito.campi, 0) == atteso);
            REQUIRE(esito.codice == (atteso == "errore" ? 3 : 0));
            if (atteso == "errore") {
                REQUIRE(campo(esito.campi, 1) == file.string());
                REQUIRE(!campo(esito.campi, 2).empty());
            }
        };
        controlla(chiedi({"leggi-modo", fileOpzioni.string()}, true), r.esitoLeggi, fileOpzioni);
        controlla(chiedi({"scrivi-modo", fileOpzioni.string(), "giorno"}, true), r.esitoScrivi,
                  fileOpzioni);
        controlla(chiedi({"cerca", fileMassime.string(), "1", "crea"}, true), r.esitoCerca,
                  fileMassime);

        CHECK(voci(dir.percorso()) == prima);
        CHECK(leggi(fileOpzioni) == r.opzioniDopo);
        if (esisteva) {
            REQUIRE(::stat(fileOpzioni.c_str(), &st) == 0);
            CHECK(st.st_ino == inode);
        }
        if (r.massime != "assente")
            CHECK(leggi(fileMassime) == legge);
    }
}

// A full disk, or a quota, while Option.dat is written: the write fails, the old file
// stays byte for byte, and no temporary file is left. A limit large enough for the new
// content shows that it is the limit, not something else, that makes the others fail.
TEST_CASE("disco pieno")
{
    struct Riga {
        std::string nome;
        std::size_t limite;
        bool esistente, riesce;
    };
    std::vector<Riga> righe;
    for (const bool esistente : {true, false}) {
        const std::string quale = esistente ? "sopra il vecchio" : "nuovo";
        righe.push_back({quale + ", niente spazio", 0, esistente, false});
        righe.push_back({quale + ", spazio per 5 byte", 5, esistente, false});
        righe.push_back({quale + ", manca un byte", Casuale.size() - 1, esistente, false});
        righe.push_back({quale + ", spazio giusto", Casuale.size(), esistente, true});
    }
    for (const auto &r : righe) {
        CAPTURE(r.nome);
        CartellaTemporanea dir;
        const auto file = dir.file("Option.dat");
        const std::string vecchio = Giorno + "una seconda riga che nessuno legge\r\n";
        if (r.esistente)
            REQUIRE(scrivi(file, vecchio));

        const Risposta esito = chiedi(
            {"--limite-file", std::to_string(r.limite), "scrivi-modo", file.string(), "casuale"});
        if (r.riesce) {
            CHECK(campo(esito.campi, 0) == "scritto");
            CHECK(leggi(file) == Casuale);
        } else {
            CHECK(esito.codice == 3);
            CHECK(campo(esito.campi, 1) == file.string());
            CHECK(!campo(esito.campi, 2).empty());
            if (r.esistente)
                CHECK(leggi(file) == vecchio);
        }
        CHECK(voci(dir.percorso()) ==
              (r.esistente || r.riesce ? SoloOpzioni : std::vector<std::string>()));
    }
}

// The last resort, rewriting Option.dat in place because the directory is read-only,
// cannot be atomic. When the disk fills up part-way, the old bytes are put back.
TEST_CASE("disco pieno sul posto")
{
    if (!nobodyDisponibile()) {
        MESSAGE("saltato: serve root e setpriv per agire come nobody");
        return;
    }
    CartellaTemporanea dir;
    REQUIRE(cambiaPermessi(dir.percorso(), 0755));
    const auto file = dir.file("Option.dat");
    REQUIRE(scrivi(file, Giorno)); // shorter than the new content: the write must grow it
    REQUIRE(cambiaPermessi(file, 0666));

    const Risposta esito = chiedi(
        {"--limite-file", std::to_string(Giorno.size()), "scrivi-modo", file.string(), "casuale"},
        true);
    CHECK(esito.codice == 3);
    CHECK(campo(esito.campi, 1) == file.string());
    CHECK(leggi(file) == Giorno);
    CHECK(voci(dir.percorso()) == SoloOpzioni);
}

#endif

// A process killed (SIGKILL or TerminateProcess, which nothing can catch) at a random moment while
// it rewrites Option.dat over and over. Afterwards the file holds one whole marker line or the
// other. A kill between creating the temporary file and renaming it leaves that one file behind:
// nothing can remove it then. The reader never looks at it.
TEST_CASE("ucciso durante la scrittura")
{
    CartellaTemporanea dir;
    const auto file = dir.file("Option.dat");
    REQUIRE(scrivi(file, Giorno));
    std::mt19937 caso(20240601);
    int conTemporaneo = 0;
    for (int giro = 0; giro < 100; ++giro) {
        CAPTURE(giro);
        {
            Processo p({aiuto().str(), "alterna", file.string()});
            REQUIRE(p.avviato());
            REQUIRE(p.attendiRiga(std::chrono::seconds(30)));
            std::this_thread::sleep_for(std::chrono::microseconds(aCaso(caso, 3000)));
            p.uccidi();
            REQUIRE(p.attendi(std::chrono::seconds(30)));
        }

        const std::string dopo = leggi(file);
        CHECK((dopo == Giorno || dopo == Casuale));
        const auto resti = temporanei(dir.percorso());
        REQUIRE(resti.size() <= 1);
        if (!resti.empty()) {
            ++conTemporaneo;
            CHECK(LeggiModo(file) == std::optional(dopo == Giorno ? ModoGiorno : ModoCasuale));
            REQUIRE(fs::remove(dir.file(resti.front())));
        }
        CHECK(voci(dir.percorso()) == SoloOpzioni);
    }
    MESSAGE(conTemporaneo << " uccisioni su 100 hanno lasciato un file temporaneo");
}

#ifndef _WIN32

// A file with two names is rewritten where it stands; a disk that fills up half-way
// through must leave both names with the old content.
TEST_CASE("disco pieno, due nomi")
{
    CartellaTemporanea dir;
    const auto file = dir.file("Option.dat");
    const auto altro = dir.file("copia.dat");
    REQUIRE(scrivi(file, Giorno));
    fs::create_hard_link(file, altro);

    const Risposta esito = chiedi(
        {"--limite-file", std::to_string(Giorno.size()), "scrivi-modo", file.string(), "casuale"},
        false);
    CHECK(esito.codice == 3);
    CHECK(leggi(file) == Giorno);
    CHECK(leggi(altro) == Giorno);
    CHECK(fs::hard_link_count(file) == 2u);
    CHECK(voci(dir.percorso()) == std::vector<std::string>{"Option.dat", "copia.dat"});

    // With room enough, both names see the new marker.
    ScriviModo(file, ModoCasuale);
    CHECK(leggi(altro) == Casuale);
}

#endif

// Another program holding a data file's lock, as the program's own readers and writers take
// it: what needs the lock gives up after a short wait with a message and changes nothing;
// what does not need it goes on. A wait without end would hang this test.
TEST_CASE("un file bloccato da un altro programma")
{
    struct Riga {
        std::string nome;
        bool scrittura; // Option.dat written, or Massime.dat read
        bool dueNomi;
        bool esclusivo; // how the other program holds it
        bool bloccato;
    };
    const Riga righe[] = {
        {"scrittura sul posto, tenuto da chi scrive", true, true, true, true},
        {"scrittura sul posto, tenuto da chi legge", true, true, false, true},
        {"lettura di un file con due nomi, tenuto da chi scrive", false, true, true, true},
        {"lettura di un file con due nomi, tenuto da chi legge", false, true, false, false},
        {"lettura di un file con un nome", false, false, true, false},
#ifndef _WIN32
        // Replaced by a rename, which no lock holds up (Wine refuses it while the file is open).
        {"scrittura di un file con un nome", true, false, true, false},
#endif
    };
    const std::string legge = codifica("/001 Titolo\r\nTesto.\r\n/");
    for (const auto &r : righe) {
        CAPTURE(r.nome);
        CartellaTemporanea dir;
        const auto file = dir.file(r.scrittura ? "Option.dat" : "Massime.dat");
        const std::string vecchio = r.scrittura ? Casuale : legge;
        REQUIRE(scrivi(file, vecchio));
        if (r.dueNomi)
            fs::create_hard_link(file, dir.file("altro.dat"));
        const BloccoTenuto blocco(file, r.esclusivo);
        REQUIRE(blocco.tenuto());
        try {
            if (r.scrittura) {
                ScriviModo(file, ModoGiorno);
            } else {
                const bool trovata = CercaLegge(file, 1).trovata;
                CHECK(trovata);
            }
            CHECK(!r.bloccato);
        } catch (const ErroreFile &e) {
            CHECK(r.bloccato);
            CHECK(e.tipo() == ErroreFile::Tipo::Bloccato);
            CHECK(e.percorso() == file);
            CHECK(MotivoErrore(e) == (r.scrittura ? "un altro programma lo tiene bloccato: lo "
                                                    "lascio com'è"
                                                  : "un altro programma lo tiene bloccato"));
        }
        if (r.bloccato || !r.scrittura) {
            CHECK(leggi(file) == vecchio);
            if (r.dueNomi)
                CHECK(leggi(dir.file("altro.dat")) == vecchio);
        } else {
            CHECK(leggi(file) == Giorno);
        }
    }
}

// Whoever waits longer is told who is in the way; once the lock is let go, the write goes on.
TEST_CASE("un'attesa detta e poi finita")
{
    CartellaTemporanea dir;
    const auto file = dir.file("Massime.dat");
    REQUIRE(scrivi(file, "vecchio"));
    fs::create_hard_link(file, dir.file("altro.dat"));
    auto blocco = std::make_unique<BloccoTenuto>(file, true);
    REQUIRE(blocco->tenuto());
    int annunci = 0;
    TitolareBlocco chi;
    Attesa attesa;
    attesa.limite = std::chrono::minutes(2);
    attesa.avviso = std::chrono::milliseconds(0);
    attesa.annuncia = [&](const fs::path &percorso, const TitolareBlocco &titolare) {
        CHECK(percorso == file);
        ++annunci;
        chi = titolare;
        blocco.reset();
    };
    SostituisciFile(file, "nuovo", attesa);
    CHECK(annunci == 1);
    CHECK(leggi(dir.file("altro.dat")) == "nuovo");
#ifdef __linux__
    // The lock is this process's own, from another open file.
    CHECK(chi.processo == static_cast<std::uint64_t>(::getpid()));
    CHECK(!chi.programma.empty());
#endif
}
