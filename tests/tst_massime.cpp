// SPDX-License-Identifier: GPL-3.0-or-later
// The law file read and written: a sample file's laws, the lookup, the number field, missing
// files, block boundaries, and texts that encode or are refused.
#include "leggi/massime.h"
#include "sistema/errorefile.h"
#include "supporto/codifica.h"
#include "supporto/prova.h"

#include <doctest/doctest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using namespace legge;
using namespace prova;

namespace {

fs::path scriviMassime(const CartellaTemporanea &dir, const std::string &testo)
{
    const auto percorso = dir.file("Massime.dat");
    return scrivi(percorso, codifica(testo)) ? percorso : fs::path();
}

// Collects every record, to check what the scan hands over.
class Raccoglitore : public VisitatoreMassime {
public:
    bool vuoiTesto(std::string_view) override { return true; }
    bool record(const Record &r) override
    {
        posizioni.push_back(std::int64_t(r.posizione));
        testi.emplace_back(r.testo);
        return true;
    }
    void coda(std::uint64_t posizione, std::uint64_t lunghezza) override
    {
        posizioneCoda = std::int64_t(posizione);
        lunghezzaCoda = std::int64_t(lunghezza);
    }
    std::vector<std::int64_t> posizioni;
    std::vector<std::string> testi;
    std::int64_t posizioneCoda = -1;
    std::int64_t lunghezzaCoda = -1;
};

} // namespace

TEST_CASE("esempio")
{
    struct Riga {
        const char *nome;
        int numero;
        bool trovata;
        std::string titolo, corpo;
    };
    const Riga righe[] = {
        {"prima", 1, true, "Legge di prova", "\nTesto della legge."},
        {"seconda", 2, true, "Seconda", "\nAltro testo."},
        {"assente", 3, false, "", ""},
    };
    const auto file = datiDiProva("massime/esempio.dat");
    REQUIRE(fs::is_regular_file(file));
    for (const auto &r : righe) {
        CAPTURE(r.nome);
        const Legge legge = CercaLegge(file, r.numero, SeManca::Errore);
        CHECK(legge.trovata == r.trovata);
        CHECK(legge.titolo.value_or("") == r.titolo);
        CHECK(legge.corpo == r.corpo);
    }
}

TEST_CASE("ricerca")
{
    struct Riga {
        const char *nome;
        std::string testo;
        int numero;
        bool trovata, conTitolo;
        std::string titolo, corpo;
    };
    const Riga righe[] = {
        {"file vuoto", "", 1, false, false, "", ""},
        {"nessuna barra", "001 Legge\ntesto", 1, false, false, "", ""},
        {"CR LF", "/007 Titolo\r\nRiga uno\r\nRiga due/", 7, true, true, "Titolo",
         "\nRiga uno\nRiga due"},
        {"LF", "/007 Titolo\nRiga uno\nRiga due/", 7, true, true, "Titolo", "\nRiga uno\nRiga due"},
        {"spazi nel numero", "/  7 Sette\nx/", 7, true, true, "Sette", "\nx"},
        {"tab e LF nel numero", "/\t\n7Sette\nx/", 7, true, true, "Sette", "\nx"},
        {"CR nel numero non conta", "/\r007 Sette\nx/", 7, true, true, "Sette", "\nx"},
        {"segno più", "/+07 Sette\nx/", 7, true, true, "Sette", "\nx"},
        {"segno meno", "/-07 Sette\nx/", 7, false, false, "", ""},
        {"decimale intero", "/7.0Sette\nx/", 7, true, true, "Sette", "\nx"},
        {"lettere valgono zero", "/abc Legge\nx/", 1, false, false, "", ""},
        {"doppione: vince il primo", "/005 Primo\na/005 Secondo\nb/", 5, true, true, "Primo",
         "\na"},
        {"ultimo senza barra", "/001 Uno\na/002 Due\nb", 2, false, false, "", ""},
        {"testo prima della prima barra", "003 Finto\nx/004 Vero\ny/", 3, false, false, "", ""},
        {"senza a capo", "/009Legge senza a capo/", 9, true, false, "", "Legge senza a capo"},
        {"maiuscola al sesto posto", "/010  Xy\nz/", 10, true, true, "Xy", "\nz"},
        {"nessuna maiuscola nei primi sei", "/011 \xC8 bello\ntesto/", 11, true, true,
         "011 \xC8 bello", "\ntesto"},
        {"record corto senza maiuscola", "/5/", 5, true, false, "", "5"},
        {"record corto con a capo", "/12\n/", 12, true, true, "12", "\n"},
        {"maiuscola dopo il sesto posto", "/013 \nsolo Corpo/", 13, true, true, "013 ",
         "\nsolo Corpo"},
        {"ventinove febbraio", "/060 No\nx/500 Bisesto\ny/", 500, true, true, "Bisesto", "\ny"},
    };
    for (const auto &r : righe) {
        CAPTURE(r.nome);
        CartellaTemporanea dir;
        const auto file = scriviMassime(dir, r.testo);
        REQUIRE(!file.empty());

        const Legge legge = CercaLegge(file, r.numero);
        CHECK(legge.trovata == r.trovata);
        CHECK(legge.titolo.has_value() == r.conTitolo);
        CHECK(legge.titolo.value_or("") == r.titolo);
        CHECK(legge.corpo == r.corpo);
    }
}

TEST_CASE("valore del numero")
{
    struct Riga {
        const char *nome;
        std::string_view campo;
        double valore;
    };
    const Riga righe[] = {
        {"cifre", "123", 123.0},          {"zeri iniziali", "007", 7.0},
        {"più corto", "5", 5.0},          {"vuoto", "", 0.0},
        {"lettere", "abc", 0.0},          {"cifra poi lettera", "1a2", 1.0},
        {"negativo", "-12", -12.0},       {"solo segno", "-", 0.0},
        {"decimale", "1.5", 1.5},         {"punto iniziale", ".5", 0.5},
        {"spazio in mezzo", "1 2", 12.0},
    };
    for (const auto &r : righe) {
        CAPTURE(r.nome);
        CHECK(ValoreNumero(r.campo) == r.valore);
    }
}

TEST_CASE("file mancante creato")
{
    CartellaTemporanea dir;
    const auto file = dir.file("Massime.dat");
    CHECK(!CercaLegge(file, 1).trovata);
    REQUIRE(fs::is_regular_file(file));
    CHECK(fs::file_size(file) == 0);
}

TEST_CASE("file mancante senza creare")
{
    CartellaTemporanea dir;
    const auto file = dir.file("Massime.dat");
    try {
        CercaLegge(file, 1, SeManca::Errore);
        FAIL_CHECK("nessun errore");
    } catch (const ErroreFile &e) {
        CHECK(e.percorso() == file);
    }
    CHECK(!fs::exists(file));
}

TEST_CASE("cartella al posto del file")
{
    CartellaTemporanea dir;
    REQUIRE(fs::create_directory(dir.file("Massime.dat")));
    CHECK_THROWS_AS(CercaLegge(dir.file("Massime.dat"), 1), ErroreFile);
}

TEST_CASE("confini di blocco")
{
    // The scan reads in blocks of 256 KiB: put the separator, the number field and the
    // body across the boundary in every way.
    const int blocco = 256 * 1024;
    for (int d = -4; d <= 2; ++d) {
        CAPTURE(d);
        std::string testo(std::size_t(blocco + d - 1), 'x');
        testo += "/123 Titolo\r\n" + std::string(3 * 256 * 1024, 'c') + "/124 Dopo\nd/";
        CartellaTemporanea dir;
        const auto file = scriviMassime(dir, testo);
        const Legge legge = CercaLegge(file, 123);
        REQUIRE(legge.trovata);
        CHECK(*legge.titolo == "Titolo");
        CHECK(legge.corpo.size() == 1u + 3 * 256 * 1024);
        CHECK(CercaLegge(file, 124).titolo == std::optional<std::string>("Dopo"));
    }
}

TEST_CASE("percorso dei record")
{
    CartellaTemporanea dir;
    const auto file = scriviMassime(dir, "xy/001 A\r\nb/002/003 coda");
    Raccoglitore r;
    PercorriMassime(file, r);
    CHECK(r.posizioni == std::vector<std::int64_t>{3, 12});
    CHECK(r.testi == std::vector<std::string>{"001 A\nb", "002"});
    CHECK(r.posizioneCoda == 16);
    CHECK(r.lunghezzaCoda == 8);
}

// A '/' in a person's text either opens a numbered record or closes the last one; any other
// would cut a law short, so nothing is encoded and its offset is given. Numbers no day shows
// are encoded, and listed with their lines.
TEST_CASE("codifica di un testo")
{
    using Mai = CodificatoreMassime::NumeroMaiMostrato;
    struct Riga {
        const char *nome;
        std::string testo;
        std::optional<std::size_t> sbagliata;
        std::vector<Mai> maiMostrati = {};
    };
    const Riga righe[] = {
        {"raccolta ben fatta", "/001 Uno\nTesto.\n/002 Due\nAltro.\n/\n", std::nullopt},
        {"preambolo e ultima barra a fine riga", "Leggi\n/001 Uno\nTesto./", std::nullopt},
        {"a capo CR LF, come li scrive Blocco note", "Leggi\r\n/001 Uno\r\nTesto.\r\n/\r\n",
         std::nullopt},
        {"CR LF e LF mescolati, un CR da solo", "/001 Uno\r\nTe\rsto.\n\r\n/", std::nullopt},
        {"barra nel testo", "/001 Uno\nE/o.\n/", 10},
        {"barra nel titolo", "/001 Uno/due\nTesto.\n/", 8},
        {"numero di due cifre", "/001 Uno\nx\n/02 Due\nx\n/", 11},
        {"numero di quattro cifre", "/001 Uno\nx\n/1000 Strana\nx\n/", 11},
        {"numero di quattro cifre già visto in tre", "/100 Uno\nx\n/1000 Due\nx\n/", 11},
        {"zeri in più", "/0001 Uno\nx\n/", 0},
        {"tre cifre e la fine del testo", "/001 Uno\nx\n/002", std::nullopt},
        {"tre cifre e subito un'altra legge", "/001/002 Due\nx\n/", std::nullopt},
        {"barra nel preambolo", "a/b\n/001 Uno\nx\n/", 1},
        {"testo dopo l'ultima barra", "/001 Uno\nx\n/ fine", 11},
        {"barra in fondo a un titolo che continua", "/001 Uno\nx/\n/", 10},
        {"testo vuoto", "", 0},
        {"preambolo senza leggi", "appunti\n/\n", 10},
        {"ultima legge senza barra", "/001 Uno\nTesto.\n", std::nullopt},
        {"numero ripetuto", "/001 Uno\nx\n/002 Due\ny\n/001 Tre\n/", 22},
        {"byte NUL", std::string("/001 Uno\n\0/", 11), 9},
        {"byte NUL subito dopo il numero", std::string("/001\0 Uno\n/", 11), 4},
        {"numeri che nessun giorno mostra",
         "/000 A\nx\n/366 B\nx\n/367 C\nx\n/499 D\n/500 E\n/501 F\n\n/999 G\nx\n/001 H\n/",
         std::nullopt,
         {{0, 1}, {367, 5}, {499, 7}, {501, 9}, {999, 11}}},
        {"l'ultimo in fondo al testo", "/001 A\nx\n/777", std::nullopt, {{777, 3}}},
    };
    for (const auto &r : righe) {
        CAPTURE(r.nome);
        const CodificaTesto esito = CodificaTestoMassime(r.testo);
        CHECK(esito.riuscita == !r.sbagliata);
        if (r.sbagliata) {
            CHECK(esito.posizione == *r.sbagliata);
            CHECK(esito.dati.empty());
            continue;
        }
        CHECK(esito.maiMostrati == r.maiMostrati);
        // Every line break is one CR LF, whichever way the text wrote it.
        std::string atteso;
        for (std::size_t i = 0; i < r.testo.size(); ++i)
            atteso += r.testo[i] == '\n' && (i == 0 || r.testo[i - 1] != '\r')
                          ? std::string("\r\n")
                          : std::string(1, r.testo[i]);
        // The last law is closed when the text leaves it open.
        if (const auto ultimo = r.testo.find_last_not_of(" \t\r\n");
            ultimo == std::string::npos || r.testo[ultimo] != '/')
            atteso += '/';
        CHECK(DecodificaMassime(esito.dati) == atteso);
    }
}

// Fed a piece at a time, cut anywhere, the text gives the same file and the same fault:
// a CR LF or a number cut in two included.
TEST_CASE("codifica a pezzi")
{
    const std::string testi[] = {"Leggi\n/001 Uno\nTesto.\n/002 Due\nx\n",
                                 "Leggi\r\n/001 Uno\r\nTesto.\r\n/999 Due\r\nx\r\n/123",
                                 "/001 Uno\nx\n/002 Due\n/001 Tre\n/",
                                 "/001 Uno\r\nx\r\n/002 Due\r\n/1000 Tre\r\n/"};
    for (const std::string &testo : testi) {
        CAPTURE(testo);
        const CodificaTesto intero = CodificaTestoMassime(testo);
        for (std::size_t taglio = 0; taglio <= testo.size(); ++taglio) {
            CAPTURE(taglio);
            CodificatoreMassime codificatore;
            std::string dati;
            const bool riuscita = codificatore.aggiungi(testo.substr(0, taglio), dati) &&
                                  codificatore.aggiungi(testo.substr(taglio), dati) &&
                                  codificatore.chiudi(dati);
            CHECK(riuscita == intero.riuscita);
            CHECK(codificatore.problema() == intero.problema);
            if (riuscita) {
                CHECK(dati == intero.dati);
                CHECK(codificatore.maiMostrati() == intero.maiMostrati);
            } else {
                CHECK(codificatore.posizione() == intero.posizione);
                CHECK(codificatore.riga() == 4);
                CHECK(codificatore.colonna() == 1);
                if (codificatore.problema() == CodificatoreMassime::Problema::NumeroRipetuto)
                    CHECK(codificatore.rigaPrecedente() == 1);
            }
        }
    }
}

TEST_CASE("record codificati si ritrovano")
{
    CartellaTemporanea dir;
    const auto percorso = dir.file("Massime.dat");
    REQUIRE(scrivi(percorso, CodificaRecord(7, "Sette", "Prima riga\nseconda.") +
                                 CodificaRecord(500, "Bisesto", "Testo.") + ChiusuraMassime()));
    const Legge sette = CercaLegge(percorso, 7);
    CHECK(sette.titolo == "Sette");
    CHECK(sette.corpo == "\nPrima riga\nseconda.");
    CHECK(CercaLegge(percorso, 500).titolo == "Bisesto");
    CHECK(DecodificaMassime(leggi(percorso)).starts_with("/007 Sette\r\nPrima riga\r\nseconda./"));
}
