#include "laws/massime.h"

#include "file/file.h"

#include <array>
#include <cstring>
#include <memory>

// Massime.dat: every byte is stored complemented (text byte = stored byte XOR 255); the
// text is Windows-1252, with no header, length or checksum.
//
// Unscrambled, the file is a run of records, each closed by '/'. The same '/' opens the
// next record; text before the first '/' and after the last one is not a record. CR bytes
// inside a record are dropped, LF is kept. A record's first three characters hold its
// number, e.g. "001" .. "366", and "500" for 29 February. Blanks, tabs and LFs among them
// are ignored and the value is the longest leading decimal number of what is left
// ("  7" is 7, "abc" is 0). Only the first record with a given number is ever used.
//
// The title starts at the first capital A..Z among the record's first six characters,
// dropping the number and whatever stands before it; with no such capital nothing is
// dropped. The title runs to the first line break and the body is the rest, line break
// included. A record without a line break has no title and is all body.

namespace legge {

namespace {

constexpr unsigned char Inversione = 0xFF;
constexpr char SeparatoreCodificato = static_cast<char>('/' ^ Inversione);
constexpr char CrCodificato = static_cast<char>('\r' ^ Inversione);

// Neither a separator nor a CR: the byte goes into the record as it is.
bool semplice(char byte)
{
    return byte != SeparatoreCodificato && byte != CrCodificato;
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
        throw ErroreFile(file, MotivoFileMancante());
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

void InvertiByte(char *dati, std::size_t lunghezza)
{
    for (std::size_t i = 0; i < lunghezza; ++i)
        dati[i] = static_cast<char>(dati[i] ^ Inversione);
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
                const auto *sep =
                    static_cast<const char *>(std::memchr(p, SeparatoreCodificato, fine - p));
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
            while (!campoCompleto && p < fine && *p != SeparatoreCodificato) {
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
            const auto *sep =
                static_cast<const char *>(std::memchr(p, SeparatoreCodificato, fine - p));
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
    Cercatore cercatore(numero);
    PercorriMassime(file, cercatore, seManca);
    if (!cercatore.m_trovato)
        return {};
    return EstraiLegge(std::move(*cercatore.m_trovato));
}

} // namespace legge
