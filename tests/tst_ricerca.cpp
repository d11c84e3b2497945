// SPDX-License-Identifier: GPL-3.0-or-later
// The search over a law file, checked against the plainest reading: every law decoded whole,
// folded, and searched with find.
#include "leggi/cp1252.h"
#include "leggi/massime.h"
#include "leggi/ricerca.h"
#include "supporto/prova.h"

#include <doctest/doctest.h>

#include <string>
#include <vector>

using namespace legge;
using namespace prova;

namespace {

// The records a search should find: those whose title and body, folded, hold `cercato`.
class Riferimento : public VisitatoreMassime {
public:
    explicit Riferimento(std::string cercato) : m_cercato(std::move(cercato)) {}
    bool vuoiTesto(std::string_view) override { return true; }
    bool record(const Record &r) override
    {
        const Legge legge = EstraiLegge(r.testo);
        if (PiegaCp1252(legge.titolo.value_or("") + legge.corpo).find(m_cercato) !=
            std::string::npos)
            trovati.push_back(r.indice);
        return true;
    }
    std::vector<std::size_t> trovati;

private:
    std::string m_cercato;
};

std::vector<std::size_t> attesi(const fs::path &file, const std::string &cercato)
{
    Riferimento riferimento(cercato);
    PercorriMassime(file, riferimento);
    return riferimento.trovati;
}

std::vector<std::size_t> trovati(const fs::path &file, const std::string &cercato)
{
    std::vector<std::size_t> indici;
    FileAperto sorgente = ApriInLettura(file);
    CercaNelleMassime(sorgente, cercato,
                      [&](const LeggeTrovata &t) { indici.push_back(t.record); });
    return indici;
}

// What a person types, as the search compares it.
std::string cercabile(std::string_view utf8)
{
    return PiegaCp1252(Utf8InCp1252(NormalizzaTestoDaCercare(utf8)).testo);
}

} // namespace

TEST_CASE("la ricerca trova nella raccolta quello che trova la lettura di ogni legge")
{
    const fs::path raccolta = RACCOLTA_DAT;
    for (const char *cercato : {"a", "perche", "l'", "natale", "ogni giorno", "e'", "\xC3\xA0",
                                "lunedi", "zz", "q", ".\n", "\nil", "non si", "  ", "/0"}) {
        CAPTURE(cercato);
        const auto ago = cercabile(cercato);
        CHECK(trovati(raccolta, ago) == attesi(raccolta, ago));
    }
    CHECK(trovati(raccolta, "natale").size() >= 1);
}

// Records across the pieces the search looks at, with the searched pair of characters split
// by CRs, by a piece's end, or opening a record's text before its title.
TEST_CASE("la ricerca e i pezzi del file")
{
    CartellaTemporanea cartella;
    const auto file = cartella.file("Massime.dat");
    std::string chiaro = "fuori zq /";
    for (int r = 0; r < 3000; ++r) {
        chiaro += std::to_string(100 + r % 900) + (r % 7 ? " Titolo\r\n" : " ");
        chiaro.append(std::size_t(r * 37 % 61), char('a' + r % 20));
        const char *inserti[] = {"", "z\r\r\nq", "zq", "\rz\rq", "Zq", "z", "q"};
        // Rare enough that most pieces hold none, and are skipped.
        chiaro += inserti[r % 1000 < 7 ? r % 1000 : 0];
        chiaro += r % 11 ? "/" : "\r\n/";
    }
    chiaro += "zq zq, che non chiude";
    REQUIRE(scrivi(file, codifica(chiaro)));
    for (const char *cercato : {"zq", "z\nq", "q", "z", "titolo", "zq/", "bz", "t"}) {
        CAPTURE(cercato);
        CHECK(trovati(file, cercato) == attesi(file, cercato));
    }
}

TEST_CASE("il testo da cercare, normalizzato")
{
    struct Riga {
        const char *scritto;
        const char *come;
    };
    const Riga righe[] = {
        {"perch\xC3\xA9", "perche"},
        {"perche\xCC\x81", "perche"}, // e + combining acute
        {"PERCHE\xCC\x81", "perche"},
        {"l\xE2\x80\x99ora", "l'ora"}, // typographic apostrophe
        {"l\xCA\xBCora", "l'ora"},     // modifier letter apostrophe
        {"l\xEF\xBC\x87ora", "l'ora"}, // fullwidth apostrophe
        {"\xE2\x80\x9C"
         "Citt\xC3\x80\xE2\x80\x9D",
         "\"citta\""},
        {"a\xCC\x80\xCC\x80", "a"}, // two marks on one letter
    };
    for (const auto &r : righe) {
        CAPTURE(r.scritto);
        CHECK(cercabile(r.scritto) == r.come);
    }
    // Bytes that are no UTF-8 stay, for the conversion to refuse them.
    CHECK(NormalizzaTestoDaCercare("a\xFF\xCC") == "a\xFF\xCC");
}
