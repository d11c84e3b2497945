#include "laws/errorefile.h"
#include "settings/modo.h"
#include "utilita.h"

#include <doctest/doctest.h>

#include <algorithm>
#include <optional>

using namespace legge;
using namespace prova;

namespace {
const std::vector<std::string> SoloOpzioni{"Option.dat"};
}

TEST_CASE("lettura")
{
    struct Riga {
        const char *nome;
        const char *fixture;
        std::optional<Modo> atteso;
    };
    const Riga righe[] = {
        {"giorno CR LF", "giorno.dat", ModoGiorno},
        {"casuale CR LF", "casuale.dat", ModoCasuale},
        {"senza fine riga", "casuale-senza-fine-riga.dat", ModoCasuale},
        {"LF solo resta nella riga", "casuale-lf.dat", std::nullopt},
        {"righe in più ignorate", "casuale-righe-extra.dat", ModoCasuale},
        {"CR senza LF", "giorno-cr-solo.dat", ModoGiorno},
        {"segno troncato", "casuale-troncato.dat", std::nullopt},
        {"segno allungato", "casuale-allungato.dat", std::nullopt},
        {"riga sconosciuta", "sconosciuto.dat", std::nullopt},
        {"prima riga vuota", "riga-vuota.dat", std::nullopt},
    };
    for (const auto &r : righe) {
        CAPTURE(r.nome);
        const auto percorso = datiDiProva(fs::path("opzioni") / r.fixture);
        const auto prima = leggiSeEsiste(percorso);
        REQUIRE(prima);
        CHECK(LeggiModo(percorso) == r.atteso);
        CHECK(leggiSeEsiste(percorso) == prima);
    }
}

TEST_CASE("lettura fallita")
{
    for (const std::string caso : {"file vuoto", "file mancante", "cartella al posto del file"}) {
        CAPTURE(caso);
        CartellaTemporanea dir;
        const auto percorso = dir.file("Option.dat");
        if (caso == "file vuoto")
            REQUIRE(scrivi(percorso, {}));
        else if (caso == "cartella al posto del file")
            REQUIRE(fs::create_directory(percorso));

        try {
            LeggiModo(percorso);
            FAIL_CHECK("nessun errore");
        } catch (const ErroreFile &e) {
            CHECK(e.percorso() == percorso);
            CHECK(!e.motivo().empty());
            CHECK(std::string(e.what()).find(percorso.string()) != std::string::npos);
        }
    }
}

TEST_CASE("scrittura")
{
    struct Riga {
        const char *nome;
        Modo modo;
        std::string atteso;
        bool esistente;
    };
    const Riga righe[] = {
        {"giorno, nuovo", ModoGiorno, segno(SegnoGiorno), false},
        {"casuale, nuovo", ModoCasuale, segno(SegnoCasuale), false},
        {"giorno su lungo", ModoGiorno, segno(SegnoGiorno), true},
        {"casuale su lungo", ModoCasuale, segno(SegnoCasuale), true},
    };
    for (const auto &r : righe) {
        CAPTURE(r.nome);
        CartellaTemporanea dir;
        const auto percorso = dir.file("Option.dat");
        if (r.esistente)
            REQUIRE(scrivi(percorso, std::string(4096, 'x')));

        ScriviModo(percorso, r.modo);
        CHECK(leggi(percorso) == r.atteso);
        CHECK(LeggiModo(percorso) == std::optional(r.modo));
        CHECK(voci(dir.percorso()) == SoloOpzioni);
    }
}

TEST_CASE("segni distinti")
{
    CHECK(SegnoGiorno.size() == 12u);
    CHECK(SegnoCasuale.size() == 14u);
    for (const auto s : {SegnoGiorno, SegnoCasuale}) {
        CHECK(s.find_first_of("\r\n") == std::string_view::npos);
        CHECK(std::count_if(s.begin(), s.end(), [](char c) { return (unsigned char)c > 127; }) >=
              3);
    }
}

TEST_CASE("destinazione cartella")
{
    CartellaTemporanea dir;
    REQUIRE(fs::create_directories(dir.file("Option.dat/dentro")));
    const auto percorso = dir.file("Option.dat");
    CHECK_THROWS_AS(ScriviModoPredefinito(percorso), ErroreFile);
    CHECK(fs::is_directory(percorso / "dentro"));
    CHECK(voci(dir.percorso()) == SoloOpzioni);
}

// ---- POSIX ----

// A full disk is simulated with a file-size limit of zero in a child process: every write
// then fails with EFBIG, which root cannot override.
TEST_CASE("disco pieno lascia il vecchio file")
{
    CartellaTemporanea dir;
    const auto percorso = dir.file("Option.dat");
    const std::string vecchio = segno(SegnoGiorno) + "seconda riga\r\n";
    REQUIRE(scrivi(percorso, vecchio));

    const pid_t figlio = fork();
    REQUIRE(figlio >= 0);
    if (figlio == 0) {
        if (!limitaFile(0))
            _exit(2);
        try {
            ScriviModo(percorso, ModoCasuale);
        } catch (const ErroreFile &) {
            _exit(0);
        }
        _exit(1);
    }
    int stato = 0;
    REQUIRE(waitpid(figlio, &stato, 0) == figlio);
    REQUIRE(WIFEXITED(stato));
    CHECK(WEXITSTATUS(stato) == 0); // the failure reached the caller
    CHECK(leggi(percorso) == vecchio);
    CHECK(voci(dir.percorso()) == SoloOpzioni);
}
