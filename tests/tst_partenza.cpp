// SPDX-License-Identifier: GPL-3.0-or-later
// The start both windows share, without a window: what each command line answers, where the
// data files are looked for, and what the user is told around the window.
#include "finestra/cartellautente.h"
#include "finestra/partenza.h"
#include "finestra/testi.h"
#include "sistema/cartelle.h"
#include "sistema/errorefile.h"
#include "supporto/finti.h"
#include "supporto/prova.h"

#include <doctest/doctest.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

using namespace legge;
using namespace prova;

namespace {

// Shows every law, or fails to as the test says, and counts what the start asked of it.
class FinestraFinta : public FinestraAvvio {
public:
    explicit FinestraFinta(bool fallisce = false) : m_fallisce(fallisce) {}
    void RendiInPrimoPiano() override { ++chiamate; }
    Modo modo() const override { return m_modo; }
    void ImpostaModo(Modo modo) override { m_modo = modo; }
    void MostraLegge(int) override
    {
        ++chiamate;
        if (m_fallisce)
            throw Guasto();
    }
    static ErroreFile Guasto() { return ErroreFile("Massime.dat", "guasto di prova"); }
    int chiamate = 0;

private:
    bool m_fallisce;
    Modo m_modo = ModoGiorno;
};

std::vector<Tono> Toni(const Partenza &partenza)
{
    std::vector<Tono> toni;
    for (const Messaggio &messaggio : partenza.subito())
        toni.push_back(messaggio.tono);
    return toni;
}

bool Contiene(const std::string &testo, const std::string &parte)
{
    return testo.find(parte) != std::string::npos;
}

} // namespace

TEST_CASE("la riga di comando di ogni finestra: che cosa risponde e se prepara la cartella")
{
    using T = Tono;
    struct Riga {
        Regole regole;
        std::vector<std::string> argomenti; // after the program's name
        std::vector<Tono> toni;
        const char *testo; // in the first message
        std::optional<int> fine;
        bool prepara;
    };
    const Riga righe[] = {
        {Regole::Qt, {}, {}, "", std::nullopt, false},
        {Regole::Qt, {"--help"}, {T::Risposta}, "Uso: leggealgiorno [", 0, false},
        {Regole::Qt,
         {"--version"},
         {T::Risposta},
         "Una Legge al Giorno " LEGGE_VERSIONE "\n",
         0,
         false},
        {Regole::Qt,
         {"--cartella-utente", "--help"},
         {T::Risposta},
         "--avvio-automatico",
         0,
         false},
        {Regole::Qt, {"-style", "fusion", "--reverse"}, {}, "", std::nullopt, false},
        {Regole::Qt, {"-style", "fusion", "--cartella-utente"}, {}, "", std::nullopt, true},
        {Regole::Qt,
         {"--aiuto"},
         {T::Errore},
         "leggealgiorno: argomento non riconosciuto «--aiuto» (vedi leggealgiorno --help)\n",
         2,
         false},
        {Regole::Qt, {"/?"}, {T::Errore}, "«/?»", 2, false},
        {Regole::Qt, {"-platform"}, {T::Errore}, "«-platform»", 2, false},
        {Regole::Qt,
         {"--avvio-automatico", "forse"},
         {T::Errore},
         "«forse» (usa si oppure no)",
         2,
         false},
        {Regole::Qt,
         {"--avvio-automatico"},
         {T::Errore},
         "leggealgiorno: manca il valore di --avvio-automatico (usa si oppure no)\n",
         2,
         false},
        {Regole::Qt,
         {"--avvio-automatico="},
         {T::Errore},
         "manca il valore di --avvio-automatico",
         2,
         false},
        {Regole::Qt,
         {"--cartella-utente", "--avvio-automatico"},
         {T::Errore},
         "manca il valore",
         2,
         false},
        {Regole::Windows, {}, {}, "", std::nullopt, false},
        {Regole::Windows, {"--cartella-utente"}, {}, "", std::nullopt, true},
        {Regole::Windows, {"--help"}, {T::Risposta}, "%APPDATA%", 0, false},
        {Regole::Windows, {"/?", "altro"}, {T::Risposta}, "%APPDATA%", 0, false},
        {Regole::Windows,
         {"--version"},
         {T::Risposta},
         "Una Legge al Giorno " LEGGE_VERSIONE,
         0,
         false},
        {Regole::Windows,
         {"città"},
         {T::Errore},
         "leggealgiorno: argomento non riconosciuto «città» (vedi leggealgiorno --help)\n",
         2,
         false},
        {Regole::Windows,
         {"--cartella-utente", "altro"},
         {T::Errore},
         "«--cartella-utente»",
         2,
         false},
        {Regole::Windows, {"-style", "fusion"}, {T::Errore}, "«-style»", 2, false},
        {Regole::Windows,
         {"--avvio-automatico", "si"},
         {T::Errore},
         "«--avvio-automatico»",
         2,
         false},
    };
    CartellaTemporanea dir;
    const fs::path prima = fs::current_path();
    for (const Riga &r : righe) {
        std::vector<std::string> argomenti{"/usr/bin/leggealgiorno"};
        argomenti.insert(argomenti.end(), r.argomenti.begin(), r.argomenti.end());
        CAPTURE(r.regole == Regole::Qt ? "Qt" : "Windows");
        CAPTURE(argomenti.back());
        int preparazioni = 0;
        const Partenza partenza(argomenti, r.regole, [&] {
            ++preparazioni;
            return CartellaPronta{dir.percorso(), std::nullopt};
        });
        CHECK(Toni(partenza) == r.toni);
        if (!r.toni.empty())
            CHECK(Contiene(partenza.subito().front().testo, r.testo));
        CHECK(partenza.fine() == r.fine);
        CHECK(preparazioni == (r.prepara ? 1 : 0));
        CHECK(partenza.cartellaUtente() == r.prepara);
        if (!r.fine)
            CHECK(partenza.cartella() == (r.prepara ? dir.percorso() : prima));
        CHECK(!partenza.avviso());
        CHECK(fs::current_path() == prima);
    }
    CHECK(voci(dir.percorso()).empty());
}

TEST_CASE("il nome del programma nei messaggi")
{
    struct Riga {
        Regole regole;
        std::vector<std::string> argomenti;
        const char *nome;
    };
    const Riga righe[] = {
        {Regole::Qt, {"/opt/legge/bin/lag", "--boh"}, "lag: "},
        {Regole::Qt, {"lag", "--boh"}, "lag: "},
        {Regole::Qt, {"/opt/legge/", "--boh"}, "leggealgiorno: "},
        {Regole::Qt, {"", "--boh"}, "leggealgiorno: "},
        {Regole::Windows, {"C:/Programmi/lag.exe", "--boh"}, "leggealgiorno: "},
    };
    for (const Riga &r : righe) {
        CAPTURE(r.argomenti.front());
        const Partenza partenza(r.argomenti, r.regole);
        REQUIRE(partenza.subito().size() == 1);
        CHECK(partenza.subito().front().testo.starts_with(r.nome));
    }
    // With no arguments at all the start goes on, in the working directory.
    const Partenza vuota({}, Regole::Qt);
    CHECK(vuota.programma() == "leggealgiorno");
    CHECK(!vuota.fine());
}

TEST_CASE("la cartella dell'utente: avviso e fallimento detti prima e intorno alla finestra")
{
    enum class Cartella { Pronta, CollegamentoInterrotto, NonPronta };
    // The error box that ends the program once the view exists.
    enum class Box { Nessuna, Legge, AvvisoELegge, Cartella };
    struct Riga {
        const char *nome;
        Regole regole;
        Cartella cartella;
        bool leggeMostrata;
        std::vector<Tono> subito;
        std::optional<int> fine;
        bool avvisoDopo; // the warning again, in a box once the window shows
        Box box;
    };
    const Riga righe[] = {
        {"pronta", Regole::Qt, Cartella::Pronta, true, {}, std::nullopt, false, Box::Nessuna},
        {"legge non mostrata",
         Regole::Qt,
         Cartella::Pronta,
         false,
         {},
         std::nullopt,
         false,
         Box::Legge},
        {"collegamento interrotto",
         Regole::Qt,
         Cartella::CollegamentoInterrotto,
         true,
         {Tono::Avviso},
         std::nullopt,
         true,
         Box::Nessuna},
        {"collegamento interrotto, legge non mostrata",
         Regole::Qt,
         Cartella::CollegamentoInterrotto,
         false,
         {Tono::Avviso},
         std::nullopt,
         true,
         Box::AvvisoELegge},
        {"non pronta",
         Regole::Qt,
         Cartella::NonPronta,
         true,
         {Tono::Errore},
         std::nullopt,
         false,
         Box::Cartella},
        {"Windows: pronta",
         Regole::Windows,
         Cartella::Pronta,
         true,
         {},
         std::nullopt,
         false,
         Box::Nessuna},
        {"Windows: collegamento interrotto, legge non mostrata",
         Regole::Windows,
         Cartella::CollegamentoInterrotto,
         false,
         {Tono::Avviso},
         std::nullopt,
         false,
         Box::Legge},
        {"Windows: non pronta",
         Regole::Windows,
         Cartella::NonPronta,
         true,
         {Tono::Errore},
         1,
         false,
         Box::Nessuna},
    };
    const fs::path prima = fs::current_path();
    for (const Riga &r : righe) {
        CAPTURE(r.nome);
        CartellaTemporanea dir;
        const fs::path cartella = dir.file("dati");
        const fs::path altrove = dir.file("altrove/Massime.dat");
        const ErroreFile guasto = ErroreFile::daSistema(cartella, ENOSPC);
        const Partenza partenza({"leggealgiorno", "--cartella-utente"}, r.regole, [&] {
            fs::create_directory(cartella);
            if (r.cartella == Cartella::NonPronta)
                throw guasto;
            CartellaPronta pronta{cartella, std::nullopt};
            if (r.cartella == Cartella::CollegamentoInterrotto)
                pronta.collegamentoInterrotto = altrove;
            return pronta;
        });
        const std::string avviso = TestoCollegamentoInterrotto(cartella, altrove);
        const std::string nonPronta = TestoErrore(CartellaNonPronta, guasto);
        CHECK(Toni(partenza) == r.subito);
        CHECK(partenza.fine() == r.fine);
        CHECK(partenza.avviso() ==
              (r.avvisoDopo ? std::optional<std::string>(avviso) : std::nullopt));
        // A terminal hears whose warning it is, on a line of its own; a box says it by its
        // icon and needs no line break.
        const bool terminale = r.regole == Regole::Qt;
        if (r.cartella == Cartella::CollegamentoInterrotto)
            CHECK(partenza.subito().front().testo ==
                  (terminale ? TestoAttenzione("leggealgiorno", avviso) : avviso));
        if (r.cartella == Cartella::NonPronta)
            CHECK(partenza.subito().front().testo == (terminale ? nonPronta + "\n" : nonPronta));
        if (r.fine)
            continue;

        FinestraFinta finestra(!r.leggeMostrata);
        OrologioFermo orologio;
        CasualeFinto casuale;
        const auto errore = partenza.Avvia(finestra, orologio, casuale);
        const std::string nonMostrata = TestoErrore(AvvioFallito, FinestraFinta::Guasto());
        switch (r.box) {
        case Box::Nessuna:
            CHECK(!errore);
            break;
        case Box::Legge:
            CHECK(errore == nonMostrata);
            break;
        case Box::AvvisoELegge:
            CHECK(errore == avviso + "\n\n" + nonMostrata);
            break;
        case Box::Cartella:
            CHECK(errore == nonPronta);
            break;
        }
        if (r.cartella == Cartella::NonPronta) {
            // Nothing is looked up in a folder that is not ready.
            CHECK(finestra.chiamate == 0);
        } else {
            // Option.dat is written in the user's folder, not where the program started.
            CHECK(partenza.cartella() == cartella);
            CHECK(leggi(cartella / "Option.dat") == Giorno);
        }
        CHECK(fs::current_path() == prima);
    }
}

#if !defined(_WIN32) && defined(LEGGE_RACCOLTA_NEL_BUILD)
TEST_CASE("la cartella dell'utente vera, preparata senza cambiare la cartella di lavoro")
{
    CartellaTemporanea dir;
    const char *vecchia = std::getenv("XDG_DATA_HOME");
    const std::optional<std::string> ripristina =
        vecchia ? std::optional<std::string>(vecchia) : std::nullopt;
    REQUIRE(::setenv("XDG_DATA_HOME", dir.str().c_str(), 1) == 0);
    const fs::path prima = fs::current_path();

    const Partenza partenza({"leggealgiorno", "--cartella-utente"}, Regole::Qt);

    if (ripristina)
        ::setenv("XDG_DATA_HOME", ripristina->c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
    CHECK(fs::current_path() == prima);
    CHECK(partenza.subito().empty());
    CHECK(!partenza.fine());
    CHECK(partenza.cartella() == dir.file("leggealgiorno"));
    CHECK(leggi(dir.file("leggealgiorno/Massime.dat")) ==
          leggi(RaccoltaInstallata(ProgrammaInEsecuzione())));
}
#endif
