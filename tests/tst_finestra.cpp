// SPDX-License-Identifier: GPL-3.0-or-later
// The window's behaviour without a window: what a view is told to show, what the menu
// stores, the height rule. The Qt and Win32 windows are tested only for what they draw.
#include "finestra/finestra.h"
#include "finestra/testi.h"
#include "sistema/errorefile.h"
#include "supporto/finti.h"
#include "supporto/prova.h"

#include <doctest/doctest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

using namespace legge;
using namespace prova;

namespace {

const std::string Manca = "<manca>";

// Keeps what the behaviour asked of it; text is 10 pixels a line of 10 characters.
class VistaFinta : public Vista {
public:
    void RendiInPrimoPiano() override { primoPiano++; }
    void MostraModo(Modo m) override { modo = m; }
    void MostraImmagini() override { immagini++; }
    void MostraTesto(const std::optional<std::string> &d, const std::string &titolo,
                     const std::string &t) override
    {
        if (d)
            didascalia = *d;
        nome = titolo;
        testo = t;
    }
    MisureFinestra Misure() const override { return misure; }
    int AltezzaTesto(int larghezza) const override
    {
        const int perRiga = std::max(1, larghezza / 10);
        return 10 * ((int(testo.size()) + perRiga - 1) / perRiga);
    }
    void Applica(const Disposizione &d) override { disposizione = d; }
    void Avvisa(const std::string &t) override { avvisi.push_back(t); }

    int primoPiano = 0;
    int immagini = 0;
    std::optional<Modo> modo;
    std::string didascalia = "Una Legge al Giorno";
    std::string nome;
    std::string testo;
    MisureFinestra misure{77, 3, 400, 380, 1000};
    std::optional<Disposizione> disposizione;
    std::vector<std::string> avvisi;
};

} // namespace

TEST_CASE("la regola dell'altezza")
{
    struct Riga {
        const char *nome;
        int altezzaMassima;
        int testo; // its height at any width
        bool scorre;
        int visibile;
        int larghezza;
    };
    const Riga righe[] = {
        {"il testo ci sta", 1000, 200, false, 200, 400},
        {"esattamente al limite", 277, 200, false, 200, 400},
        {"un pixel oltre: scorre accanto alla barra", 276, 200, true, 199, 380},
        {"schermo più basso del margine", 50, 200, true, 0, 380},
    };
    for (const Riga &r : righe) {
        CAPTURE(r.nome);
        const MisureFinestra misure{77, 3, 400, 380, r.altezzaMassima};
        const Disposizione d = Disponi(misure, [&](int) { return r.testo; });
        CHECK(d.scorre == r.scorre);
        CHECK(d.altezzaVisibile == r.visibile);
        CHECK(d.larghezzaTesto == r.larghezza);
        CHECK(d.altezzaTesto == r.testo);
        CHECK(d.altezzaFinestra == r.visibile + 77);
        CHECK(d.bannerAlto == r.visibile + 3);
    }
}

TEST_CASE("la regola dell'altezza con ogni cornice e ogni scala: testo e banner interi")
{
    struct Riga {
        const char *nome;
        int margine, distanza, bannerLarghezza, bannerAltezza; // the scale's
        int attorno;                                           // frame and menu bar
        int riduzione; // taken off the width by a narrow screen
        int altezzaMassima;
        bool scorre;
        int visibile, finestra, banner, bannerAlto, area;
    };
    // The text is 200 pixels high. At 100 % the margin is 77 pixels: 41 of frame and menu,
    // 3 under the label and a banner 33 high.
    const Riga righe[] = {
        {"una finestra degli strumenti di Windows", 77, 3, 417, 33, 41, 0, 1000, false, 200, 277,
         33, 203, 236},
        {"cornice ancora da disegnare", 77, 3, 417, 33, 20, 0, 1000, false, 200, 277, 33, 203, 257},
        {"cornice più sottile (Qt a 200 %): la striscia del banner scende fino in fondo", 77, 3,
         417, 33, 30, 0, 1000, false, 200, 277, 33, 203, 247},
        {"barra del titolo di 35 pixel (mutter): la finestra cresce", 77, 3, 417, 33, 57, 0, 1000,
         false, 200, 293, 33, 203, 236},
        {"cornice e ombra di 97 pixel (weston)", 77, 3, 417, 33, 119, 0, 1000, false, 200, 355, 33,
         203, 236},
        {"cornice alta su uno schermo basso: il testo scorre, il banner resta intero", 77, 3, 417,
         33, 119, 0, 300, true, 145, 300, 33, 148, 181},
        {"200 % su 640x480: il banner si restringe con la finestra", 153, 7, 834, 66, 82, 210, 1000,
         false, 200, 353, 49, 207, 271},
        {"200 % su 640x480 con una cornice alta", 153, 7, 834, 66, 150, 210, 1000, false, 200, 406,
         49, 207, 256},
    };
    for (const Riga &r : righe) {
        CAPTURE(r.nome);
        MisureFinestra misure{r.margine, r.distanza, 400, 380, r.altezzaMassima};
        misure.attorno = r.attorno;
        misure.bannerLarghezza = r.bannerLarghezza;
        misure.bannerAltezza = r.bannerAltezza;
        misure.riduzione = r.riduzione;
        const Disposizione d = Disponi(misure, [](int) { return 200; });
        CHECK(d.scorre == r.scorre);
        CHECK(d.altezzaVisibile == r.visibile);
        CHECK(d.altezzaFinestra == r.finestra);
        CHECK(d.bannerLarghezza == r.bannerLarghezza - r.riduzione);
        CHECK(d.bannerAltezza == r.banner);
        CHECK(d.bannerAlto == r.bannerAlto);
        CHECK(d.altezzaArea == r.area);
        // Never less than the rule, never a banner cut at the bottom, never past the screen
        // while the text can scroll instead.
        CHECK(d.altezzaFinestra >= d.altezzaVisibile + r.margine);
        CHECK(d.bannerAlto + d.bannerAltezza <= d.altezzaArea);
        CHECK(d.altezzaFinestra <= r.altezzaMassima);
    }
}

TEST_CASE("la legge mostrata: didascalia, testo, altezza")
{
    struct Riga {
        const char *nome;
        std::string massime; // plain Windows-1252
        int numero;
        std::string didascalia;
        std::string testo; // UTF-8
        bool trovata;
    };
    const Riga righe[] = {
        {"con titolo", "/007 Prova\r\nUna riga.\r\nDue righe./", 7, "  Prova",
         "\nUna riga.\nDue righe.", true},
        {"senza titolo: la didascalia resta", "/007 solo testo senza a capo/", 7,
         "Una Legge al Giorno", "007 solo testo senza a capo", true},
        {"accenti", "/007 Perch\xe9 \x80\r\nCos\xec \x93va\x94./", 7, "  Perché €", "\nCosì “va”.",
         true},
        {"testo che sembra HTML", "/007 Tag <b>a &amp;\r\n<img src=x> a & b/", 7,
         "  Tag <b>a &amp;", "\n<img src=x> a & b", true},
        {"non trovata: cambiano solo le immagini", "/001 Prova\r\nx/", 2, "Una Legge al Giorno", "",
         false},
    };
    for (const Riga &r : righe) {
        CAPTURE(r.nome);
        CartellaTemporanea dir;
        REQUIRE(scrivi(dir.file("Massime.dat"), codifica(r.massime)));
        VistaFinta vista;
        Finestra finestra(vista, dir.percorso());
        finestra.MostraLegge(r.numero);
        CHECK(vista.immagini == 1);
        CHECK(finestra.numeroGiorno() == r.numero);
        CHECK(vista.didascalia == r.didascalia);
        CHECK(vista.testo == r.testo);
        CHECK(finestra.leggeMostrata() == r.trovata);
        CHECK(vista.disposizione.has_value() == r.trovata);
        if (r.trovata)
            CHECK(finestra.TestoDaCopiare() == vista.nome + r.testo);
        else
            CHECK(finestra.TestoDaCopiare().empty());
    }
}

TEST_CASE("file delle leggi illeggibile: l'errore al chiamante, la finestra com'era")
{
    CartellaTemporanea dir;
    REQUIRE(fs::create_directory(dir.file("Massime.dat")));
    VistaFinta vista;
    Finestra finestra(vista, dir.percorso());
    CHECK_THROWS_AS(finestra.MostraLegge(1), ErroreFile);
    CHECK(vista.didascalia == "Una Legge al Giorno");
    CHECK(!vista.disposizione);
}

TEST_CASE("il clic su una modalità")
{
    struct Riga {
        const char *nome;
        std::string opzioni; // Manca: no file
        Modo modo;           // the window's before the click
        Modo scelto;
        std::string opzioniDopo;
        Modo modoDopo;
    };
    const Riga righe[] = {
        {"giorno -> casuale", Giorno, ModoGiorno, ModoCasuale, Casuale, ModoCasuale},
        {"casuale -> giorno", Casuale, ModoCasuale, ModoGiorno, Giorno, ModoGiorno},
        // The extra line would be gone had the file been written again.
        {"voce già spuntata: giorno", Giorno + "resto\r\n", ModoGiorno, ModoGiorno,
         Giorno + "resto\r\n", ModoGiorno},
        {"voce già spuntata: casuale", Casuale + "resto\r\n", ModoCasuale, ModoCasuale,
         Casuale + "resto\r\n", ModoCasuale},
        // The item was checked, but the file names no mode: the choice must still be stored.
        {"voce spuntata, file senza modo", "qualcos'altro\r\n", ModoGiorno, ModoGiorno, Giorno,
         ModoGiorno},
        // Another copy of the program stored the other mode after this window started.
        {"cambiato da un'altra finestra", Casuale, ModoGiorno, ModoGiorno, Giorno, ModoGiorno},
        {"senza Option.dat", Manca, ModoGiorno, ModoCasuale, Casuale, ModoCasuale},
    };
    for (const Riga &r : righe) {
        CAPTURE(r.nome);
        CartellaTemporanea dir;
        if (r.opzioni != Manca)
            REQUIRE(scrivi(dir.file("Option.dat"), r.opzioni));
        REQUIRE(scrivi(dir.file("Massime.dat"), codifica("/001 Prova\r\nTesto./")));
        VistaFinta vista;
        Finestra finestra(vista, dir.percorso());
        finestra.ImpostaModo(r.modo);
        finestra.MostraLegge(1);
        CHECK(finestra.Casuale_Click(r.scelto) == r.modoDopo);
        CHECK(leggi(dir.file("Option.dat"), Manca) == r.opzioniDopo);
        CHECK(finestra.modo() == r.modoDopo);
        CHECK(vista.modo == r.modoDopo);
        // The law on screen stays.
        CHECK(vista.didascalia == "  Prova");
        CHECK(vista.avvisi.empty());
    }
}

TEST_CASE("il clic che non si può salvare: detto all'utente, la modalità resta")
{
    // Root can write anywhere, but not a file over a directory.
    CartellaTemporanea dir;
    REQUIRE(fs::create_directory(dir.file("Option.dat")));
    VistaFinta vista;
    Finestra finestra(vista, dir.percorso());
    CHECK(finestra.Casuale_Click(ModoCasuale) == ModoGiorno);
    CHECK(vista.modo == ModoGiorno);
    CHECK(fs::is_directory(dir.file("Option.dat")));
    REQUIRE(vista.avvisi.size() == 1);
    CHECK(vista.avvisi[0].find(dir.file("Option.dat").string()) != std::string::npos);
}

TEST_CASE("il menu che si apre segue il file")
{
    struct Riga {
        const char *nome;
        std::string opzioni; // Manca: no file
        Modo modo;
        Modo mostrato;
    };
    const Riga righe[] = {
        {"casuale nel file", Casuale, ModoGiorno, ModoCasuale},
        {"giorno nel file", Giorno, ModoCasuale, ModoGiorno},
        {"file senza modo", "xyz\r\n", ModoCasuale, ModoCasuale},
        {"file vuoto", "", ModoCasuale, ModoCasuale},
        {"senza file", Manca, ModoCasuale, ModoCasuale},
    };
    for (const Riga &r : righe) {
        CAPTURE(r.nome);
        CartellaTemporanea dir;
        if (r.opzioni != Manca)
            REQUIRE(scrivi(dir.file("Option.dat"), r.opzioni));
        VistaFinta vista;
        Finestra finestra(vista, dir.percorso());
        finestra.ImpostaModo(r.modo);
        finestra.ApriMenu();
        CHECK(finestra.modo() == r.mostrato);
        CHECK(vista.modo == r.mostrato);
        CHECK(leggi(dir.file("Option.dat"), Manca) == r.opzioni);
    }
}

// Two copies started from the same folder (autostart, then the menu): what one stores, the
// other's menu shows the next time it opens, and a click there stores again.
TEST_CASE("due finestre sulla stessa cartella")
{
    CartellaTemporanea dir;
    REQUIRE(scrivi(dir.file("Option.dat"), Giorno));
    VistaFinta vistaPrima, vistaSeconda;
    Finestra prima(vistaPrima, dir.percorso());
    Finestra seconda(vistaSeconda, dir.percorso());

    prima.Casuale_Click(ModoCasuale);
    seconda.ApriMenu();
    CHECK(vistaSeconda.modo == ModoCasuale);
    seconda.Casuale_Click(ModoGiorno);
    CHECK(leggi(dir.file("Option.dat")) == Giorno);
    prima.ApriMenu();
    CHECK(vistaPrima.modo == ModoGiorno);
    CHECK((vistaPrima.avvisi.empty() && vistaSeconda.avvisi.empty()));
}

#ifndef _WIN32

// A folder named in an 8-bit encoding shows in the error dialog as the locale reads it, or
// with its bytes spelled out: never as replacement marks (the tests run in the C locale).
TEST_CASE("nomi non UTF-8 nel messaggio d'errore")
{
    struct Riga {
        const char *nome;
        std::string percorso;
        std::string mostrato;
    };
    const Riga righe[] = {
        {"UTF-8", "/tmp/citt\xC3\xA0/Massime.dat", "/tmp/citt\xC3\xA0/Massime.dat"},
        {"Latin-1", "/tmp/citt\xE0/Massime.dat", "/tmp/citt\\xE0/Massime.dat"},
        {"carattere troncato", "/tmp/a\xC3", "/tmp/a\\xC3"},
        {"forma troppo lunga", "/tmp/\xC0\xAF", "/tmp/\\xC0\\xAF"},
    };
    for (const auto &r : righe) {
        CAPTURE(r.nome);
        const legge::ErroreFile errore(r.percorso, "Permesso negato");
        const std::string testo = legge::TestoErrore(legge::AvvioFallito, errore);
        CHECK(testo.find("File: " + r.mostrato + "\n") != std::string::npos);
    }
}

#endif

namespace {

// A collection where law N is titled "Legge N"; no numbers means every number.
std::string Raccolta(std::vector<int> numeri)
{
    if (numeri.empty()) {
        for (int n = 1; n <= 366; ++n)
            numeri.push_back(n);
        numeri.push_back(500);
    }
    std::string testo = "/";
    for (const int n : numeri) {
        char campo[8];
        std::snprintf(campo, sizeof campo, "%03d", n);
        testo += std::string(campo) + " Legge " + std::to_string(n) + "\r\nTesto./";
    }
    return testo;
}

// The draw that NumeroCasuale turns into `numero`.
float Estrazione(int numero)
{
    return (float(numero) - 0.5f) / 365.f;
}

int NumeroMostrato(const VistaFinta &vista)
{
    const auto spazio = vista.didascalia.rfind(' ');
    return spazio == std::string::npos ? 0 : std::atoi(vista.didascalia.c_str() + spazio + 1);
}

} // namespace

// After the start-up: '>' Right, '<' Left, 'H' Home; the number on screen after each key.
TEST_CASE("sfogliare le leggi")
{
    struct Riga {
        const char *nome;
        std::vector<int> numeri; // in the file; none: all of them
        Data oggi;
        bool casuale;
        std::vector<float> estrazioni; // the start-up's first
        std::string tasti;
        std::vector<int> mostrati; // the start's, then one after each key
    };
    const Riga righe[] = {
        {"avanti, indietro, Home", {}, {2023, 5, 3}, false, {}, ">><H", {123, 124, 125, 124, 123}},
        {"dal 366 si torna all'1", {}, {2024, 12, 31}, false, {}, "><", {366, 1, 366}},
        {"indietro dall'1 si va al 366", {}, {2023, 1, 1}, false, {}, "<", {1, 366}},
        {"anno comune: fra il 59 e il 60 c'è il 500",
         {},
         {2023, 2, 28},
         false,
         {},
         ">>",
         {59, 500, 60}},
        {"anno comune: indietro dal 60", {}, {2023, 3, 1}, false, {}, "<", {60, 500}},
        {"anno bisestile: dal 29 febbraio",
         {},
         {2024, 2, 29},
         false,
         {},
         "><<",
         {500, 60, 500, 59}},
        {"anno bisestile: dal 1° marzo, il 61", {}, {2024, 3, 1}, false, {}, "<<", {61, 60, 500}},
        {"numeri mancanti saltati",
         {300, 1, 500, 5},
         {2023, 1, 1},
         false,
         {},
         ">>>><",
         {1, 5, 500, 300, 1, 300}},
        // The start's law is missing: the window stays empty until a key finds one.
        {"legge di partenza mancante", {10, 20}, {2023, 1, 15}, false, {}, ">H<", {0, 20, 20, 10}},
        {"una legge sola", {123}, {2023, 5, 3}, false, {}, "><H", {123, 123, 123, 123}},
        {"casuale: avanti estrae, indietro ripercorre",
         {},
         {2023, 5, 3},
         true,
         {Estrazione(200), Estrazione(10), Estrazione(20), Estrazione(30)},
         "><<<>>>",
         {200, 10, 200, 200, 200, 10, 20, 30}},
        {"casuale: Home, poi avanti per le già estratte",
         {},
         {2023, 5, 3},
         true,
         {Estrazione(200), Estrazione(10), Estrazione(20)},
         ">>H>",
         {200, 10, 20, 200, 10}},
        // The same law again, or one the file lacks, is drawn again.
        {"casuale: si estrae di nuovo",
         {5, 7, 9},
         {2023, 5, 3},
         true,
         {Estrazione(5), Estrazione(5), Estrazione(8), Estrazione(9)},
         "><",
         {5, 9, 5}},
    };
    for (const Riga &r : righe) {
        CAPTURE(r.nome);
        CartellaTemporanea dir;
        const std::string massime = codifica(Raccolta(r.numeri));
        REQUIRE(scrivi(dir.file("Massime.dat"), massime));
        REQUIRE(scrivi(dir.file("Option.dat"), r.casuale ? Casuale : Giorno));
        VistaFinta vista;
        Finestra finestra(vista, dir.percorso());
        OrologioFermo orologio;
        orologio.data = r.oggi;
        CasualeFinto casuale;
        casuale.estrazioni = r.estrazioni;
        Form_Load(finestra, dir.percorso(), orologio, casuale);

        std::vector<int> mostrati{NumeroMostrato(vista)};
        for (const char tasto : r.tasti) {
            if (tasto == 'H')
                finestra.TornaAllInizio();
            else
                finestra.Sfoglia(tasto == '>' ? Direzione::Avanti : Direzione::Indietro);
            mostrati.push_back(NumeroMostrato(vista));
            if (mostrati.back() != 0)
                CHECK(vista.testo == "\nTesto.");
        }
        CHECK(mostrati == r.mostrati);
        CHECK(vista.avvisi.empty());
        // Nothing written: no history, the mode as it was.
        CHECK(leggi(dir.file("Option.dat")) == (r.casuale ? Casuale : Giorno));
        CHECK(leggi(dir.file("Massime.dat")) == massime);
        CHECK(std::distance(fs::directory_iterator(dir.percorso()), fs::directory_iterator()) == 2);
    }
}

TEST_CASE("sfogliare quando il file delle leggi sparisce: detto all'utente, nulla creato")
{
    CartellaTemporanea dir;
    REQUIRE(scrivi(dir.file("Massime.dat"), codifica(Raccolta({1, 2}))));
    VistaFinta vista;
    Finestra finestra(vista, dir.percorso());
    finestra.MostraLegge(1);
    REQUIRE(fs::remove(dir.file("Massime.dat")));
    finestra.Sfoglia(Direzione::Avanti);
    finestra.TornaAllInizio();
    CHECK(vista.didascalia == "  Legge 1");
    CHECK(!fs::exists(dir.file("Massime.dat")));
    REQUIRE(vista.avvisi.size() == 2);
    CHECK(vista.avvisi[0].find(dir.file("Massime.dat").string()) != std::string::npos);
}
