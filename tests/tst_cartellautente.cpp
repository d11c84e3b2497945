// SPDX-License-Identifier: GPL-3.0-or-later
// The user's data folder: where the XDG rules put it, its preparation and its failures, the
// start at login, and the working directory that completes relative names.
#include "finestra/cartellautente.h"
#include "finestra/testi.h"
#include "sistema/argomenti.h"
#include "sistema/cartelle.h"
#include "sistema/errorefile.h"
#include "supporto/prova.h"

#include <doctest/doctest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <system_error>

using namespace legge;
using namespace prova;

namespace {

const std::string Raccolta = "la raccolta installata";
const std::string Mia = "la raccolta dell'utente";

std::optional<std::string_view> opz(const char *valore)
{
    return valore ? std::optional<std::string_view>(valore) : std::nullopt;
}

} // namespace

TEST_CASE("la cartella secondo le regole XDG")
{
    struct Riga {
        const char *nome;
        const char *valore; // nullptr: unset
        const char *casa;   // nullptr: unset
        const char *attesa; // nullptr: ErroreCasa
        bool casaNota;      // the error carries HOME's value
    };
    const Riga righe[] = {
        {"variabile assoluta", "/dati/utente", "/home/u", "/dati/utente", false},
        {"variabile assoluta senza HOME", "/dati", nullptr, "/dati", false},
        {"variabile assente", nullptr, "/home/u", "/home/u/.local/share", false},
        {"variabile vuota", "", "/home/u", "/home/u/.local/share", false},
        {"variabile relativa", "dati/utente", "/home/u", "/home/u/.local/share", false},
        {"senza HOME", nullptr, nullptr, nullptr, false},
        {"HOME vuota", "relativa", "", nullptr, false},
        {"HOME relativa", nullptr, "home/u", nullptr, true},
    };
    for (const auto &r : righe) {
        CAPTURE(r.nome);
        const auto decidi = [&] {
            return CartellaXdg("XDG_DATA_HOME", opz(r.valore), opz(r.casa), ".local/share");
        };
        if (r.attesa) {
            CHECK(decidi().generic_string() == r.attesa);
            continue;
        }
        try {
            decidi();
            FAIL("nessun errore");
        } catch (const ErroreCasa &errore) {
            CHECK(errore.variabile() == "XDG_DATA_HOME");
            CHECK(errore.casa().has_value() == r.casaNota);
            const std::string testo = TestoErrore(CartellaNonPronta, errore);
            CHECK(testo.find("HOME") != std::string::npos);
            CHECK(testo.find("XDG_DATA_HOME") != std::string::npos);
        }
    }
}

TEST_CASE("la cartella dell'utente preparata")
{
    enum class Atteso { Seminato, Resta, Avvisa };
    struct Riga {
        const char *nome;
        const char *massime; // what stands at Massime.dat; nullptr: nothing
        bool collegamento;   // Massime.dat is a link to altrove/Massime.dat
        const char *altrove; // what the link leads to; nullptr: nothing
        bool cartellaEsiste;
        Atteso atteso;
    };
    const Riga righe[] = {
        {"cartella nuova", nullptr, false, nullptr, false, Atteso::Seminato},
        {"cartella senza raccolta", nullptr, false, nullptr, true, Atteso::Seminato},
        {"raccolta vuota", "", false, nullptr, true, Atteso::Seminato},
        {"raccolta dell'utente", "001\r\nMia\r\nLa mia legge/", false, nullptr, true,
         Atteso::Resta},
        {"collegamento a un file vuoto", nullptr, true, "", true, Atteso::Seminato},
        {"collegamento a una raccolta", nullptr, true, "mia/", true, Atteso::Resta},
        {"collegamento interrotto", nullptr, true, nullptr, true, Atteso::Avvisa},
    };
    for (const auto &r : righe) {
        CAPTURE(r.nome);
#ifdef _WIN32
        // Symbolic links need a privilege that Windows gives few users.
        if (r.collegamento)
            continue;
#endif
        CartellaTemporanea dir;
        const auto raccolta = dir.file("installata/Massime.dat");
        REQUIRE(fs::create_directory(dir.file("installata")));
        REQUIRE(scrivi(raccolta, Raccolta));
        const auto cartella = dir.file("dati utente/leggealgiorno");
        const auto massime = cartella / "Massime.dat";
        const auto altrove = dir.file("altrove/Massime.dat");
        REQUIRE(fs::create_directory(dir.file("altrove")));
        if (r.cartellaEsiste)
            REQUIRE(fs::create_directories(cartella));
        if (r.massime)
            REQUIRE(scrivi(massime, r.massime));
        if (r.altrove)
            REQUIRE(scrivi(altrove, r.altrove));
        if (r.collegamento)
            fs::create_symlink(altrove, massime);
        const std::string prima = leggi(r.collegamento ? altrove : massime, "<manca>");

        const CartellaPronta pronta = PreparaCartella(cartella, raccolta);

        CHECK(pronta.cartella == cartella);
        CHECK(fs::is_directory(cartella));
        CHECK(pronta.collegamentoInterrotto.has_value() == (r.atteso == Atteso::Avvisa));
        CHECK(fs::is_symlink(massime) == r.collegamento);
        switch (r.atteso) {
        case Atteso::Seminato:
            CHECK(leggi(massime) == Raccolta);
            break;
        case Atteso::Resta:
            CHECK(leggi(massime) == prima);
            break;
        case Atteso::Avvisa:
            CHECK(!fs::exists(altrove));
            CHECK(*pronta.collegamentoInterrotto == altrove);
            CHECK(TestoCollegamentoInterrotto(pronta.cartella, altrove).find(altrove.string()) !=
                  std::string::npos);
            break;
        }
        // Nothing left behind by the copy.
        CHECK(voci(cartella) == std::vector<std::string>{"Massime.dat"});
        CHECK(voci(dir.file("altrove")).size() == (r.altrove ? 1u : 0u));
    }
}

TEST_CASE("la cartella dell'utente che non si può preparare")
{
    struct Riga {
        const char *nome;
        const char *fileAl;   // a file made at this place under the temporary folder
        const char *cartella; // the data folder, under the temporary folder
        bool raccolta;        // the installed collection exists
        const char *nominato; // the file the error names, under the temporary folder
        ErroreFile::Tipo tipo;
    };
    const Riga righe[] = {
        {"un file al posto della cartella", "dati", "dati", true, "dati",
         ErroreFile::Tipo::NonCartella},
#ifdef _WIN32
        // Windows names the file in the way, POSIX systems the folder it keeps from being.
        {"un file sopra la cartella", "xdg", "xdg/leggealgiorno", true, "xdg",
         ErroreFile::Tipo::NonCartella},
#else
        {"un file sopra la cartella", "xdg", "xdg/leggealgiorno", true, "xdg/leggealgiorno",
         ErroreFile::Tipo::Sistema},
#endif
        {"raccolta installata mancante", nullptr, "dati", false, "installata/Massime.dat",
         ErroreFile::Tipo::Sistema},
    };
    for (const auto &r : righe) {
        CAPTURE(r.nome);
        CartellaTemporanea dir;
        if (r.fileAl)
            REQUIRE(scrivi(dir.file(r.fileAl), "un file"));
        if (r.raccolta) {
            REQUIRE(fs::create_directory(dir.file("installata")));
            REQUIRE(scrivi(dir.file("installata/Massime.dat"), Raccolta));
        }
        try {
            PreparaCartella(dir.file(r.cartella), dir.file("installata/Massime.dat"));
            FAIL("nessun errore");
        } catch (const ErroreFile &errore) {
            const fs::path nominato = dir.file(r.nominato).lexically_normal();
            CHECK(errore.percorso() == nominato);
            CHECK(errore.tipo() == r.tipo);
            const std::string testo = TestoErrore(CartellaNonPronta, errore);
            CHECK(testo.find(nominato.string()) != std::string::npos);
        }
        if (r.fileAl)
            CHECK(leggi(dir.file(r.fileAl)) == "un file");
    }
}

TEST_CASE("l'avvio automatico acceso e spento")
{
    struct Riga {
        const char *nome;
        bool cartellaEsiste;
        bool voceEsiste;
        bool collegamento; // the entry is the user's link to dotfiles/voce.desktop
        bool attiva;
        std::optional<AvvioAutomatico> atteso; // nothing: refused
    };
    const Riga righe[] = {
        {"acceso la prima volta", false, false, false, true, AvvioAutomatico::Attivato},
        {"acceso di nuovo", true, true, false, true, AvvioAutomatico::Attivato},
        {"acceso attraverso un collegamento", true, true, true, true, AvvioAutomatico::Attivato},
        {"spento", true, true, false, false, AvvioAutomatico::Disattivato},
        {"spento due volte", true, false, false, false, AvvioAutomatico::GiaDisattivato},
        {"spento senza cartella", false, false, false, false, AvvioAutomatico::GiaDisattivato},
        {"acceso attraverso un collegamento interrotto", true, false, true, true, std::nullopt},
        {"spento attraverso un collegamento interrotto", true, false, true, false,
         AvvioAutomatico::Disattivato},
    };
    for (const auto &r : righe) {
        CAPTURE(r.nome);
#ifdef _WIN32
        if (r.collegamento)
            continue;
#endif
        CartellaTemporanea dir;
        const auto modello = dir.file("modello.desktop");
        REQUIRE(scrivi(modello, "[Desktop Entry]\n"));
        const auto voce = dir.file("config/autostart/id.desktop");
        const auto vera = dir.file("dotfiles/id.desktop");
        if (r.cartellaEsiste)
            REQUIRE(fs::create_directories(voce.parent_path()));
        if (r.collegamento) {
            REQUIRE(fs::create_directory(dir.file("dotfiles")));
            if (r.voceEsiste)
                REQUIRE(scrivi(vera, "vecchia"));
            fs::create_symlink(vera, voce);
        } else if (r.voceEsiste) {
            REQUIRE(scrivi(voce, "vecchia"));
        }

        if (!r.atteso) {
            CHECK_THROWS_AS(ImpostaAvvioAutomatico(r.attiva, modello, voce), ErroreFile);
            CHECK(fs::is_symlink(voce));
            CHECK(!fs::exists(vera));
            continue;
        }
        CHECK(ImpostaAvvioAutomatico(r.attiva, modello, voce) == *r.atteso);

        CHECK(fs::exists(voce) == r.attiva);
        if (r.attiva)
            CHECK(leggi(voce) == "[Desktop Entry]\n");
        CHECK(fs::is_symlink(voce) == (r.collegamento && r.attiva));
        CHECK(TestoAvvioAutomatico(*r.atteso, voce).ends_with("\n"));
    }
}

TEST_CASE("dove il programma trova la raccolta e l'utente i suoi dati")
{
#ifdef _WIN32
    // Beside the program, as the installer puts it; the folder Windows gives the user's data.
    CHECK(RaccoltaInstallata("C:/Programmi/Legge/leggealgiorno.exe") ==
          fs::path("C:/Programmi/Legge/Massime.dat").lexically_normal());
    const char *appdata = std::getenv("APPDATA");
    REQUIRE(appdata != nullptr);
    CHECK(fs::equivalent(CartellaDatiUtente(), appdata));
#else
    // Never in share/leggealgiorno, which under the prefix ~/.local is the user's own folder.
    CHECK(RaccoltaInstallata("/opt/legge/bin/leggealgiorno") ==
          "/opt/legge/share/io.github.leggealgiorno.LeggeAlGiorno/Massime.dat");
    CHECK(ModelloAvvioAutomatico("/opt/legge/bin/leggealgiorno").parent_path() ==
          "/opt/legge/share/io.github.leggealgiorno.LeggeAlGiorno");
#endif
    CHECK(ProgrammaInEsecuzione().filename().string().starts_with("tst_cartellautente"));
}

TEST_CASE("la cartella di lavoro, e i nomi relativi nei messaggi completati da lei")
{
    CartellaTemporanea dir;
    const fs::path cartella = dir.percorso() / PercorsoUtf8("città ☃");
    REQUIRE(fs::create_directory(cartella));
    // Back where the other tests expect, and out of the folder before it is removed.
    struct Ritorno {
        fs::path prima = fs::current_path();
        ~Ritorno()
        {
            std::error_code e;
            fs::current_path(prima, e);
        }
    } ritorno;
    fs::current_path(cartella);
    CHECK(fs::equivalent(CartellaCorrente(), cartella));
    CHECK(CartellaCorrente() == fs::current_path());

    const fs::path qui = fs::current_path();
    const std::string lungo(300, 'n'); // longer than a first guess at a name's room
    struct Riga {
        const char *caso;
        fs::path nome;
        fs::path atteso;
    };
    const Riga righe[] = {
        {"un nome", "Option.dat", qui / "Option.dat"},
        {"su e giù", fs::path("a") / ".." / "Massime.dat", qui / "Massime.dat"},
        {"più in basso", fs::path(".") / "a" / "b", qui / "a" / "b"},
        {"più lungo di MAX_PATH", fs::path(lungo) / "x", qui / lungo / "x"},
        {"già assoluto", dir.percorso() / "x", dir.percorso() / "x"},
#ifdef _WIN32
        {"dalla radice dell'unità", "\\x", qui.root_path() / "x"},
        {"una condivisione di rete", "//server/condivisa/x", "//server/condivisa/x"},
        {"un dispositivo", "aux.txt", "aux.txt"},
#endif
    };
    for (const auto &r : righe) {
        INFO(r.caso);
        const ErroreFile errore(r.nome, "motivo");
        CHECK(errore.percorso() == r.atteso);
        CHECK(std::string(errore.what()) == r.atteso.string() + ": motivo");
    }
}
