// SPDX-License-Identifier: GPL-3.0-or-later
// The user's data folder: where the XDG rules put it, its preparation and its failures, the
// start at login, and the working directory that completes relative names.
#include "finestra/cartellautente.h"
#include "finestra/testi.h"
#include "sistema/argomenti.h"
#include "sistema/cartelle.h"
#include "sistema/errorefile.h"
#include "supporto/codifica.h"
#include "supporto/prova.h"

#include <doctest/doctest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <system_error>

using namespace legge;
using namespace prova;

namespace {

const std::string Raccolta = CodificaRecord(1, "Legge installata", "Il suo testo.") +
                             CodificaRecord(500, "Del 29 febbraio", "Il suo.") + ChiusuraMassime();
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
        const char *fileAl;                  // a file made at this place under the temporary folder
        const char *cartella;                // the data folder, under the temporary folder
        std::optional<std::string> raccolta; // the installed collection; nothing: missing
        const char *massime;                 // the user's Massime.dat; nullptr: none
        const char *nominato;                // the file the error names, under the temporary folder
        ErroreFile::Tipo tipo;
    };
    // Bytes a damaged copy might hold: records open now and then, never with a number.
    std::string aCaso;
    for (unsigned i = 0; i < 5000; ++i)
        aCaso += static_cast<char>((i * 2654435761u) >> 13);
    const std::string installata = "installata/Massime.dat";
    const Riga righe[] = {
        {"un file al posto della cartella", "dati", "dati", Raccolta, nullptr, "dati",
         ErroreFile::Tipo::NonCartella},
#ifdef _WIN32
        // Windows names the file in the way, POSIX systems the folder it keeps from being.
        {"un file sopra la cartella", "xdg", "xdg/leggealgiorno", Raccolta, nullptr, "xdg",
         ErroreFile::Tipo::NonCartella},
#else
        {"un file sopra la cartella", "xdg", "xdg/leggealgiorno", Raccolta, nullptr,
         "xdg/leggealgiorno", ErroreFile::Tipo::Sistema},
#endif
        {"raccolta installata mancante", nullptr, "dati", std::nullopt, nullptr, installata.c_str(),
         ErroreFile::Tipo::Sistema},
        {"raccolta installata vuota", nullptr, "dati", "", "", installata.c_str(),
         ErroreFile::Tipo::FileVuoto},
        {"raccolta installata di byte a caso", nullptr, "dati", aCaso, nullptr, installata.c_str(),
         ErroreFile::Tipo::SenzaLeggi},
        {"raccolta installata in chiaro", nullptr, "dati", "/001 Legge\r\nTesto/", nullptr,
         installata.c_str(), ErroreFile::Tipo::SenzaLeggi},
        {"raccolta installata senza un numero di legge", nullptr, "dati",
         CodificaRecord(0, "Zero", "x") + CodificaRecord(367, "Oltre", "y") + ChiusuraMassime(), "",
         installata.c_str(), ErroreFile::Tipo::SenzaLeggi},
        {"una legge e un record senza numero", nullptr, "dati",
         Raccolta + CodificaMassime("Sciolto\r\ntesto/"), nullptr, installata.c_str(),
         ErroreFile::Tipo::SenzaLeggi},
        {"solo testo dopo l'ultima barra", nullptr, "dati", CodificaMassime("/001 Aperta"), nullptr,
         installata.c_str(), ErroreFile::Tipo::SenzaLeggi},
    };
    for (const auto &r : righe) {
        CAPTURE(r.nome);
        CartellaTemporanea dir;
        if (r.fileAl)
            REQUIRE(scrivi(dir.file(r.fileAl), "un file"));
        if (r.raccolta) {
            REQUIRE(fs::create_directory(dir.file("installata")));
            REQUIRE(scrivi(dir.file(installata), *r.raccolta));
        }
        const fs::path massime = dir.file(r.cartella) / "Massime.dat";
        if (r.massime) {
            fs::create_directories(massime.parent_path());
            REQUIRE(scrivi(massime, r.massime));
        }
        try {
            PreparaCartella(dir.file(r.cartella), dir.file(installata));
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
        // Nothing seeded: a later start, with the collection mended, seeds the folder.
        if (!r.fileAl)
            CHECK(leggi(massime, "<manca>") == (r.massime ? r.massime : "<manca>"));
    }
}

TEST_CASE("l'avvio automatico acceso e spento")
{
    const std::string Modello = "[Desktop Entry]\nExec=\"/bin/leggealgiorno\" --cartella-utente\n";
    const std::string Nascosta = Modello + "Hidden=true\n";
    const std::string AltroExec = "[Desktop Entry]\nExec=altro -x\n";
    struct Riga {
        const char *nome;
        bool cartellaEsiste;
        const char *voce;  // what the entry holds before; nullptr: none
        bool collegamento; // the entry is the user's link to dotfiles/voce.desktop
        bool attiva;
        std::optional<AvvioAutomatico> atteso; // nothing: refused
        const char *comando = nullptr;         // for Mantenuto: what the kept entry starts
    };
    const Riga righe[] = {
        {"acceso la prima volta", false, nullptr, false, true, AvvioAutomatico::Attivato},
        {"acceso di nuovo", true, Modello.c_str(), false, true, AvvioAutomatico::Attivato},
        {"acceso sopra una voce vuota", true, "", false, true, AvvioAutomatico::Attivato},
        {"acceso attraverso un collegamento", true, Modello.c_str(), true, true,
         AvvioAutomatico::Attivato},
        {"acceso sopra una voce nascosta", true, Nascosta.c_str(), false, true,
         AvvioAutomatico::Mantenuto},
        {"acceso sopra una voce con un altro Exec", true, AltroExec.c_str(), false, true,
         AvvioAutomatico::Mantenuto, "altro -x"},
        {"acceso sopra una voce modificata dietro un collegamento", true, AltroExec.c_str(), true,
         true, AvvioAutomatico::Mantenuto, "altro -x"},
        {"spento", true, "vecchia", false, false, AvvioAutomatico::Disattivato},
        {"spento anche se modificata", true, AltroExec.c_str(), false, false,
         AvvioAutomatico::Disattivato},
        {"spento due volte", true, nullptr, false, false, AvvioAutomatico::GiaDisattivato},
        {"spento senza cartella", false, nullptr, false, false, AvvioAutomatico::GiaDisattivato},
        {"acceso attraverso un collegamento interrotto", true, nullptr, true, true, std::nullopt},
        {"spento attraverso un collegamento interrotto", true, nullptr, true, false,
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
        REQUIRE(scrivi(modello, Modello));
        const auto voce = dir.file("config/autostart/id.desktop");
        const auto vera = dir.file("dotfiles/id.desktop");
        if (r.cartellaEsiste)
            REQUIRE(fs::create_directories(voce.parent_path()));
        if (r.collegamento) {
            REQUIRE(fs::create_directory(dir.file("dotfiles")));
            if (r.voce)
                REQUIRE(scrivi(vera, r.voce));
            fs::create_symlink(vera, voce);
        } else if (r.voce) {
            REQUIRE(scrivi(voce, r.voce));
        }

        if (!r.atteso) {
            CHECK_THROWS_AS(ImpostaAvvioAutomatico(r.attiva, modello, voce), ErroreFile);
            CHECK(fs::is_symlink(voce));
            CHECK(!fs::exists(vera));
            continue;
        }
        const EsitoAvvioAutomatico esito = ImpostaAvvioAutomatico(r.attiva, modello, voce);
        CHECK(esito.esito == *r.atteso);

        CHECK(fs::exists(voce) == r.attiva);
        if (*r.atteso == AvvioAutomatico::Mantenuto)
            CHECK(leggi(voce) == r.voce);
        else if (r.attiva)
            CHECK(leggi(voce) == Modello);
        CHECK(fs::is_symlink(voce) == (r.collegamento && r.attiva));
        const std::string testo = TestoAvvioAutomatico(esito, voce, "leggealgiorno");
        CHECK(testo.ends_with("\n"));
        // Whichever mode the menu holds, now or later.
        CHECK(testo.find("del giorno comparirà") == std::string::npos);
        if (*r.atteso == AvvioAutomatico::Mantenuto) {
            CHECK(testo.find(voce.string()) != std::string::npos);
            CHECK(testo.find("--avvio-automatico no") != std::string::npos);
            CHECK(esito.mantenuta.avviaQualcosa() == (r.comando != nullptr));
            if (r.comando)
                CHECK(testo.find(r.comando) != std::string::npos);
            else
                CHECK(testo.find("non avvia nulla") != std::string::npos);
        }
        if (r.attiva)
            CHECK(voci(voce.parent_path()).size() == 1u);
    }
}

TEST_CASE("che cosa fa una voce del desktop")
{
    struct Riga {
        const char *nome;
        const char *testo;
        bool nascosta;
        bool disattivata;
        const char *comando; // nullptr: no Exec
    };
    const Riga righe[] = {
        {"vuota", "", false, false, nullptr},
        {"la voce del programma", "[Desktop Entry]\nExec=\"/usr/bin/x\" -a\nHidden=false\n", false,
         false, "\"/usr/bin/x\" -a"},
        {"nascosta", "[Desktop Entry]\nHidden=true\nExec=x", true, false, "x"},
        {"spenta per GNOME", "[Desktop Entry]\r\nExec=x\r\nX-GNOME-Autostart-enabled=false\r\n",
         false, true, "x"},
        {"spazi attorno all'uguale", "[Desktop Entry]\nExec = x y \nHidden =true", true, false,
         "x y"},
        {"chiavi di un altro gruppo",
         "[Desktop Entry]\nExec=x\n[Desktop Action a]\nExec=y\n"
         "Hidden=true\n",
         false, false, "x"},
        {"prima di ogni gruppo", "Exec=y\nHidden=true\n[Desktop Entry]\n", false, false, nullptr},
        {"una chiave tradotta", "[Desktop Entry]\nExec[it]=y\n", false, false, nullptr},
        {"commenti e righe senza uguale", "# Exec=y\n[Desktop Entry]\nriga\nExec=x", false, false,
         "x"},
    };
    for (const auto &r : righe) {
        CAPTURE(r.nome);
        const VoceDesktop voce = LeggiVoceDesktop(r.testo);
        CHECK(voce.nascosta == r.nascosta);
        CHECK(voce.disattivata == r.disattivata);
        CHECK(voce.comando.has_value() == (r.comando != nullptr));
        if (r.comando && voce.comando)
            CHECK(*voce.comando == r.comando);
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
