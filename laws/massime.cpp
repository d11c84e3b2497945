// SPDX-License-Identifier: GPL-3.0-or-later
#include "laws/massime.h"

#include "sistema/file.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <memory>

namespace legge {

namespace {

constexpr unsigned char Inversione = 0xFF;
constexpr char Separatore = '/';
constexpr char Separato = static_cast<char>(Separatore ^ Inversione);
constexpr char CrCodificato = static_cast<char>('\r' ^ Inversione);

// Neither a separator nor a CR: the byte goes into the record as it is.
bool semplice(char byte)
{
    return byte != Separato && byte != CrCodificato;
}

// Appends the unscrambled bytes of [inizio, fine) to `testo`, leaving out CRs.
void aggiungiTesto(std::string &testo, const char *inizio, const char *fine)
{
    const std::size_t base = testo.size();
    testo.resize(base + static_cast<std::size_t>(fine - inizio));
    char *uscita = testo.data() + base;
    for (const char *p = inizio; p != fine; ++p) {
        *uscita = static_cast<char>(*p ^ Inversione);
        uscita += (*p != CrCodificato);
    }
    testo.resize(static_cast<std::size_t>(uscita - testo.data()));
}

FileAperto apri(const std::filesystem::path &file, SeManca seManca)
{
    FileAperto aperto = ApriFileDati(file);
    if (!aperto && seManca == SeManca::Errore)
        throw ErroreFile::mancante(file);
    if (!aperto)
        CreaFileVuoto(file);
    return aperto;
}

class Cercatore : public VisitatoreMassime {
public:
    explicit Cercatore(int numero) : m_numero(numero) {}

    bool vuoiTesto(std::string_view campoNumero) override
    {
        return ValoreNumero(campoNumero) == m_numero;
    }
    bool record(const Record &record) override
    {
        m_trovato = record.testo;
        return false;
    }

    std::optional<std::string> m_trovato;

private:
    int m_numero;
};

} // namespace

std::string CodificaMassime(std::string_view chiaro)
{
    std::string dati(chiaro);
    for (char &c : dati)
        c = static_cast<char>(c ^ Inversione);
    return dati;
}

std::string DecodificaMassime(std::string_view dati)
{
    // Complementing is its own inverse.
    return CodificaMassime(dati);
}

char SeparatoreCodificato()
{
    return Separato;
}

std::string CodificaRecord(int numero, std::string_view titolo, std::string_view corpo)
{
    std::array<char, 16> campo{};
    const auto fine = std::to_chars(campo.data(), campo.data() + campo.size(), numero).ptr;
    std::string chiaro(1, Separatore);
    chiaro.append(static_cast<std::size_t>(3 - std::min<std::ptrdiff_t>(3, fine - campo.data())),
                  '0');
    chiaro.append(campo.data(), fine);
    chiaro += ' ';
    chiaro += titolo;
    chiaro += "\r\n";
    for (const char c : corpo) {
        if (c == '\n')
            chiaro += '\r';
        chiaro += c;
    }
    return CodificaMassime(chiaro);
}

std::string ChiusuraMassime()
{
    return std::string(1, Separato);
}

CodificaTesto CodificaTestoMassime(std::string_view testo)
{
    const auto cifra = [](char c) { return c >= '0' && c <= '9'; };
    const auto vuoto = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    CodificaTesto esito;
    for (std::size_t i = testo.find(Separatore); i != std::string_view::npos;
         i = testo.find(Separatore, i + 1)) {
        const std::string_view dopo = testo.substr(i + 1);
        const bool apreRecord =
            dopo.size() >= 3 && cifra(dopo[0]) && cifra(dopo[1]) && cifra(dopo[2]);
        if (!apreRecord && !std::all_of(dopo.begin(), dopo.end(), vuoto)) {
            esito.riuscita = false;
            esito.posizione = i;
            return esito;
        }
    }
    esito.dati.reserve(testo.size() + testo.size() / 32);
    for (const char c : testo) {
        if (c == '\n')
            esito.dati += static_cast<char>('\r' ^ Inversione);
        esito.dati += static_cast<char>(c ^ Inversione);
    }
    return esito;
}

namespace {

// Follows one record's text, CRs left out, keeping only what SintesiRecord needs.
class AnalisiRecord {
public:
    void inizia(std::size_t indice, std::uint64_t posizione)
    {
        *this = {};
        m_sintesi.indice = indice;
        m_sintesi.posizione = posizione;
    }

    void aggiungi(std::string_view chiaro)
    {
        for (const char c : chiaro) {
            if (c == '\r')
                continue;
            const bool vuoto = c == ' ' || c == '\t' || c == '\n';
            if (m_primi.size() < Tenuti) {
                m_primi += c;
            } else {
                if (c == '\n' && !m_aCapoOltre)
                    m_aCapoOltre = m_caratteri;
                if (!vuoto && !m_nonVuotoOltre)
                    m_nonVuotoOltre = m_caratteri;
                if (!vuoto && m_aCapoOltre && !m_nonVuotoDopoACapoOltre)
                    m_nonVuotoDopoACapoOltre = m_caratteri;
            }
            if (!vuoto)
                m_ultimoNonVuoto = m_caratteri;
            ++m_caratteri;
        }
    }

    const SintesiRecord &chiudi()
    {
        m_sintesi.campoNumero = m_primi.substr(0, 3);
        std::size_t inizioTitolo = 0;
        for (std::size_t i = 0; i < 6 && i < m_primi.size(); ++i) {
            if (m_primi[i] >= 'A' && m_primi[i] <= 'Z') {
                inizioTitolo = i;
                break;
            }
        }
        std::optional<std::uint64_t> aCapo;
        if (const auto trovato = m_primi.find('\n', inizioTitolo); trovato != std::string::npos)
            aCapo = trovato;
        else
            aCapo = m_aCapoOltre;
        m_sintesi.titolo = aCapo.has_value();
        if (aCapo)
            m_sintesi.inizioTitolo = m_primi.substr(
                inizioTitolo,
                static_cast<std::size_t>(std::min<std::uint64_t>(40, *aCapo - inizioTitolo)));

        const std::uint64_t inizioCorpo = aCapo ? *aCapo : inizioTitolo;
        std::optional<std::uint64_t> primoNonVuoto;
        if (inizioCorpo < m_primi.size()) {
            const auto trovato =
                m_primi.find_first_not_of(" \t\n", static_cast<std::size_t>(inizioCorpo));
            primoNonVuoto = trovato != std::string::npos ? std::optional<std::uint64_t>(trovato)
                                                         : m_nonVuotoOltre;
        } else {
            primoNonVuoto = m_nonVuotoDopoACapoOltre;
        }
        m_sintesi.caratteriCorpo =
            primoNonVuoto && m_ultimoNonVuoto ? *m_ultimoNonVuoto - *primoNonVuoto + 1 : 0;
        return m_sintesi;
    }

private:
    // Enough for the number, the capital that may open the title, and 40 characters of it.
    static constexpr std::size_t Tenuti = 46;

    SintesiRecord m_sintesi;
    std::string m_primi;
    std::uint64_t m_caratteri = 0;
    std::optional<std::uint64_t> m_aCapoOltre;
    std::optional<std::uint64_t> m_nonVuotoOltre;
    std::optional<std::uint64_t> m_nonVuotoDopoACapoOltre;
    std::optional<std::uint64_t> m_ultimoNonVuoto;
};

} // namespace

void OsservaMassime(FileAperto &sorgente, OsservatoreMassime &osservatore)
{
    const auto blocco = std::make_unique_for_overwrite<char[]>(DimensioneBlocco);
    std::uint64_t base = 0;
    std::size_t indice = 0;
    bool inRecord = false;
    AnalisiRecord analisi;
    while (const std::size_t letti = sorgente.leggi(blocco.get(), DimensioneBlocco)) {
        char *const inizio = blocco.get();
        for (std::size_t i = 0; i < letti; ++i)
            inizio[i] = static_cast<char>(inizio[i] ^ Inversione);
        const char *p = inizio;
        const char *const fine = inizio + letti;
        while (p < fine) {
            const auto *sep = static_cast<const char *>(
                std::memchr(p, Separatore, static_cast<std::size_t>(fine - p)));
            const std::string_view testo(p, static_cast<std::size_t>((sep ? sep : fine) - p));
            if (!testo.empty()) {
                osservatore.testo(testo, base + static_cast<std::uint64_t>(p - inizio));
                if (inRecord)
                    analisi.aggiungi(testo);
            }
            if (!sep)
                break;
            if (inRecord)
                osservatore.record(analisi.chiudi());
            inRecord = true;
            const std::uint64_t posizione = base + static_cast<std::uint64_t>(sep - inizio) + 1;
            analisi.inizia(++indice, posizione);
            osservatore.inizioRecord(indice, posizione);
            p = sep + 1;
        }
        base += letti;
    }
    osservatore.fine(base);
}

double ValoreNumero(std::string_view campoNumero)
{
    // Well-formed files only ever hold three digits here, and this runs once per record.
    const auto cifra = [](char c) { return c >= '0' && c <= '9'; };
    if (campoNumero.size() == 3 && cifra(campoNumero[0]) && cifra(campoNumero[1]) &&
        cifra(campoNumero[2])) {
        return (campoNumero[0] - '0') * 100 + (campoNumero[1] - '0') * 10 + (campoNumero[2] - '0');
    }
    std::array<char, 3> cifre{};
    std::size_t n = 0;
    for (const char c : campoNumero.substr(0, 3)) {
        if (c != ' ' && c != '\t' && c != '\n')
            cifre[n++] = c;
    }
    std::size_t i = 0;
    bool negativo = false;
    if (i < n && (cifre[i] == '+' || cifre[i] == '-'))
        negativo = cifre[i++] == '-';
    double valore = 0;
    for (; i < n && cifre[i] >= '0' && cifre[i] <= '9'; ++i)
        valore = valore * 10 + (cifre[i] - '0');
    if (i < n && cifre[i] == '.') {
        double peso = 0.1;
        for (++i; i < n && cifre[i] >= '0' && cifre[i] <= '9'; ++i, peso /= 10)
            valore += (cifre[i] - '0') * peso;
    }
    return negativo ? -valore : valore;
}

Legge EstraiLegge(std::string record)
{
    // A record shorter than six characters with no capital in it keeps all its text,
    // like a longer one: failing here would cost the user the stored mode at start-up.
    for (std::size_t i = 0; i < 6 && i < record.size(); ++i) {
        if (record[i] >= 'A' && record[i] <= 'Z') {
            record.erase(0, i);
            break;
        }
    }
    Legge legge;
    legge.trovata = true;
    const auto a_capo = record.find_first_of("\n\r");
    if (a_capo == std::string::npos) {
        legge.corpo = std::move(record);
    } else {
        legge.titolo = record.substr(0, a_capo);
        legge.corpo = record.substr(a_capo);
    }
    return legge;
}

void PercorriMassime(const std::filesystem::path &file, VisitatoreMassime &visitatore,
                     SeManca seManca)
{
    FileAperto aperto = apri(file, seManca);
    if (aperto) // otherwise just created, hence empty
        PercorriMassime(aperto, visitatore);
}

void PercorriMassime(FileAperto &sorgente, VisitatoreMassime &visitatore)
{
    const auto blocco = std::make_unique_for_overwrite<char[]>(DimensioneBlocco);
    std::uint64_t offsetBlocco = 0;

    bool inRecord = false; // a '/' has been seen
    bool campoCompleto = false;
    bool vuole = false;
    std::array<char, 3> campo{};
    std::size_t lunghezzaCampo = 0;
    Record corrente;

    auto apriRecord = [&](std::uint64_t posizione) {
        inRecord = true;
        campoCompleto = false;
        vuole = false;
        lunghezzaCampo = 0;
        corrente.indice += 1;
        corrente.posizione = posizione;
        corrente.testo.clear();
    };
    auto decidi = [&] {
        campoCompleto = true;
        corrente.campoNumero = std::string_view(campo.data(), lunghezzaCampo);
        vuole = visitatore.vuoiTesto(corrente.campoNumero);
        if (vuole)
            corrente.testo.assign(campo.data(), lunghezzaCampo);
    };

    for (;;) {
        const std::size_t letti = sorgente.leggi(blocco.get(), DimensioneBlocco);
        if (letti == 0)
            break;
        const char *p = blocco.get();
        const char *const fine = p + letti;
        while (p < fine) {
            if (!inRecord) {
                const auto *sep = static_cast<const char *>(std::memchr(p, Separato, fine - p));
                if (!sep)
                    break;
                p = sep + 1;
                apriRecord(offsetBlocco + static_cast<std::uint64_t>(p - blocco.get()));
                continue;
            }
            // The number field is at most three characters: read them one by one, then
            // jump to the next separator in one go.
            if (!campoCompleto && lunghezzaCampo == 0 && fine - p >= 3 && semplice(p[0]) &&
                semplice(p[1]) && semplice(p[2])) {
                for (std::size_t i = 0; i < 3; ++i)
                    campo[i] = static_cast<char>(p[i] ^ Inversione);
                lunghezzaCampo = 3;
                p += 3;
                decidi();
            }
            while (!campoCompleto && p < fine && *p != Separato) {
                if (*p != CrCodificato)
                    campo[lunghezzaCampo++] = static_cast<char>(*p ^ Inversione);
                ++p;
                if (lunghezzaCampo == campo.size())
                    decidi();
            }
            if (p == fine)
                break;
            if (!campoCompleto)
                decidi(); // a record shorter than its number field
            const auto *sep = static_cast<const char *>(std::memchr(p, Separato, fine - p));
            const char *const fineTesto = sep ? sep : fine;
            if (vuole)
                aggiungiTesto(corrente.testo, p, fineTesto);
            if (!sep)
                break;
            const std::uint64_t posSep =
                offsetBlocco + static_cast<std::uint64_t>(sep - blocco.get());
            corrente.lunghezza = posSep - corrente.posizione;
            if (vuole && !visitatore.record(corrente))
                return;
            p = sep + 1;
            apriRecord(posSep + 1);
        }
        offsetBlocco += static_cast<std::uint64_t>(letti);
    }

    if (inRecord && offsetBlocco > corrente.posizione)
        visitatore.coda(corrente.posizione, offsetBlocco - corrente.posizione);
}

Legge CercaLegge(const std::filesystem::path &file, int numero, SeManca seManca)
{
    FileAperto aperto = apri(file, seManca);
    return aperto ? CercaLegge(aperto, numero) : Legge{}; // just created, hence empty
}

Legge CercaLegge(FileAperto &sorgente, int numero)
{
    Cercatore cercatore(numero);
    PercorriMassime(sorgente, cercatore);
    if (!cercatore.m_trovato)
        return {};
    return EstraiLegge(std::move(*cercatore.m_trovato));
}

} // namespace legge
