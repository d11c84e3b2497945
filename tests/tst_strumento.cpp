// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the built `massime` tool as a user would, and holds its answers against the core.

#include "leggi/cp1252.h"
#include "leggi/massime.h"
#include "sistema/argomenti.h"
#include "supporto/prova.h"

#include <doctest/doctest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

using namespace prova;
using nlohmann::json;

namespace {

Esito massime(std::vector<std::string> argomenti, std::string_view ingresso = {})
{
    argomenti.insert(argomenti.begin(), MASSIME);
    return esegui(argomenti, ingresso);
}

bool contiene(std::string_view testo, std::string_view parte)
{
    return testo.find(parte) != std::string_view::npos;
}

// A law file meant to trip up the lookup: numbers in odd forms, repeats, records with no
// line break or no capital, CR LF and LF mixed, and every byte value in the texts.
std::string fileCasuale(std::uint32_t seme)
{
    std::mt19937 caso(seme);
    static const char *const numeri[] = {"001", "002", "  3", "004", "+05",  "5.0", "006",
                                         "007", "abc", "500", "008", "\n09", "010", "\r011"};
    std::string testo = aCaso(caso, 2) ? "intestazione " : "";
    for (int r = 0, n = 20 + aCaso(caso, 20); r < n; ++r) {
        testo += '/';
        testo += numeri[aCaso(caso, int(std::size(numeri)))];
        for (int i = 0, l = aCaso(caso, 40); i < l; ++i) {
            char c = char(aCaso(caso, 256));
            if (c == '/')
                c = char('A' + aCaso(caso, 26));
            testo += c;
        }
        if (aCaso(caso, 4))
            testo += aCaso(caso, 2) ? "\r\n" : "\n";
        testo += "Corpo " + std::to_string(r) + '.';
    }
    if (aCaso(caso, 2))
        testo += "/";
    return codifica(testo);
}

} // namespace

TEST_CASE("numero")
{
    struct Riga {
        const char *data;
        int codice;
        std::string uscita;
    };
    const Riga righe[] = {
        {"2024-02-29", 0, "500\n"}, {"2024-03-01", 0, "61\n"}, {"2023-03-01", 0, "60\n"},
        {"2024-12-31", 0, "366\n"}, {"2023-02-29", 2, ""},     {"2024-13-01", 2, ""},
        {"2024-3-1", 2, ""},        {"ieri", 2, ""},
    };
    for (const auto &r : righe) {
        CAPTURE(r.data);
        const Esito esito = massime({"numero", r.data});
        CHECK(esito.codice == r.codice);
        CHECK(esito.uscita == r.uscita);
        CHECK(esito.errori.empty() == (r.codice == 0));
    }
}

TEST_CASE("mostra come la ricerca")
{
    for (const std::uint32_t seme : {1u, 2u, 3u, 4u}) {
        CAPTURE(seme);
        CartellaTemporanea cartella;
        const auto file = cartella.file("Massime.dat");
        REQUIRE(scrivi(file, fileCasuale(seme)));
        for (const int numero : {1, 2, 3, 5, 7, 9, 11, 12, 500}) {
            CAPTURE(numero);
            const legge::Legge attesa = legge::CercaLegge(file, numero);
            const std::string n = std::to_string(numero);

            const Esito uscitaJson = massime({"mostra", "--json", n, file.string()});
            CHECK(uscitaJson.codice == (attesa.trovata ? 0 : 1));
            const json oggetto = json::parse(uscitaJson.uscita, nullptr, false);
            INFO(uscitaJson.uscita);
            REQUIRE(oggetto.is_object());
            CHECK(oggetto.value("numero", -1) == numero);
            CHECK(oggetto.value("trovata", !attesa.trovata) == attesa.trovata);
            CHECK(oggetto["titolo"].is_null() == !attesa.titolo.has_value());
            if (attesa.titolo)
                CHECK(oggetto["titolo"] == legge::Cp1252InUtf8(*attesa.titolo));
            CHECK(oggetto["corpo"] == legge::Cp1252InUtf8(attesa.corpo));
            // An undefined byte of the file becomes a C1 control, which must not reach a
            // terminal raw any more than ESC may.
            const std::string &grezza = uscitaJson.uscita;
            for (std::size_t i = 0; i + 1 < grezza.size(); ++i) {
                const auto dopo = static_cast<unsigned char>(grezza[i + 1]);
                CHECK_FALSE((grezza[i] == '\xC2' && dopo >= 0x80 && dopo <= 0x9F));
            }

            const Esito testo = massime({"mostra", n, file.string()});
            CHECK(testo.codice == uscitaJson.codice);
            if (attesa.trovata) {
                std::string atteso = legge::Cp1252InUtf8(attesa.titolo.value_or("") + attesa.corpo);
                if (!atteso.ends_with('\n'))
                    atteso += '\n';
                CHECK(testo.uscita == atteso);
            } else {
                CHECK(testo.uscita.empty());
                CHECK(contiene(testo.errori, file.string()));
            }
        }
    }
}

TEST_CASE("andata e ritorno")
{
    // Unscrambled Windows-1252, CR LF line breaks.
    std::string ogniByte;
    for (int b = 0; b < 256; ++b) {
        if (b != '\n')
            ogniByte += char(b);
        if (b % 32 == 31)
            ogniByte += "\r\n";
    }
    // Blocks are read 256 KiB at a time: a CR LF split between two of them is one break.
    const std::string confine = "/001 A\r\n" + std::string(256 * 1024 - 1 - 8, 'x');
    struct Riga {
        const char *nome;
        std::string chiaro;
        bool raccolta = true; // whether codifica takes the text back
    };
    const Riga righe[] = {
        {"ogni byte", ogniByte, false}, // NUL, and '/' with no number after it
        {"vuoto", "", false},
        {"CR CR LF", "/001 A\r\r\nB/"},
        {"tre CR e un LF, un CR solo", "/001 A\r\r\r\nB\rC\r\nD/"},
        {"CR CR LF a cavallo di due blocchi",
         confine.substr(0, confine.size() - 1) + "\r\r\nfine/"},
        {"CR CR a fine blocco", confine.substr(0, confine.size() - 1) + "\r\rfine/"},
        {"CR finale", "/001 A\r\nB/\r"},
        {"CR LF a cavallo di due blocchi", confine + "\r\nfine/"},
        {"CR solo a fine blocco", confine + "\rfine/"},
    };
    for (const auto &r : righe) {
        CAPTURE(r.nome);
        CartellaTemporanea cartella;
        const auto originale = cartella.file("originale.dat");
        const auto copia = cartella.file("copia.dat");
        REQUIRE(scrivi(originale, codifica(r.chiaro)));

        const Esito grezzo = massime({"decodifica", "--grezzo", originale.string()});
        CHECK(grezzo.codice == 0);
        CHECK(grezzo.uscita == r.chiaro);

        const Esito testo = massime({"decodifica", originale.string()});
        CHECK(testo.codice == 0);
        // The CR of a CR LF goes, unless another CR stands before it.
        std::string righeLf;
        for (std::size_t i = 0; i < r.chiaro.size(); ++i) {
            if (!(r.chiaro[i] == '\r' && i + 1 < r.chiaro.size() && r.chiaro[i + 1] == '\n' &&
                  (i == 0 || r.chiaro[i - 1] != '\r')))
                righeLf += r.chiaro[i];
        }
        CHECK(testo.uscita == legge::Cp1252InUtf8(righeLf));
        const Esito codificato = massime({"codifica", "-o", copia.string()}, testo.uscita);
        CHECK(codificato.codice == (r.raccolta ? 0 : 2));
        CHECK(leggi(copia, "<illeggibile>") ==
              (r.raccolta ? leggi(originale, "<illeggibile>") : "<illeggibile>"));
    }
}

TEST_CASE("raccolta")
{
    const Esito verifica = massime({"verifica", RACCOLTA_DAT});
    CHECK(verifica.codice == 0);
    CHECK(contiene(verifica.uscita, " 367 record, nessun problema\n"));

    const Esito testo = massime({"decodifica", RACCOLTA_DAT});
    CHECK(testo.codice == 0);
    CHECK(testo.uscita == leggi(RACCOLTA_TXT, "<illeggibile>"));

    // The same text as Notepad saves it gives the same file.
    std::string blocconote = "\xEF\xBB\xBF";
    for (const char c : testo.uscita)
        blocconote += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const Esito codificato = massime({"codifica", "-o", "-"}, blocconote);
    CHECK(codificato.codice == 0);
    CHECK(codificato.errori.empty());
    CHECK(codificato.uscita == leggi(RACCOLTA_DAT, "<illeggibile>"));

    const Esito legge = massime({"mostra", "500", RACCOLTA_DAT});
    CHECK(legge.codice == 0);
    CHECK(legge.uscita.starts_with("Legge del giorno bisestile\n"));
}

TEST_CASE("verifica")
{
    struct Riga {
        const char *tipo;
        json record, posizione, numero;
    };
    // Positions in data/massime/difettoso.dat, one record per kind of problem.
    const Riga righe[] = {
        {"numero-ripetuto", 2, 27, "001"},
        {"numero-fuori-intervallo", 3, 56, "400"},
        {"campo-numero", 4, 76, " 2 "},
        {"senza-titolo", 5, 101, "003"},
        {"titolo-senza-maiuscola", 6, 118, "004"},
        {"corpo-vuoto", 7, 149, "005"},
        {"byte-indefinito", 8, 172, nullptr},
        {"testo-dopo-ultima-barra", nullptr, 191, nullptr},
        {"numero-mancante", nullptr, nullptr, "007"},
    };
    const auto file = datiDiProva("massime/difettoso.dat");
    REQUIRE(fs::is_regular_file(file));
    const Esito uscitaJson = massime({"verifica", "--json", "--tutti", file.string()});
    const Esito testo = massime({"verifica", "--tutti", file.string()});
    CHECK(uscitaJson.codice == 1);
    CHECK(testo.codice == 1);
    const json radice = json::parse(uscitaJson.uscita, nullptr, false);
    REQUIRE(radice.is_object());
    const json problemi = radice.value("problemi", json::array());
    REQUIRE(problemi.is_array());

    for (const auto &r : righe) {
        CAPTURE(r.tipo);
        std::vector<json> diQuestoTipo;
        for (const json &p : problemi) {
            if (p.value("tipo", "") == r.tipo)
                diQuestoTipo.push_back(p);
        }
        REQUIRE(!diQuestoTipo.empty());
        if (std::string_view(r.tipo) != "numero-mancante")
            CHECK(diQuestoTipo.size() == 1);
        CHECK(diQuestoTipo[0].value("record", json()) == r.record);
        CHECK(diQuestoTipo[0].value("posizione", json()) == r.posizione);
        CHECK(diQuestoTipo[0].value("numero", json()) == r.numero);

        // The same problem, on a line of its own, in the text for people.
        const std::string riga = diQuestoTipo[0].value("messaggio", "") + '\n';
        std::string attesa;
        if (!r.record.is_null())
            attesa += "record " + std::to_string(r.record.get<int>()) + ", ";
        if (!r.posizione.is_null())
            attesa += "byte " + std::to_string(r.posizione.get<int>()) + ": ";
        INFO(testo.uscita.substr(0, 2000));
        CHECK(contiene('\n' + testo.uscita, '\n' + attesa + riga));
        CHECK(testo.uscita.ends_with(": 8 record, " + std::to_string(problemi.size()) +
                                     " problemi\n"));
    }
}

TEST_CASE("cerca")
{
    CartellaTemporanea cartella;
    const auto file = cartella.file("Massime.dat");
    const std::string lunga = std::string(100, 'x') + " ago " + std::string(100, 'y');
    // The last record has no closing '/': it is no law.
    REQUIRE(scrivi(file, codifica("/001 Legge di Murphy\r\nSe qualcosa pu\xF2 andare storto, lo "
                                  "far\xE0. Perch\xE9?\r\n/002 PERCH\xC9 NO\r\nCitt\xE0 e l\x92ora."
                                  "\r\n/003 Controlli\r\nUn \x1B[31m colore perche/004 senza "
                                  "titolo citt\xE0/005 Lunga\r\n" +
                                  lunga + "/006 Coda\r\nperche")));
    struct Riga {
        const char *nome;
        std::string cercato;
        int codice;
        std::string uscita;
    };
    const std::string murphy = "001  Legge di Murphy — …a può andare storto, lo farà. Perché?\n";
    const std::string perche = "002  PERCHÉ NO — PERCHÉ NO Città e l’ora.\n";
    const Riga righe[] = {
        {"maiuscole, accenti, controlli", "perche", 0,
         murphy + perche + "003  Controlli — Controlli Un \\x1B[31m colore perche\n"},
        {"apostrofo tipografico", "l'ora", 0, perche},
        {"accento scomposto", "PERCHE\xCC\x81", 0,
         murphy + perche + "003  Controlli — Controlli Un \\x1B[31m colore perche\n"},
        {"legge senza titolo", "CITTÀ", 0, perche + "004  004 senza titolo città\n"},
        {"testo tagliato ai lati", "AGO", 0,
         std::string("005  Lunga — …").append(29, 'x').append(" ago ").append(49, 'y') + "…\n"},
        {"il numero non è testo", "001", 1, ""},
        {"a capo nel testo cercato", "murphy\nse", 0,
         "001  Legge di Murphy — Legge di Murphy Se qualcosa può andare storto, lo farà. "
         "Perché?\n"},
        {"oltre un record", "perche?/002", 1, ""},
    };
    for (const auto &r : righe) {
        CAPTURE(r.nome);
        const Esito esito = massime({"cerca", r.cercato, file.string()});
        CHECK(esito.codice == r.codice);
        CHECK(esito.uscita == r.uscita);
        CHECK(esito.errori.empty() == (r.codice == 0));
    }

    // What was looked for is echoed on one line, its first 60 characters at most.
    const std::string e = "\xC3\xA8";
    struct Eco {
        const char *nome;
        std::string cercato;
        std::string eco;
    };
    std::string eLunghe, eSessanta;
    for (int i = 0; i < 5000; ++i)
        eLunghe += e;
    for (int i = 0; i < 60; ++i)
        eSessanta += e;
    const Eco echi[] = {
        {"10 kB", eLunghe, "«" + eSessanta + "…»"},
        {"60 caratteri", eSessanta, "«" + eSessanta + "»"},
        {"61 caratteri", eSessanta + "x", "«" + eSessanta + "…»"},
        {"controlli", std::string(59, 'z') + "\x1B[2J", "«" + std::string(59, 'z') + "\\x1B…»"},
    };
    for (const auto &r : echi) {
        CAPTURE(r.nome);
        const Esito esito = massime({"cerca", r.cercato, file.string()});
        CHECK(esito.codice == 1);
        CHECK(contiene(esito.errori, "nessuna legge contiene " + r.eco + " in "));
        CHECK(esito.errori.size() < 200 + file.string().size());
    }

    const Esito uscitaJson = massime({"cerca", "--json", "citta", "-"}, leggi(file));
    CHECK(uscitaJson.codice == 0);
    const json radice = json::parse(uscitaJson.uscita, nullptr, false);
    REQUIRE(radice.is_object());
    CHECK(radice["leggi"] == json::parse(R"([{"numero": "002", "record": 2, "titolo": "PERCHÉ NO",
                           "contesto": "PERCHÉ NO\nCittà e l’ora.\n"},
                          {"numero": "004", "record": 4, "titolo": null,
                           "contesto": "004 senza titolo città"}])"));
}

// Matches and records cut where the reading's blocks end: every law found as the window
// would show it, its context whole.
TEST_CASE("cerca: leggi più lunghe di un blocco")
{
    CartellaTemporanea cartella;
    const auto file = cartella.file("Massime.dat");
    std::string testo;
    std::vector<int> attese;
    for (int r = 1; r <= 40; ++r) {
        // Lengths around 256 KiB and its multiples, with CRs to drop on the way.
        const std::size_t prima = std::size_t(r) * 37 * 1024 + std::size_t(r % 7);
        testo.append("/").append(std::to_string(100 + r)).append(" Legge\r\n");
        testo.append(prima, 'a').append(r % 3 ? "\r\nCerca Qui" : "cerca\r\nqui");
        if (r % 3)
            attese.push_back(r);
    }
    REQUIRE(scrivi(file, codifica(testo + "/")));
    const Esito esito = massime({"cerca", "--json", "a\nCERCA QU", file.string()});
    CHECK(esito.codice == 0);
    const json radice = json::parse(esito.uscita, nullptr, false);
    REQUIRE(radice.is_object());
    std::vector<int> trovate;
    for (const json &l : radice["leggi"]) {
        trovate.push_back(l.value("record", 0));
        CHECK(l.value("contesto", "") == std::string("…").append(31, 'a') + "\nCerca Qui");
    }
    CHECK(trovate == attese);
}

TEST_CASE("statistiche")
{
    CartellaTemporanea cartella;
    const auto file = cartella.file("Massime.dat");
    REQUIRE(
        scrivi(file, codifica("/001 Uno\r\nTre parole qui.\r\n/002 Due\r\nCorto\r\n"
                              "/003 Tre\r\nLungo pi\xF9 di tutti.\r\n/004 Quattro\r\nCorto\r\n/")));
    const Esito esito = massime({"statistiche", file.string()});
    CHECK(esito.codice == 0);
    CHECK(esito.uscita == "record: 4\n"
                          "corpo più corto: 5 caratteri, legge «002» (record 2)\n"
                          "corpo più lungo: 19 caratteri, legge «003» (record 3)\n");
}

TEST_CASE("errori senza scrivere")
{
    struct Riga {
        std::string nome;
        std::vector<std::string> argomenti; // "@" stands for the temporary directory
        std::string ingresso;
        std::string bersaglio; // a file that must be left as it was
        std::string messaggio;
    };
    std::vector<Riga> righe;
    for (const std::string comando : {"mostra", "decodifica", "verifica", "statistiche"}) {
        std::vector<std::string> argomenti{comando, "@/Massime.dat"};
        if (comando == "mostra")
            argomenti.insert(argomenti.begin() + 1, "1");
        righe.push_back(
            {comando + ": file mancante", argomenti, "", "Massime.dat", "/Massime.dat:"});
        argomenti.back() = "@/cartella";
        righe.push_back({comando + ": una cartella al posto del file", argomenti, "", "cartella",
                         "/cartella:"});
    }
    righe.push_back({"codifica: carattere che Windows-1252 non ha",
                     {"codifica", "-o", "@/esistente.dat"},
                     "/001 Legge\nCaffè \xe2\x80\x94 e \xc4\x81!\n/",
                     "esistente.dat",
                     "riga 2, colonna 11: il carattere «\xc4\x81» (U+0101)"});
    righe.push_back({"codifica: UTF-8 non valido",
                     {"codifica", "-o", "@/nuovo.dat"},
                     "/001 A\nb\xe8/",
                     "nuovo.dat",
                     "riga 2, colonna 2: il testo non è UTF-8 valido"});
    righe.push_back({"codifica: testo mancante",
                     {"codifica", "@/manca.txt", "-o", "@/nuovo.dat"},
                     "",
                     "nuovo.dat",
                     "/manca.txt:"});
    righe.push_back({"codifica: una cartella come uscita",
                     {"codifica", "-o", "@/cartella"},
                     "/001 A\nb\n/",
                     "cartella",
                     "/cartella:"});
    righe.push_back({"codifica senza -o", {"codifica"}, "/001 A\nb\n/", "nuovo.dat", "-o FILE"});
    righe.push_back({"codifica: un controllo C1, che Windows-1252 non ha",
                     {"codifica", "-o", "@/esistente.dat"},
                     "/001 A\n\xC2\x9B[2J\n/",
                     "esistente.dat",
                     "riga 2, colonna 1: il carattere «\\u009B» (U+009B)"});
    // It would end the law there, and make "o due" a record of its own.
    righe.push_back({"codifica: una «/» nel testo di una legge",
                     {"codifica", "-o", "@/esistente.dat"},
                     "/001 Legge\nUno e/o due\n/002 Altra\nx\n/",
                     "esistente.dat",
                     "riga 2, colonna 6: una «/» nel testo"});
    // Law 100 titled «Strana», were it taken.
    righe.push_back({"codifica: un numero di quattro cifre",
                     {"codifica", "-o", "@/esistente.dat"},
                     "/001 Uno\nx\n/1000 Strana\nx\n/",
                     "esistente.dat",
                     "riga 3, colonna 1: il numero dopo la «/» ha più di tre cifre"});
    // Only the mark that opens the text is no character of it.
    righe.push_back({"codifica: un BOM dopo l'inizio",
                     {"codifica", "-o", "@/esistente.dat"},
                     "\xEF\xBB\xBF/001 A\n\xEF\xBB\xBF"
                     "b\n/",
                     "esistente.dat",
                     "riga 2, colonna 1: il carattere «\xEF\xBB\xBF» (U+FEFF)"});
    // "Vedi /123" in a law would make a second law 123, hidden behind the first.
    righe.push_back({"codifica: un numero ripetuto",
                     {"codifica", "-o", "@/esistente.dat"},
                     "/001 Uno\nVedi\n/002 Due\nx\n/001 per altro\n/",
                     "esistente.dat",
                     "riga 5, colonna 1: il numero 001 apre già la legge alla riga 1"});
    righe.push_back({"codifica: testo vuoto",
                     {"codifica", "-o", "@/esistente.dat"},
                     "",
                     "esistente.dat",
                     "riga 1, colonna 1: il testo non ha nessuna legge"});
    righe.push_back({"codifica: testo senza leggi",
                     {"codifica", "-o", "@/esistente.dat"},
                     "appunti\n/\n",
                     "esistente.dat",
                     "riga 3, colonna 1: il testo non ha nessuna legge"});
    righe.push_back({"codifica: un byte NUL",
                     {"codifica", "-o", "@/esistente.dat"},
                     std::string("/001 Uno\nab\0c\n/", 16),
                     "esistente.dat",
                     "riga 2, colonna 3: un byte NUL"});
    // The first fault is told, not a later one that would have been found first.
    righe.push_back({"codifica: una «/» prima di un carattere sbagliato",
                     {"codifica", "-o", "@/esistente.dat"},
                     "/001 Uno\nE/o \xc4\x81\n/",
                     "esistente.dat",
                     "riga 2, colonna 2: una «/» nel testo"});
    righe.push_back({"codifica: l'uscita è il testo stesso",
                     {"codifica", "@/esistente.dat", "-o", "@/cartella/../esistente.dat"},
                     "",
                     "esistente.dat",
                     "è il testo stesso"});
    righe.push_back({"mostra: percorso vuoto", {"mostra", "1", ""}, "", "nuovo.dat", ": «»: "});
    righe.push_back(
        {"codifica: uscita vuota", {"codifica", "-o", ""}, "/001 A\nb\n/", "nuovo.dat", ": «»: "});

    for (const auto &r : righe) {
        CAPTURE(r.nome);
        CartellaTemporanea cartella;
        REQUIRE(fs::create_directory(cartella.file("cartella")));
        REQUIRE(scrivi(cartella.file("esistente.dat"), codifica("/001 Vecchia\r\nlegge\r\n/")));
        const std::string prima = leggi(cartella.file("esistente.dat"));
        std::vector<std::string> argomenti = r.argomenti;
        for (auto &a : argomenti) {
            if (a.starts_with('@'))
                a = cartella.str() + a.substr(1);
        }

        const Esito esito = massime(argomenti, r.ingresso);
        CHECK(esito.codice == 2);
        INFO(esito.errori);
        // Paths in messages are written the system's way: '\\' on Windows.
        const std::string messaggio = r.messaggio.starts_with('/')
                                          ? fs::path(r.messaggio).make_preferred().string()
                                          : r.messaggio;
        CHECK(contiene(esito.errori, messaggio));
        CHECK(esito.uscita.empty());
        CHECK(leggi(cartella.file("esistente.dat")) == prima);
        if (r.bersaglio == "cartella")
            CHECK(fs::is_directory(cartella.file("cartella")));
        else if (r.bersaglio != "esistente.dat")
            CHECK(!fs::exists(cartella.file(r.bersaglio)));
        CHECK(voci(cartella.percorso()) == std::vector<std::string>{"cartella", "esistente.dat"});
        CHECK(fs::is_empty(cartella.file("cartella")));
    }
}

// Names in letters that no single code page holds. On Windows the tool must take its
// arguments as the system keeps them, not as the ANSI code page turns them.
TEST_CASE("nomi non ASCII")
{
    CartellaTemporanea cartella;
    const std::string nome = "città ☃ Ελλάδα";
    const auto dentro = cartella.percorso() / legge::PercorsoUtf8(nome);
    REQUIRE(fs::create_directory(dentro));
    const std::string file = (dentro / "Massime.dat").string();

    const Esito codificato = massime({"codifica", "-o", file}, "/001 Legge\nCaffè per tutti.\n/");
    CHECK(codificato.codice == 0);
    const Esito mostrata = massime({"mostra", "1", file});
    CHECK(mostrata.codice == 0);
    CHECK(mostrata.uscita == "Legge\nCaffè per tutti.\n");
    const Esito mancante = massime({"verifica", (dentro / "Manca.dat").string()});
    CHECK(mancante.codice == 2);
    CHECK(contiene(mancante.errori, nome));
    CHECK(voci(dentro) == std::vector<std::string>{"Massime.dat"});
}

#ifdef _WIN32
// Names that no folder holds (devices, with any extension) and prefixed paths are shown as the
// user wrote them; a device given as input is refused instead of read for ever.
TEST_CASE("nomi di Windows come scritti, dispositivi rifiutati")
{
    CartellaTemporanea cartella;
    const std::string lungo = "\\\\?\\" + (cartella.percorso() / "Manca.dat").string();
    const struct {
        std::vector<std::string> argomenti;
        std::string messaggio;
    } righe[] = {
        {{"decodifica", "NUL"}, "massime: NUL: "},
        {{"decodifica", "aux.txt"}, "massime: aux.txt: "},
        {{"statistiche", "COM1"}, "massime: COM1: "},
        {{"mostra", "1", lungo}, "massime: " + lungo + ": "},
    };
    for (const auto &riga : righe) {
        CAPTURE(riga.argomenti.back());
        const Esito esito = massime(riga.argomenti);
        CHECK(esito.codice == 2);
        CHECK(contiene(esito.errori, riga.messaggio));
    }

    // A folder deeper than the 260 characters of old Windows paths.
    fs::path profonda = cartella.percorso();
    while (profonda.native().size() < 300)
        profonda /= "una-cartella-dal-nome-piuttosto-lungo";
    REQUIRE(fs::create_directories(profonda));
    const std::string file = (profonda / "Massime.dat").string();
    CHECK(massime({"codifica", "-o", file}, "/001 Legge\nTesto.\n/").codice == 0);
    CHECK(massime({"mostra", "1", file}).uscita == "Legge\nTesto.\n");
}
#endif

TEST_CASE("uso")
{
    struct Riga {
        const char *nome;
        std::vector<std::string> argomenti;
        int codice;
        std::string uscita;
    };
    const Riga righe[] = {
        {"aiuto", {"--help"}, 0, "statistiche [FILE]"},
        {"aiuto di un comando", {"mostra", "--help"}, 0, "Uso: massime mostra [--json]"},
        {"versione", {"--version"}, 0, "Una Legge al Giorno "},
        {"--tutti è solo di verifica", {"mostra", "--tutti", "1"}, 2, ""},
        {"nessun comando", {}, 2, ""},
        {"comando sconosciuto", {"trova"}, 2, ""},
        {"cerca senza testo", {"cerca"}, 2, ""},
        {"cerca un testo vuoto", {"cerca", ""}, 2, ""},
        {"cerca un carattere che Windows-1252 non ha", {"cerca", "\xC5\x82"}, 2, ""},
        {"opzione di un altro comando", {"mostra", "--grezzo", "1"}, 2, ""},
        {"numero di legge zero", {"mostra", "0"}, 2, ""},
        {"numero di legge con lettere", {"mostra", "1a"}, 2, ""},
        {"argomento di troppo", {"verifica", "a.dat", "b.dat"}, 2, ""},
        {"comando con controlli", {"\x1B[2J\xC2\x9B"}, 2, ""},
        {"opzione con controlli", {"mostra", "--\x1B[2J"}, 2, ""},
        {"numero con controlli", {"mostra", "1\x07"}, 2, ""},
        {"cerca un controllo C1", {"cerca", "a\xC2\x9B"}, 2, ""},
    };
    for (const auto &r : righe) {
        CAPTURE(r.nome);
        const Esito esito = massime(r.argomenti);
        CHECK(esito.codice == r.codice);
        CHECK(contiene(esito.uscita, r.uscita));
        CHECK(esito.errori.empty() == (r.codice == 0));
        // What the user typed is echoed, but never acts on the terminal.
        CHECK(esito.errori.find_first_of("\x1B\x07") == std::string::npos);
        CHECK(!contiene(esito.errori, "\xC2\x9B"));
    }
}

#ifndef _WIN32

// ---- POSIX: links, FIFOs and devices ----

// What stands at the path of -o stays: a link leads to the file that gets the content, a
// file with two names shows it under both, and a device is refused and left alone.
TEST_CASE("codifica: quel che sta al percorso resta")
{
    const std::string testo = "/001 Nuova\nlegge\n/";
    const std::string atteso = codifica("/001 Nuova\r\nlegge\r\n/");
    for (const std::string caso : {"collegamento", "due nomi", "dispositivo", "FIFO"}) {
        CAPTURE(caso);
        CartellaTemporanea cartella;
        const auto uscita = cartella.file("Massime.dat");
        const auto vero = cartella.file("raccolta.dat");
        REQUIRE(scrivi(vero, codifica("/001 Vecchia\r\nlegge\r\n/")));
        if (caso == "collegamento") {
            fs::create_symlink("raccolta.dat", uscita);
        } else if (caso == "due nomi") {
            fs::create_hard_link(vero, uscita);
        } else if (caso == "FIFO") {
            REQUIRE(creaFifo(uscita));
        } else if (::mknod(uscita.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
            continue; // only root may make a device
        }
        const auto tipo = fs::symlink_status(uscita).type();

        const Esito esito = massime({"codifica", "-o", uscita.string()}, testo);
        CHECK(fs::symlink_status(uscita).type() == tipo);
        if (caso == "dispositivo" || caso == "FIFO") {
            CHECK(esito.codice == 2);
            CHECK(contiene(esito.errori, uscita.string() + ": è un"));
            CHECK(contiene(esito.errori, "com'è"));
        } else {
            CHECK(esito.codice == 0);
            CHECK(leggi(vero) == atteso);
            CHECK(leggi(uscita) == atteso);
        }
        CHECK(voci(cartella.percorso()) == std::vector<std::string>{"Massime.dat", "raccolta.dat"});
    }
}

#endif

// "-" is standard input for every command that reads a law file, and standard output for -o.
TEST_CASE("il trattino")
{
    CartellaTemporanea cartella;
    const auto file = cartella.file("Massime.dat");
    const std::string dati = codifica("/001 Uno\r\nTesto.\r\n/002 Due\r\nAltro.\r\n/coda");
    REQUIRE(scrivi(file, dati));
    const std::vector<std::vector<std::string>> comandi{
        {"mostra", "2"}, {"mostra", "3"},        {"decodifica", "--grezzo"},
        {"decodifica"},  {"verifica", "--json"}, {"statistiche"}};
    for (const auto &comando : comandi) {
        CAPTURE(comando.front());
        auto conFile = comando;
        conFile.push_back(file.string());
        auto conTrattino = comando;
        conTrattino.push_back("-");
        const Esito daFile = massime(conFile);
        const Esito daIngresso = massime(conTrattino, dati);
        CHECK(daIngresso.codice == daFile.codice);
        std::string attesa = daFile.uscita;
        // The name as text, and as JSON writes it: on Windows its '\' are doubled there.
        const std::string inJson = json(file.string()).dump();
        for (const std::string &nome : {file.string(), inJson.substr(1, inJson.size() - 2)}) {
            for (std::size_t i; (i = attesa.find(nome)) != std::string::npos;)
                attesa.replace(i, nome.size(), "standard input");
        }
        CHECK(daIngresso.uscita == attesa);
    }

    const Esito suUscita = massime({"codifica", "-o", "-"}, "/001 Uno\nTesto.\n/");
    CHECK(suUscita.codice == 0);
    CHECK(suUscita.uscita == codifica("/001 Uno\r\nTesto.\r\n/"));
}

#ifndef _WIN32

// ---- POSIX: a terminal made by script(1) ----

// Bytes of a law file never reach a terminal as controls; a pipe gets them as they are.
TEST_CASE("controlli su un terminale")
{
    if (!eseguibileNelPath("script"))
        return;
    CartellaTemporanea cartella;
    const auto file = cartella.file("Massime.dat");
    REQUIRE(scrivi(file, codifica("/001 Titolo\x1b[2J\r\nCorpo\x07 e \x81.\r\n"
                                  "/\n09 Nove\r\nx/")));
    const std::string comando = std::string(MASSIME) + " mostra 1 " + file.string();

    const Esito terminale = esegui({"script", "-qec", comando, "/dev/null"});
    CHECK(terminale.codice == 0);
    INFO(terminale.uscita);
    CHECK(contiene(terminale.uscita, "Titolo\\x1B[2J"));
    CHECK(contiene(terminale.uscita, "Corpo\\x07 e \\u0081."));
    CHECK(!contiene(terminale.uscita, "\x1b"));
    CHECK(!contiene(terminale.uscita, "\x07"));

    const Esito tubo = massime({"mostra", "1", file.string()});
    CHECK(tubo.uscita == "Titolo\x1b[2J\nCorpo\x07 e \xc2\x81.\n");

    // Scrambled bytes are refused on a terminal, and still go down a pipe.
    const Esito codificato =
        esegui({"script", "-qec", std::string(MASSIME) + " codifica -o - </dev/null", "/dev/null"});
    CHECK(codificato.codice != 0);
    CHECK(contiene(codificato.uscita, "non scrivo un file delle leggi su un terminale"));

    // A number field with a line break in it still takes one line.
    const Esito statistiche = massime({"statistiche", file.string()});
    CHECK(statistiche.uscita == "record: 2\n"
                                "corpo più corto: 1 caratteri, legge «\\n09» (record 2)\n"
                                "corpo più lungo: 11 caratteri, legge «001» (record 1)\n");
}

#endif

// Problems come in file order, a record's own before those of its bytes; past a few
// thousand bad bytes in one record the rest are counted, not listed.
TEST_CASE("verifica: ordine e byte in quantità")
{
    CartellaTemporanea cartella;
    const auto file = cartella.file("Massime.dat");
    REQUIRE(scrivi(file, codifica("\x81/001 \x81itolo\r\nTesto.\r\n/002 Due\r\n" +
                                  std::string(5000, '\x81') + "/\x8d")));
    const Esito esito = massime({"verifica", "--json", "--tutti", file.string()});
    CHECK(esito.codice == 1);
    const json radice = json::parse(esito.uscita, nullptr, false);
    REQUIRE(radice.is_object());
    CHECK(radice.value("record", 0) == 2);
    std::vector<std::string> tipi;
    std::vector<json> posizioni, record;
    for (const json &p : radice.value("problemi", json::array())) {
        if (p.value("tipo", "") == "numero-mancante")
            continue;
        tipi.push_back(p.value("tipo", ""));
        posizioni.push_back(p.value("posizione", json()));
        record.push_back(p.value("record", json()));
    }
    REQUIRE(tipi.size() == 3 + 4096 + 1 + 2);
    CHECK(tipi[0] == "byte-indefinito"); // before the first '/'
    CHECK(record[0] == nullptr);
    CHECK(tipi[1] == "titolo-senza-maiuscola");
    CHECK(tipi[2] == "byte-indefinito");
    CHECK(posizioni[2] == 6);
    CHECK(record[2] == 1);
    CHECK(tipi[3] == "byte-indefinito"); // record 2, a bad byte in every one of its 5000
    CHECK(record[3] == 2);
    CHECK(posizioni[3] == 32);
    CHECK(posizioni[3 + 4095] == 32 + 4095);
    CHECK(contiene(radice["problemi"][3 + 4096].value("messaggio", ""), "altri 904 byte"));
    CHECK(posizioni[3 + 4096] == 32 + 4096);
    CHECK(tipi[3 + 4096 + 1] == "byte-indefinito"); // after the last '/': in no record
    CHECK(record[3 + 4096 + 1] == nullptr);
    CHECK(tipi.back() == "testo-dopo-ultima-barra");
}

// The last law of a text often lacks its closing '/': it is closed, not lost.
TEST_CASE("codifica: l'ultima legge senza «/»")
{
    CartellaTemporanea cartella;
    const auto file = cartella.file("Massime.dat");
    const Esito esito = massime({"codifica", "-o", file.string()}, "/001 Uno\nx\n/002 Due\ny\n");
    CHECK(esito.codice == 0);
    CHECK(leggi(file) == codifica("/001 Uno\r\nx\r\n/002 Due\r\ny\r\n/"));
    CHECK(massime({"mostra", "2", file.string()}).uscita == "Due\ny\n");
}

// What editors write is taken as the user sees it: Notepad's byte-order mark is no character,
// a CR LF is one line break. A number no day shows is written, with a warning naming its line.
TEST_CASE("codifica: testi come li scrivono gli editor")
{
    struct Riga {
        const char *nome;
        std::string ingresso;
        std::string chiaro; // the file written, unscrambled
        std::vector<std::string> avvisi;
    };
    const std::string bom = "\xEF\xBB\xBF";
    const Riga righe[] = {
        {"BOM e a capo CR LF",
         bom + "/001 Caff\xC3\xA8\r\nTesto.\r\n/\r\n",
         "/001 Caff\xE8\r\nTesto.\r\n/\r\n",
         {}},
        {"BOM prima di un preambolo",
         bom + "Leggi\n/001 Uno\nx\n",
         "Leggi\r\n/001 Uno\r\nx\r\n/",
         {}},
        {"numeri che nessun giorno mostra",
         "/000 Zero\nx\n/367 Dopo\nx\n/001 Uno\nx\n/999 Ultima\nx\n/",
         "/000 Zero\r\nx\r\n/367 Dopo\r\nx\r\n/001 Uno\r\nx\r\n/999 Ultima\r\nx\r\n/",
         {"massime: avviso: standard input, riga 1: il numero 000 non è fra 1 e 366 né 500",
          "riga 3: il numero 367 non", "riga 7: il numero 999 non"}},
    };
    for (const auto &r : righe) {
        CAPTURE(r.nome);
        CartellaTemporanea cartella;
        const auto file = cartella.file("Massime.dat");
        const Esito esito = massime({"codifica", "-o", file.string()}, r.ingresso);
        CHECK(esito.codice == 0);
        CHECK(leggi(file) == codifica(r.chiaro));
        INFO(esito.errori);
        CHECK(static_cast<std::size_t>(
                  std::count(esito.errori.begin(), esito.errori.end(), '\n')) == r.avvisi.size());
        for (const std::string &avviso : r.avvisi)
            CHECK(contiene(esito.errori, avviso));
        // verifica finds the same numbers in what was written.
        const std::string verifica = massime({"verifica", file.string()}).uscita;
        std::size_t fuori = 0;
        for (auto i = verifica.find("non è fra 1 e 366"); i != std::string::npos;
             i = verifica.find("non è fra 1 e 366", i + 1))
            ++fuori;
        CHECK(fuori == r.avvisi.size());
    }
}

// Past the first hundred problems the rest are counted; the counts and the status stay exact.
TEST_CASE("verifica: i primi problemi e quanti altri")
{
    CartellaTemporanea cartella;
    const auto file = cartella.file("Massime.dat");
    // One law: the other 366 numbers are missing.
    REQUIRE(scrivi(file, codifica("/001 Uno\r\nTesto.\r\n/")));
    const auto righe = [](const std::string &testo) {
        return std::count(testo.begin(), testo.end(), '\n');
    };
    const Esito testo = massime({"verifica", file.string()});
    CHECK(testo.codice == 1);
    CHECK(righe(testo.uscita) == 100 + 2);
    CHECK(contiene(testo.uscita, "altri 266 problemi"));
    CHECK(testo.uscita.ends_with(": 1 record, 366 problemi\n"));
    const Esito tutti = massime({"verifica", "--tutti", file.string()});
    CHECK(tutti.codice == 1);
    CHECK(righe(tutti.uscita) == 366 + 1);

    for (const bool ogni : {false, true}) {
        CAPTURE(ogni);
        std::vector<std::string> argomenti{"verifica", "--json", file.string()};
        if (ogni)
            argomenti.insert(argomenti.begin() + 1, "--tutti");
        const Esito esito = massime(argomenti);
        CHECK(esito.codice == 1);
        const json radice = json::parse(esito.uscita, nullptr, false);
        REQUIRE(radice.is_object());
        CHECK(radice.value("problemi", json::array()).size() == (ogni ? 366u : 100u));
        CHECK(radice.value("problemi_totali", 0) == 366);
    }
}

// Writers that run at once into a file with two names take turns: every outcome is one
// whole version, never pieces of several.
TEST_CASE("codifica: scrittori insieme su un file con due nomi")
{
    CartellaTemporanea cartella;
    const auto uscita = cartella.file("Massime.dat");
    REQUIRE(scrivi(uscita, codifica("/001 Vecchia\r\nx\r\n/")));
    fs::create_hard_link(uscita, cartella.file("altro.dat"));
    constexpr int Scrittori = 10;
    std::vector<std::string> versioni;
    for (int i = 0; i < Scrittori; ++i) {
        // Sizes that differ, so that a mix shows in the length or in the text.
        std::string testo;
        for (int n = 1; n <= 40 + 30 * i; ++n) {
            testo += '/';
            testo += std::to_string(100 + n);
            testo += " Legge\n";
            testo.append(std::size_t(200 + 37 * i), char('a' + i));
            testo += '\n';
        }
        const auto sorgente = cartella.file("testo" + std::to_string(i) + ".txt");
        REQUIRE(scrivi(sorgente, testo + "/"));
        std::string atteso;
        for (const char c : testo + "/")
            atteso += c == '\n' ? std::string("\r\n") : std::string(1, c);
        versioni.push_back(codifica(atteso));
    }
    for (int giro = 0; giro < 3; ++giro) {
        CAPTURE(giro);
        std::vector<std::unique_ptr<Processo>> processi;
        for (int i = 0; i < Scrittori; ++i) {
            processi.push_back(std::make_unique<Processo>(std::vector<std::string>{
                MASSIME, "codifica", cartella.file("testo" + std::to_string(i) + ".txt").string(),
                "-o", uscita.string()}));
        }
        for (auto &p : processi) {
            REQUIRE(p->attendi(std::chrono::seconds(60)));
            CHECK(p->codice() == 0);
        }
        const std::string risultato = leggi(uscita);
        CHECK(std::find(versioni.begin(), versioni.end(), risultato) != versioni.end());
        CHECK(leggi(cartella.file("altro.dat")) == risultato);
    }
}

#ifndef _WIN32

// The in-place write waits for a writer that holds the file, as another massime would.
TEST_CASE("codifica: un file con due nomi si scrive uno alla volta")
{
    CartellaTemporanea cartella;
    const auto uscita = cartella.file("Massime.dat");
    REQUIRE(scrivi(uscita, codifica("/001 Vecchia\r\nx\r\n/")));
    fs::create_hard_link(uscita, cartella.file("altro.dat"));
    const int occupato = ::open(uscita.c_str(), O_RDWR | O_CLOEXEC);
    REQUIRE(occupato >= 0);
    REQUIRE(::flock(occupato, LOCK_EX) == 0);
    Processo scrittore({MASSIME, "codifica", "-o", uscita.string()});
    scrittore.scriviEChiudi("/001 Nuova\nx\n/");
    // After a second it says whom it waits for: this process, on Linux.
    REQUIRE(scrittore.attendiRigaDiErrore(std::chrono::seconds(30)));
    CHECK(leggi(uscita) == codifica("/001 Vecchia\r\nx\r\n/"));
    ::close(occupato);
    REQUIRE(scrittore.attendi(std::chrono::seconds(30)));
    CHECK(scrittore.codice() == 0);
    CHECK(contiene(scrittore.errori, uscita.string() + ": lo tiene bloccato "));
#ifdef __linux__
    CHECK(contiene(scrittore.errori, "il processo " + std::to_string(::getpid()) + " ("));
#endif
    CHECK(contiene(scrittore.errori, "aspetto che lo lasci"));
    CHECK(leggi(cartella.file("altro.dat")) == codifica("/001 Nuova\r\nx\r\n/"));
}

// An input that never ends, or is not text from its first bytes, is refused at once, in
// little memory, and nothing is written.
TEST_CASE("codifica: un ingresso senza fine")
{
    for (const std::string dispositivo : {"/dev/zero", "/dev/urandom"}) {
        CAPTURE(dispositivo);
        CartellaTemporanea cartella;
        const auto uscita = cartella.file("Massime.dat");
        const Esito esito = esegui({MASSIME, "codifica", dispositivo, "-o", uscita.string()}, {},
                                   std::chrono::seconds(20));
        CHECK(esito.codice == 2);
        CHECK(contiene(esito.errori, dispositivo + ", riga 1, colonna "));
        CHECK(voci(cartella.percorso()).empty());
    }
}

// Names holding controls reach the terminal escaped, in the summary and in every message.
TEST_CASE("nomi con caratteri di controllo")
{
    CartellaTemporanea cartella;
    const auto file = cartella.file("a\x1b]0;titolo\x07.dat");
    REQUIRE(scrivi(file, codifica("/001 Uno\r\nTesto.\r\n/")));
    const std::string visto = cartella.str() + "/a\\x1B]0;titolo\\x07.dat";
    const Esito verifica = massime({"verifica", file.string()});
    CHECK(contiene(verifica.uscita, visto + ": 1 record"));
    const Esito mancante = massime({"mostra", "2", file.string()});
    CHECK(contiene(mancante.errori, visto));
    const Esito errore = massime({"verifica", file.string() + "x"});
    CHECK(contiene(errore.errori, visto + "x:"));
    const Esito testo = massime({"codifica", "-o", file.string()}, "/001 Uno\nE/o\n/");
    CHECK(contiene(testo.errori, "non ho scritto " + visto));
    for (const Esito *e : {&verifica, &mancante, &errore, &testo}) {
        CHECK(!contiene(e->uscita + e->errori, "\x1b"));
        CHECK(!contiene(e->uscita + e->errori, "\x07"));
    }
    // JSON has its own escapes.
    const Esito inJson = massime({"verifica", "--json", file.string()});
    CHECK(json::parse(inJson.uscita, nullptr, false).value("file", "") == file.string());
}

// A failed write of the help or the version is a failure, not a success.
TEST_CASE("aiuto e versione su un disco pieno")
{
    if (!fs::exists("/dev/full"))
        return;
    for (const std::string opzione : {"--help", "--version", "verifica --help"}) {
        CAPTURE(opzione);
        const Esito esito =
            esegui({"sh", "-c", std::string(MASSIME) + " " + opzione + " >/dev/full"});
        CHECK(esito.codice == 2);
        CHECK(contiene(esito.errori, "standard output"));
    }
}

#endif
