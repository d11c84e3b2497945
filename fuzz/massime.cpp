// SPDX-License-Identifier: GPL-3.0-or-later
// The law file's readers against the format as its description puts it, read here in a
// different way: the input is the plain text, split at every '/' at once, and each piece
// judged on its own. The core gets the same text in its stored form.
#include "fileinmemoria.h"

#include "leggi/massime.h"
#include "sistema/errorefile.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <vector>

using namespace legge;

namespace {

struct Pezzo {
    std::uint64_t inizio;    // offset of its first byte
    std::uint64_t lunghezza; // bytes, CRs included
    std::string testo;       // CRs left out
};

// The plain text cut at every '/'. The first piece is not a record, nor is the last: it
// is either empty (the text ends with '/') or never closed.
std::vector<Pezzo> pezzi(const std::string &chiaro)
{
    std::vector<Pezzo> elenco;
    std::uint64_t inizio = 0;
    for (;;) {
        const auto barra = chiaro.find('/', inizio);
        const auto fine = barra == std::string::npos ? chiaro.size() : barra;
        Pezzo pezzo{inizio, fine - inizio, {}};
        for (auto i = inizio; i < fine; ++i) {
            if (chiaro[i] != '\r')
                pezzo.testo += chiaro[i];
        }
        elenco.push_back(pezzo);
        if (barra == std::string::npos)
            return elenco;
        inizio = barra + 1;
    }
}

// The number of a record: its first three characters less blanks, tabs and LFs, read as
// the longest decimal number they start with.
double numero(const std::string &testo)
{
    std::string campo;
    for (const char c : testo.substr(0, 3)) {
        if (c != ' ' && c != '\t' && c != '\n')
            campo += c;
    }
    static const std::regex decimale("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)");
    std::smatch trovato;
    if (!std::regex_search(campo, trovato, decimale))
        return 0;
    return std::stod(trovato.str());
}

// Title and body: the title from the first capital among the first six characters (or
// from the start, with none) to the first line break; no line break, no title.
Legge dividi(const std::string &testo)
{
    std::size_t primo = 0;
    for (std::size_t i = 0; i < testo.size() && i < 6; ++i) {
        if (testo[i] >= 'A' && testo[i] <= 'Z') {
            primo = i;
            break;
        }
    }
    const std::string resto = testo.substr(primo);
    Legge legge;
    legge.trovata = true;
    std::size_t aCapo = 0;
    while (aCapo < resto.size() && resto[aCapo] != '\n' && resto[aCapo] != '\r')
        ++aCapo;
    if (aCapo == resto.size()) {
        legge.corpo = resto;
    } else {
        legge.titolo = resto.substr(0, aCapo);
        legge.corpo = resto.substr(aCapo);
    }
    return legge;
}

std::uint64_t caratteriSenzaBordi(const std::string &corpo)
{
    const auto inizio = corpo.find_first_not_of(" \t\n");
    if (inizio == std::string::npos)
        return 0;
    return corpo.find_last_not_of(" \t\n") - inizio + 1;
}

class Tutti : public VisitatoreMassime {
public:
    explicit Tutti(bool vuole) : m_vuole(vuole) {}
    bool vuoiTesto(std::string_view campoNumero) override
    {
        campi.emplace_back(campoNumero);
        return m_vuole;
    }
    bool record(const Record &record) override
    {
        VERIFICA(m_vuole);
        visti.push_back({record.posizione, record.lunghezza, record.testo});
        return true;
    }
    void coda(std::uint64_t posizione, std::uint64_t lunghezza) override
    {
        VERIFICA(!coda_);
        coda_ = Pezzo{posizione, lunghezza, {}};
    }

    std::vector<std::string> campi;
    std::vector<Pezzo> visti;
    std::optional<Pezzo> coda_;

private:
    bool m_vuole;
};

class Osservatore : public OsservatoreMassime {
public:
    void inizioRecord(std::size_t indice, std::uint64_t posizione) override
    {
        VERIFICA(indice == ++aperti);
        VERIFICA(posizione == letti + 1);
        letti = posizione;
    }
    void testo(std::string_view chiaro, std::uint64_t posizione) override
    {
        VERIFICA(posizione == letti && !chiaro.empty());
        VERIFICA(chiaro.find('/') == std::string_view::npos);
        ricomposto.append(chiaro);
        letti += chiaro.size();
    }
    void record(const SintesiRecord &sintesi) override { sintesi_.push_back(sintesi); }
    void fine(std::uint64_t dimensione) override
    {
        VERIFICA(dimensione == letti);
        finito = true;
    }

    std::size_t aperti = 0;
    std::uint64_t letti = 0;
    std::string ricomposto;
    std::vector<SintesiRecord> sintesi_;
    bool finito = false;
};

void confrontaLegge(const Legge &vista, const Legge &attesa)
{
    VERIFICA(vista.trovata == attesa.trovata);
    VERIFICA(vista.titolo == attesa.titolo);
    VERIFICA(vista.corpo == attesa.corpo);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *dati, std::size_t dimensione)
{
    static FileInMemoria file("Massime.dat");
    const std::string chiaro(reinterpret_cast<const char *>(dati), dimensione);
    std::string memorizzato = chiaro;
    for (char &c : memorizzato)
        c = static_cast<char>(255 - static_cast<unsigned char>(c));
    VERIFICA(DecodificaMassime(memorizzato) == chiaro);
    const auto &percorso =
        file.scrivi(reinterpret_cast<const std::uint8_t *>(memorizzato.data()), dimensione);

    const std::vector<Pezzo> tutti = pezzi(chiaro);
    const std::vector<Pezzo> record = tutti.size() < 2
                                          ? std::vector<Pezzo>()
                                          : std::vector<Pezzo>(tutti.begin() + 1, tutti.end() - 1);
    const Pezzo &ultimo = tutti.back();
    const bool chiuso = tutti.size() == 1 || ultimo.lunghezza == 0;

    for (const bool vuole : {true, false}) {
        Tutti visitatore(vuole);
        PercorriMassime(percorso, visitatore);
        // A number field is judged as soon as it has three characters, so an unclosed
        // tail that long is asked about too.
        const bool codaGiudicata = !chiuso && ultimo.testo.size() >= 3;
        VERIFICA(visitatore.campi.size() == record.size() + (codaGiudicata ? 1 : 0));
        for (std::size_t i = 0; i < record.size(); ++i)
            VERIFICA(visitatore.campi[i] == record[i].testo.substr(0, 3));
        VERIFICA(visitatore.coda_.has_value() == !chiuso);
        if (!chiuso) {
            VERIFICA(visitatore.coda_->inizio == ultimo.inizio);
            VERIFICA(visitatore.coda_->lunghezza == ultimo.lunghezza);
        }
        VERIFICA(visitatore.visti.size() == (vuole ? record.size() : 0));
        for (std::size_t i = 0; i < visitatore.visti.size(); ++i) {
            VERIFICA(visitatore.visti[i].inizio == record[i].inizio);
            VERIFICA(visitatore.visti[i].lunghezza == record[i].lunghezza);
            VERIFICA(visitatore.visti[i].testo == record[i].testo);
        }
    }

    // The numbers that occur, and one that may not: each gives the first record carrying it.
    std::vector<int> numeri{1};
    for (std::size_t i = 0; i < record.size() && numeri.size() < 4; ++i) {
        const double valore = numero(record[i].testo);
        if (valore == std::floor(valore) && std::abs(valore) < 1000)
            numeri.push_back(static_cast<int>(valore));
    }
    for (const int n : numeri) {
        Legge attesa;
        for (const auto &r : record) {
            if (numero(r.testo) == n) {
                attesa = dividi(r.testo);
                break;
            }
        }
        confrontaLegge(CercaLegge(percorso, n, SeManca::Errore), attesa);
    }

    // The byte-level pass: every byte but the separators, in order, and what a checking
    // tool is told of each record.
    {
        FileAperto aperto = ApriFileDati(percorso);
        Osservatore osservatore;
        OsservaMassime(aperto, osservatore);
        VERIFICA(osservatore.finito);
        VERIFICA(osservatore.aperti == tutti.size() - 1);
        std::string senzaBarre;
        for (const char c : chiaro) {
            if (c != '/')
                senzaBarre += c;
        }
        VERIFICA(osservatore.ricomposto == senzaBarre);
        VERIFICA(osservatore.sintesi_.size() == record.size());
        for (std::size_t i = 0; i < record.size(); ++i) {
            const SintesiRecord &s = osservatore.sintesi_[i];
            const Legge legge = dividi(record[i].testo);
            VERIFICA(s.indice == i + 1);
            VERIFICA(s.posizione == record[i].inizio);
            VERIFICA(s.campoNumero == record[i].testo.substr(0, 3));
            VERIFICA(s.titolo == legge.titolo.has_value());
            VERIFICA(s.inizioTitolo == legge.titolo.value_or("").substr(0, 40));
            VERIFICA(s.caratteriCorpo == caratteriSenzaBordi(legge.corpo));
        }
    }

    // Encoding a person's text: every '/' opens a record with a number of three digits, not
    // seen before, or ends the text, there is no NUL and at least one law; the file holds the
    // text with CR LF line breaks (an LF or a CR LF each make one) and the last law closed.
    // Otherwise the first fault is named.
    const CodificaTesto codifica = CodificaTestoMassime(chiaro);
    const std::size_t nul = chiaro.find('\0');
    std::optional<std::size_t> primoGuasto;
    bool legge = false;
    std::set<std::string_view> visti;
    std::vector<CodificatoreMassime::NumeroMaiMostrato> maiMostrati;
    for (std::size_t barra = chiaro.find('/'); barra < nul && barra != std::string::npos;
         barra = chiaro.find('/', barra + 1)) {
        const std::string_view dopo = std::string_view(chiaro).substr(barra + 1);
        const auto cifra = [](char c) { return c >= '0' && c <= '9'; };
        const bool numerata =
            dopo.size() >= 3 && cifra(dopo[0]) && cifra(dopo[1]) && cifra(dopo[2]);
        const bool lunga = numerata && dopo.size() > 3 && cifra(dopo[3]);
        const bool finale = dopo.find_first_not_of(" \t\r\n") == std::string_view::npos;
        if ((!numerata && !finale) || lunga ||
            (numerata && !visti.insert(dopo.substr(0, 3)).second)) {
            primoGuasto = barra;
            break;
        }
        legge = legge || numerata;
        // Read apart from the calendar: the days of the year, and 29 February.
        const int n = numerata ? std::stoi(std::string(dopo.substr(0, 3))) : 0;
        if (numerata && !((n >= 1 && n <= 366) || n == 500))
            maiMostrati.push_back(
                {n, 1 + static_cast<std::size_t>(std::count(
                            chiaro.begin(), chiaro.begin() + static_cast<std::ptrdiff_t>(barra),
                            '\n'))});
    }
    if (!primoGuasto && nul != std::string::npos)
        primoGuasto = nul;
    if (!primoGuasto && !legge)
        primoGuasto = chiaro.size();
    VERIFICA(codifica.riuscita == !primoGuasto);
    if (primoGuasto) {
        VERIFICA(codifica.posizione == *primoGuasto);
    } else {
        std::string atteso;
        for (std::size_t i = 0; i < chiaro.size(); ++i)
            atteso += chiaro[i] == '\n' && (i == 0 || chiaro[i - 1] != '\r')
                          ? std::string("\r\n")
                          : std::string(1, chiaro[i]);
        if (chiaro[chiaro.find_last_not_of(" \t\r\n")] != '/')
            atteso += '/';
        VERIFICA(DecodificaMassime(codifica.dati) == atteso);
        VERIFICA(codifica.maiMostrati == maiMostrati);
    }

    // The number field alone. Fractions may round differently on the two roads; they never
    // name a law anyway.
    if (dimensione <= 3)
        VERIFICA(std::abs(ValoreNumero(chiaro) - numero(chiaro)) < 1e-9);
    return 0;
}
