// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up's choice of a law against a fake window and clock: each path through it, the
// recovery after a failure, the random draw's range and the generator behind it.
#include "finestra/casuale.h"
#include "finestra/formload.h"
#include "sistema/errorefile.h"
#include "supporto/finti.h"
#include "supporto/prova.h"

#include <doctest/doctest.h>

#include <chrono>
#include <cmath>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using namespace legge;
using namespace prova;

namespace {

const std::string Manca = "<manca>";

// Records what the start-up asks of the window; MostraLegge fails as many times as told.
class FinestraFinta : public FinestraAvvio {
public:
    explicit FinestraFinta(std::filesystem::path cartella) : m_cartella(std::move(cartella)) {}
    void RendiInPrimoPiano() override
    {
        primoPiano++;
        eventi.push_back("primo piano");
    }
    Modo modo() const override { return m_modo; }
    void ImpostaModo(Modo modo) override { m_modo = modo; }
    void MostraLegge(int numeroGiorno) override
    {
        numeri.push_back(numeroGiorno);
        eventi.push_back("mostra");
        if (fallimenti > 0) {
            fallimenti--;
            if (bloccato)
                throw ErroreFile(m_cartella / "Massime.dat", ErroreFile::Tipo::Bloccato);
            throw ErroreFile(m_cartella / "Massime.dat", "guasto di prova");
        }
    }

    int primoPiano = 0;
    int fallimenti = 0;
    bool bloccato = false; // the failure is a lock that another program holds
    std::vector<int> numeri;
    std::vector<std::string> eventi;

private:
    std::filesystem::path m_cartella;
    Modo m_modo = ModoGiorno;
};

} // namespace

TEST_CASE("percorsi dell'avvio")
{
    struct Riga {
        const char *nome;
        std::string opzioni; // Manca: no file
        int fallimenti;      // of MostraLegge
        std::string opzioniDopo;
        Modo modoDopo;
        std::vector<int> numeri;
        int estratte;
    };
    // 3 May 2023 is day 123; the draws are 0.5 (number 183) and then 0.25 (number 92).
    const Riga righe[] = {
        {"prima esecuzione", Manca, 0, Giorno, ModoGiorno, {123}, 0},
        {"Option.dat vuoto", "", 0, Giorno, ModoGiorno, {123}, 0},
        {"modo giorno", Giorno, 0, Giorno, ModoGiorno, {123}, 0},
        {"riga sconosciuta lasciata com'è",
         "qualcos'altro\r\n",
         0,
         "qualcos'altro\r\n",
         ModoGiorno,
         {123},
         0},
        {"modo casuale", Casuale, 0, Casuale, ModoCasuale, {183}, 1},
        {"legge illeggibile, modo giorno", Giorno, 1, Giorno, ModoGiorno, {123, 123}, 0},
        {"legge illeggibile, modo casuale: nuova estrazione",
         Casuale,
         1,
         Giorno,
         ModoCasuale,
         {183, 92},
         2},
        {"riga sconosciuta e legge illeggibile",
         "qualcos'altro",
         1,
         Giorno,
         ModoGiorno,
         {123, 123},
         0},
    };
    for (const auto &r : righe) {
        CAPTURE(r.nome);
        CartellaTemporanea dir;
        const auto percorso = dir.file("Option.dat");
        if (r.opzioni != Manca)
            REQUIRE(scrivi(percorso, r.opzioni));
        FinestraFinta finestra(dir.percorso());
        finestra.fallimenti = r.fallimenti;
        OrologioFermo orologio;
        CasualeFinto casuale;
        casuale.estrazioni = {0.5f, 0.25f};

        Form_Load(finestra, dir.percorso(), orologio, casuale);

        CHECK(leggi(percorso, Manca) == r.opzioniDopo);
        CHECK(finestra.modo() == r.modoDopo);
        CHECK(finestra.numeri == r.numeri);
        CHECK(casuale.estratte == r.estratte);
        // Topmost once, before anything else; seeded on every pass, whatever the mode.
        REQUIRE(!finestra.eventi.empty());
        CHECK(finestra.eventi.front() == "primo piano");
        CHECK(finestra.primoPiano == 1);
        CHECK(casuale.semi == std::vector<float>(r.numeri.size(), -3723.f));
    }
}

TEST_CASE("ventinove febbraio")
{
    CartellaTemporanea dir;
    FinestraFinta finestra(dir.percorso());
    OrologioFermo orologio;
    orologio.data = {2024, 2, 29};
    orologio.secondi = 0.f;
    CasualeFinto casuale;
    Form_Load(finestra, dir.percorso(), orologio, casuale);
    CHECK(finestra.numeri == std::vector<int>{500});
    REQUIRE(!casuale.semi.empty());
    CHECK(casuale.semi.front() == -0.f);
}

// Both passes fail. A lock that another program held through the whole wait would hold the
// second pass up just as long: then the message comes after one wait, and the stored mode stays.
TEST_CASE("secondo passaggio fallito")
{
    struct Riga {
        const char *nome;
        bool bloccato;
        std::size_t passaggi;
        std::string opzioniDopo;
    };
    for (const Riga &riga : {Riga{"legge illeggibile", false, 2, Giorno},
                             Riga{"legge tenuta da un altro programma", true, 1, Casuale}}) {
        CAPTURE(riga.nome);
        CartellaTemporanea dir;
        REQUIRE(scrivi(dir.file("Option.dat"), Casuale));
        FinestraFinta finestra(dir.percorso());
        finestra.fallimenti = 2;
        finestra.bloccato = riga.bloccato;
        OrologioFermo orologio;
        CasualeFinto casuale;
        try {
            Form_Load(finestra, dir.percorso(), orologio, casuale);
            FAIL_CHECK("nessun errore");
        } catch (const ErroreFile &errore) {
            if (riga.bloccato)
                CHECK(errore.tipo() == ErroreFile::Tipo::Bloccato);
            else
                CHECK(errore.percorso() == dir.file("Massime.dat"));
        }
        CHECK(finestra.numeri.size() == riga.passaggi);
        CHECK(leggi(dir.file("Option.dat"), Manca) == riga.opzioniDopo);
    }
}

TEST_CASE("opzioni illeggibili e inscrivibili")
{
    // A directory named Option.dat can be neither read nor replaced, even by root: the
    // recovery's own write fails and that failure reaches the caller.
    CartellaTemporanea dir;
    REQUIRE(fs::create_directory(dir.file("Option.dat")));
    FinestraFinta finestra(dir.percorso());
    OrologioFermo orologio;
    CasualeFinto casuale;
    CHECK_THROWS_AS(Form_Load(finestra, dir.percorso(), orologio, casuale), ErroreFile);
    CHECK(finestra.numeri.empty());
}

TEST_CASE("numero casuale")
{
    struct Riga {
        const char *nome;
        float r;
        int numero;
    };
    const Riga righe[] = {
        {"zero", 0.f, 1},
        {"metà", 0.5f, 183},
        {"appena sotto 1/365", std::nextafter(1.f / 365.f, 0.f), 1},
        {"il più grande sotto 1", std::nextafter(1.f, 0.f), 365},
    };
    for (const auto &r : righe) {
        CAPTURE(r.nome);
        CHECK(NumeroCasuale(r.r) == r.numero);
    }
}

TEST_CASE("generatore")
{
    GeneratoreCasuale a, b;
    a.semina(-3723.f);
    b.semina(-3723.f);
    std::set<int> numeri;
    for (int i = 0; i < 20000; ++i) {
        const float r = a.estrai();
        REQUIRE(b.estrai() == r);
        REQUIRE((r >= 0.f && r < 1.f));
        numeri.insert(NumeroCasuale(r));
    }
    // Every law can come up.
    CHECK(numeri.size() == std::size_t(365));

    // A different second of the day gives a different law sequence, and so does a different
    // hundredth of the same second, late in the day too.
    for (const auto &[primo, secondo] :
         {std::pair{-3723.f, -3724.f}, {-28800.f, -28800.01f}, {-86399.5f, -86399.51f}}) {
        CAPTURE(primo);
        a.semina(primo);
        b.semina(secondo);
        CHECK(a.estrai() != b.estrai());
    }

    // The clock gives the fraction: starts at 08:00:00 on any day do not all seed alike.
    const OrologioDiSistema orologio;
    bool frazione = false;
    for (int i = 0; i < 5 && !frazione; ++i) {
        const float secondi = orologio.secondiDallaMezzanotte();
        frazione = secondi != std::floor(secondi);
        std::this_thread::sleep_for(std::chrono::milliseconds(13));
    }
    CHECK(frazione);
}
