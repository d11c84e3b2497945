// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing Massime.dat: the lookup of one law, the passes over every record the tool
// builds on, and the encoder that checks a text before it becomes a law file.
#include "leggi/massime.h"

#include "leggi/formato.h"
#include "leggi/giorno.h"

#include "sistema/file.h"

#include <algorithm>
#include <array>

namespace legge {

namespace {

using namespace formato;

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

// A file with more than one name is rewritten in place: the lookup waits for a writer,
// for a short while, rather than read a law made of two versions.
FileAperto apri(const std::filesystem::path &file, SeManca seManca)
{
    FileAperto aperto = ApriFileDatiIntero(file);
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

// Where the title of a record's text starts, and the line break that ends it, if any: the
// title opens at the first capital A..Z among the first six characters (with none, at the
// start) and runs to the first line break after that. `primi` is the text or its first
// characters; `aCapoOltre`, the first line break past them.
struct Titolo {
    std::size_t inizio = 0;
    std::optional<std::uint64_t> aCapo;
};

Titolo trovaTitolo(std::string_view primi, std::optional<std::uint64_t> aCapoOltre = {})
{
    Titolo titolo;
    titolo.inizio = InizioTitolo(primi).value_or(0);
    // Two plain searches cost less than one for either byte; a CR is dropped before the
    // text gets here, but one that is left ends the line too.
    if (const auto trovato =
            std::min(primi.find('\n', titolo.inizio), primi.find('\r', titolo.inizio));
        trovato != std::string_view::npos)
        titolo.aCapo = trovato;
    else
        titolo.aCapo = aCapoOltre;
    return titolo;
}

} // namespace

std::string DecodificaMassime(std::string_view dati)
{
    std::string chiaro(dati);
    for (char &c : chiaro)
        c = static_cast<char>(c ^ Inversione);
    return chiaro;
}

bool CodificatoreMassime::sbaglia(Problema problema)
{
    m_problema = problema;
    m_stato = Stato::Fine;
    return false;
}

bool CodificatoreMassime::apriRecord()
{
    std::size_t &prima = m_righeDeiNumeri[m_numero];
    if (prima != 0) {
        m_rigaPrecedente = prima;
        return sbaglia(Problema::NumeroRipetuto);
    }
    prima = m_rigaBarra;
    if (!NumeroDiUnGiorno(m_numero))
        m_maiMostrati.push_back({m_numero, m_rigaBarra});
    m_record = true;
    m_stato = Stato::InRecord;
    return true;
}

bool CodificatoreMassime::aggiungi(std::string_view testo, std::string &uscita)
{
    if (m_problema != Problema::Nessuno)
        return false;
    const auto cifra = [](char c) { return c >= '0' && c <= '9'; };
    const auto vuoto = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    uscita.reserve(uscita.size() + testo.size() + testo.size() / 32);
    for (const char c : testo) {
        // Three digits are a number only when no fourth follows, which a reader would drop.
        if (m_stato == Stato::DopoBarra && m_cifre == 3) {
            if (cifra(c))
                return sbaglia(Problema::NumeroLungo);
            if (!apriRecord())
                return false;
        }
        // After a '/', a NUL is what makes the '/' wrong.
        if (c == '\0' && m_stato != Stato::DopoBarra) {
            m_rigaBarra = m_riga;
            m_colonnaBarra = m_colonna;
            m_posizioneBarra = m_posizione;
            return sbaglia(Problema::Nul);
        }
        if (m_stato == Stato::DopoBarra) {
            if (m_cifre >= 0 && cifra(c)) {
                m_numero = m_numero * 10 + (c - '0');
                ++m_cifre;
            } else if (vuoto(c) && m_cifre <= 0) {
                m_cifre = -1; // only blanks may follow: the '/' closed the last law
            } else {
                return sbaglia(Problema::Barra);
            }
        } else if (c == Separatore) {
            m_stato = Stato::DopoBarra;
            m_cifre = 0;
            m_numero = 0;
            m_rigaBarra = m_riga;
            m_colonnaBarra = m_colonna;
            m_posizioneBarra = m_posizione;
        }
        if (c == '\n') {
            // A CR LF from an editor is one line break, its CR already written.
            if (!m_dopoCr)
                uscita += CrCodificato;
            ++m_riga;
            m_colonna = 1;
        } else {
            ++m_colonna;
        }
        m_dopoCr = c == '\r';
        uscita += static_cast<char>(c ^ Inversione);
        ++m_posizione;
    }
    return true;
}

bool CodificatoreMassime::chiudi(std::string &uscita)
{
    if (m_problema != Problema::Nessuno)
        return false;
    if (m_stato == Stato::DopoBarra && m_cifre == 3 && !apriRecord())
        return false;
    if (m_stato == Stato::DopoBarra && m_cifre > 0)
        return sbaglia(Problema::Barra);
    if (!m_record) {
        m_rigaBarra = m_riga;
        m_colonnaBarra = m_colonna;
        m_posizioneBarra = m_posizione;
        return sbaglia(Problema::NessunaLegge);
    }
    if (m_stato == Stato::InRecord)
        uscita += Separato;
    m_stato = Stato::Fine;
    return true;
}

CodificaTesto CodificaTestoMassime(std::string_view testo)
{
    CodificaTesto esito;
    CodificatoreMassime codificatore;
    esito.riuscita = codificatore.aggiungi(testo, esito.dati) && codificatore.chiudi(esito.dati);
    if (!esito.riuscita) {
        esito.dati.clear();
        esito.problema = codificatore.problema();
        esito.posizione = static_cast<std::size_t>(codificatore.posizione());
    }
    esito.maiMostrati = codificatore.maiMostrati();
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
        const auto [inizioTitolo, aCapo] = trovaTitolo(m_primi, m_aCapoOltre);
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
    AnalisiRecord analisi;
    std::size_t indice = 0;
    bool inRecord = false;
    const auto dimensione = Scandisci<Forma::Chiara>(
        sorgente,
        [&](const char *inizio, const char *fine, std::uint64_t posizione) {
            const std::string_view chiaro(inizio, static_cast<std::size_t>(fine - inizio));
            osservatore.testo(chiaro, posizione);
            if (inRecord)
                analisi.aggiungi(chiaro);
            return true;
        },
        [&](std::uint64_t posizione) {
            if (inRecord)
                osservatore.record(analisi.chiudi());
            inRecord = true;
            analisi.inizia(++indice, posizione + 1);
            osservatore.inizioRecord(indice, posizione + 1);
            return true;
        });
    osservatore.fine(*dimensione); // this pass is never stopped
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
    const auto [inizio, aCapo] = trovaTitolo(record);
    Legge legge;
    legge.trovata = true;
    if (aCapo) {
        const auto fineTitolo = static_cast<std::size_t>(*aCapo);
        legge.titolo = record.substr(inizio, fineTitolo - inizio);
        legge.corpo = record.substr(fineTitolo);
    } else {
        record.erase(0, inizio);
        legge.corpo = std::move(record);
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
    Record corrente;
    bool inRecord = false; // a separator has been seen
    bool campoCompleto = false;
    bool vuole = false;
    std::array<char, 3> campo{};
    std::size_t lunghezzaCampo = 0;

    auto decidi = [&] {
        campoCompleto = true;
        corrente.campoNumero = std::string_view(campo.data(), lunghezzaCampo);
        vuole = visitatore.vuoiTesto(corrente.campoNumero);
        if (vuole)
            corrente.testo.assign(campo.data(), lunghezzaCampo);
    };
    auto testo = [&](const char *p, const char *fine, std::uint64_t) {
        if (!inRecord)
            return true;
        // The number field is the record's first three characters, CRs left out; the rest
        // is copied only for a record that is wanted. Nearly every record opens with three
        // plain bytes, taken in one step.
        if (lunghezzaCampo == 0 && fine - p >= 3 && p[0] != CrCodificato && p[1] != CrCodificato &&
            p[2] != CrCodificato) {
            for (std::size_t i = 0; i < 3; ++i)
                campo[i] = static_cast<char>(p[i] ^ Inversione);
            lunghezzaCampo = 3;
            p += 3;
            decidi();
        }
        for (; !campoCompleto && p != fine; ++p) {
            if (*p == CrCodificato)
                continue;
            campo[lunghezzaCampo++] = static_cast<char>(*p ^ Inversione);
            if (lunghezzaCampo == campo.size())
                decidi();
        }
        if (vuole)
            aggiungiTesto(corrente.testo, p, fine);
        return true;
    };
    auto separatore = [&](std::uint64_t posizione) {
        if (inRecord) {
            if (!campoCompleto)
                decidi(); // a record shorter than its number field
            corrente.lunghezza = posizione - corrente.posizione;
            if (vuole && !visitatore.record(corrente))
                return false;
        }
        inRecord = true;
        campoCompleto = false;
        vuole = false;
        lunghezzaCampo = 0;
        corrente.indice += 1;
        corrente.posizione = posizione + 1; // its text is set when it proves wanted
        return true;
    };
    const auto dimensione = Scandisci<Forma::Memorizzata>(sorgente, testo, separatore);
    if (dimensione && inRecord && *dimensione > corrente.posizione)
        visitatore.coda(corrente.posizione, *dimensione - corrente.posizione);
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
