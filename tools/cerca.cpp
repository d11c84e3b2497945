// SPDX-License-Identifier: GPL-3.0-or-later
// massime cerca: the laws whose title or text hold a piece of text, whatever its case and
// accents, found in one pass over the file that keeps no more than a few lines of it.
#include "tools/cerca.h"

#include "tools/comandi.h"

#include "laws/cp1252.h"
#include "laws/massime.h"
#include "sistema/argomenti.h"
#include "sistema/file.h"
#include "sistema/flussi.h"
#include "tools/json.h"
#include "tools/testi.h"
#include "tools/uscita.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

namespace massime {

namespace {

constexpr unsigned char Inversione = 0xFF;
constexpr unsigned char CrCodificato = '\r' ^ Inversione;

// Characters of the law shown around the match, and of its title.
constexpr std::size_t ContestoPrima = 30;
constexpr std::size_t ContestoDopo = 50;
constexpr std::size_t TitoloMostrato = 60;
constexpr char Puntini = '\x85'; // the ellipsis, in Windows-1252

constexpr char Piega(unsigned char c)
{
    const auto fra = [c](unsigned a, unsigned b) { return c >= a && c <= b; };
    if (fra('A', 'Z'))
        return static_cast<char>(c + ('a' - 'A'));
    if (fra(0xC0, 0xC5) || fra(0xE0, 0xE5))
        return 'a';
    if (c == 0xC7 || c == 0xE7)
        return 'c';
    if (fra(0xC8, 0xCB) || fra(0xE8, 0xEB))
        return 'e';
    if (fra(0xCC, 0xCF) || fra(0xEC, 0xEF))
        return 'i';
    if (c == 0xD1 || c == 0xF1)
        return 'n';
    if (fra(0xD2, 0xD6) || fra(0xF2, 0xF6) || c == 0xD8 || c == 0xF8)
        return 'o';
    if (fra(0xD9, 0xDC) || fra(0xF9, 0xFC))
        return 'u';
    if (c == 0xDD || c == 0xFD || c == 0xFF || c == 0x9F)
        return 'y';
    if (c == 0x8A || c == 0x9A)
        return 's';
    if (c == 0x8E || c == 0x9E)
        return 'z';
    // Capitals that keep their own letter: Æ, Ð, Þ, Œ.
    if (c == 0xC6 || c == 0xD0 || c == 0xDE)
        return static_cast<char>(c + 0x20);
    if (c == 0x8C)
        return '\x9C';
    if (c == 0x91 || c == 0x92)
        return '\'';
    if (c == 0x93 || c == 0x94)
        return '"';
    return static_cast<char>(c);
}

// For each stored byte, the character it folds to.
constexpr std::array<char, 256> TavolaMemorizzata = [] {
    std::array<char, 256> tavola{};
    for (unsigned b = 0; b < 256; ++b)
        tavola[b] = Piega(static_cast<unsigned char>(b ^ Inversione));
    return tavola;
}();

struct Trovata {
    std::size_t record = 0;
    std::string campoNumero;           // Windows-1252
    std::optional<std::string> titolo; // Windows-1252, shortened
    std::string contesto;              // Windows-1252, shortened
};

// Follows the records of the plain text, CRs already dropped, a piece at a time. Of each
// record it keeps the number field, the start of the title and, once the text is found,
// the characters around it; the rest of a found record is skipped.
class Ricerca {
public:
    Ricerca(std::string ago, std::function<void(const Trovata &)> trovata)
        : m_ago(std::move(ago)), m_trovata(std::move(trovata)),
          m_coda(m_ago.size() - 1 + ContestoPrima)
    {
    }

    void leggi(legge::FileAperto &file)
    {
        const auto blocco = std::make_unique_for_overwrite<char[]>(legge::DimensioneBlocco);
        const auto chiaro = std::make_unique_for_overwrite<char[]>(legge::DimensioneBlocco);
        const auto piegato = std::make_unique_for_overwrite<char[]>(legge::DimensioneBlocco);
        while (const std::size_t letti = file.leggi(blocco.get(), legge::DimensioneBlocco)) {
            // CRs are dropped between runs of bytes, each run unscrambled and folded whole.
            std::size_t n = 0;
            const char *b = blocco.get();
            const char *const fine = b + letti;
            while (b < fine) {
                const auto *cr = static_cast<const char *>(std::memchr(
                    b, static_cast<char>(CrCodificato), static_cast<std::size_t>(fine - b)));
                const std::size_t lunghezza = static_cast<std::size_t>((cr ? cr : fine) - b);
                piega(reinterpret_cast<const unsigned char *>(b), lunghezza,
                      reinterpret_cast<unsigned char *>(chiaro.get() + n),
                      reinterpret_cast<unsigned char *>(piegato.get() + n));
                n += lunghezza;
                b += lunghezza + (cr ? 1 : 0);
            }
            pezzo(chiaro.get(), piegato.get(), n);
        }
        // Text after the last '/' is not a law.
    }

private:
    // Sixteen bytes at a time, in the vector unit: plain text, ASCII capitals made small;
    // the few runs with a byte past ASCII go through the table.
    static void piega(const unsigned char *memorizzati, std::size_t n, unsigned char *chiaro,
                      unsigned char *piegato)
    {
        using Vettore = unsigned char __attribute__((vector_size(16)));
        constexpr std::size_t Passo = sizeof(Vettore);
        std::size_t i = 0;
        for (; i + Passo <= n; i += Passo) {
            Vettore c;
            std::memcpy(&c, memorizzati + i, Passo);
            c ^= Inversione;
            std::memcpy(chiaro + i, &c, Passo);
            const auto maiuscola = reinterpret_cast<Vettore>(static_cast<Vettore>(c - 'A') < 26);
            const Vettore p = c | (maiuscola & 0x20);
            std::memcpy(piegato + i, &p, Passo);
            std::uint64_t alti[2];
            std::memcpy(alti, &c, Passo);
            if ((alti[0] | alti[1]) & 0x8080808080808080ull) {
                for (std::size_t k = i; k < i + Passo; ++k)
                    piegato[k] = static_cast<unsigned char>(TavolaMemorizzata[memorizzati[k]]);
            }
        }
        for (; i < n; ++i) {
            chiaro[i] = static_cast<unsigned char>(memorizzati[i] ^ Inversione);
            piegato[i] = static_cast<unsigned char>(TavolaMemorizzata[memorizzati[i]]);
        }
    }

    void pezzo(const char *c, const char *p, std::size_t n)
    {
        std::size_t i = 0;
        while (i < n) {
            const auto *sep = static_cast<const char *>(std::memchr(p + i, '/', n - i));
            const std::size_t fine = sep ? static_cast<std::size_t>(sep - p) : n;
            if (m_inRecord && fine > i)
                testoRecord(c + i, p + i, fine - i, !sep);
            if (!sep)
                return;
            if (m_inRecord)
                chiudi();
            apri();
            i = fine + 1;
        }
    }

    void apri()
    {
        m_inRecord = true;
        ++m_indice;
        m_primi.clear();
        m_inizioDeciso = false;
        m_titolo.clear();
        m_titoloChiuso = false;
        m_titoloLungo = false;
        m_visti = 0;
        m_codaC.clear();
        m_codaP.clear();
        m_trovato = false;
        m_contesto.clear();
        m_contestoTagliato = false;
        m_dopoMancanti = 0;
        m_fineContesto = 0;
    }

    // `segue`: the record may go on in the next block.
    void testoRecord(const char *c, const char *p, std::size_t n, bool segue)
    {
        // The title opens at the first capital among the first six characters: until it is
        // known, they wait.
        if (!m_inizioDeciso) {
            const std::size_t giaVisti = m_primi.size();
            std::size_t i = 0;
            std::optional<std::size_t> maiuscola;
            while (m_primi.size() < 6 && i < n) {
                const char carattere = c[i++];
                m_primi += carattere;
                if (carattere >= 'A' && carattere <= 'Z') {
                    maiuscola = m_primi.size() - 1;
                    break;
                }
            }
            if (!maiuscola && m_primi.size() < 6)
                return;
            m_inizioDeciso = true;
            const std::size_t inizio = maiuscola.value_or(0);
            if (giaVisti == 0) {
                // Nearly always: the record's opening is all in this piece.
                c += inizio;
                p += inizio;
                n -= inizio;
            } else {
                cercaNeiPrimi(inizio);
                c += i;
                p += i;
                n -= i;
            }
        }
        if (n > 0)
            cercabile(c, p, n, segue);
    }

    void cercaNeiPrimi(std::size_t inizio)
    {
        const std::string testo = m_primi.substr(inizio);
        const std::string piegato = PiegaCp1252(testo);
        if (!testo.empty())
            cercabile(testo.data(), piegato.data(), testo.size(), true);
    }

    // A piece of what the window shows of the record, title and body.
    void cercabile(const char *c, const char *p, std::size_t n, bool segue)
    {
        if (!m_titoloChiuso) {
            const auto *aCapo = static_cast<const char *>(std::memchr(c, '\n', n));
            const std::size_t riga = aCapo ? static_cast<std::size_t>(aCapo - c) : n;
            const std::size_t presi = std::min(riga, TitoloMostrato - m_titolo.size());
            m_titolo.append(c, presi);
            m_titoloLungo = m_titoloLungo || presi < riga;
            m_titoloChiuso = aCapo != nullptr;
        }
        if (m_trovato) {
            const std::size_t presi = std::min(n, m_dopoMancanti);
            m_contesto.append(c, presi);
            m_dopoMancanti -= presi;
            m_fineContesto += presi;
        } else {
            cercaNelPezzo(c, p, n);
        }
        m_visti += n;
        if (!segue)
            return;
        // What the next piece may need from this one: the start of a match, the context.
        const std::size_t tenuti = std::min(n, m_coda);
        if (m_codaC.size() + tenuti > m_coda) {
            const std::size_t via = std::min(m_codaC.size(), m_codaC.size() + tenuti - m_coda);
            m_codaC.erase(0, via);
            m_codaP.erase(0, via);
        }
        m_codaC.append(c + n - tenuti, tenuti);
        m_codaP.append(p + n - tenuti, tenuti);
    }

    void cercaNelPezzo(const char *c, const char *p, std::size_t n)
    {
        const std::size_t l = m_ago.size();
        const std::size_t coda = m_codaP.size();
        // A match that starts in the earlier pieces and ends in this one.
        std::optional<std::ptrdiff_t> inizio;
        if (coda > 0 && l > 1) {
            const std::size_t daCoda = std::min(coda, l - 1);
            m_ponte.assign(m_codaP, coda - daCoda);
            m_ponte.append(p, std::min(n, l - 1));
            if (const auto k = m_ponte.find(m_ago); k != std::string::npos && k < daCoda)
                inizio = static_cast<std::ptrdiff_t>(k) - static_cast<std::ptrdiff_t>(daCoda);
        }
        if (!inizio) {
            const auto k = std::string_view(p, n).find(m_ago);
            if (k == std::string_view::npos)
                return;
            inizio = static_cast<std::ptrdiff_t>(k);
        }
        m_trovato = true;
        // Positions below zero are in the tail kept from the earlier pieces.
        const auto carattere = [&](std::ptrdiff_t j) {
            return j < 0 ? m_codaC[static_cast<std::size_t>(static_cast<std::ptrdiff_t>(coda) + j)]
                         : c[j];
        };
        const std::ptrdiff_t da = std::max(*inizio - static_cast<std::ptrdiff_t>(ContestoPrima),
                                           -static_cast<std::ptrdiff_t>(coda));
        const std::ptrdiff_t voluti = *inizio + static_cast<std::ptrdiff_t>(l + ContestoDopo);
        const std::ptrdiff_t a = std::min(voluti, static_cast<std::ptrdiff_t>(n));
        for (std::ptrdiff_t j = da; j < a; ++j)
            m_contesto += carattere(j);
        m_dopoMancanti = static_cast<std::size_t>(voluti - a);
        m_contestoTagliato = static_cast<std::ptrdiff_t>(m_visti) + da > 0;
        m_fineContesto = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(m_visti) + a);
    }

    void chiudi()
    {
        if (!m_inizioDeciso) {
            // Shorter than six characters, without a capital: all of it is text.
            m_inizioDeciso = true;
            cercaNeiPrimi(0);
        }
        if (!m_trovato)
            return;
        Trovata trovata;
        trovata.record = m_indice;
        trovata.campoNumero = m_primi.substr(0, 3);
        if (m_titoloChiuso) {
            trovata.titolo = m_titolo;
            if (m_titoloLungo)
                *trovata.titolo += Puntini;
        }
        if (m_contestoTagliato)
            trovata.contesto += Puntini;
        trovata.contesto += m_contesto;
        if (m_fineContesto < m_visti)
            trovata.contesto += Puntini;
        m_trovata(trovata);
    }

    const std::string m_ago;
    const std::function<void(const Trovata &)> m_trovata;
    const std::size_t m_coda;

    bool m_inRecord = false;
    std::size_t m_indice = 0;
    std::string m_primi; // the first (up to) six characters
    bool m_inizioDeciso = false;
    std::string m_titolo;
    bool m_titoloChiuso = false;
    bool m_titoloLungo = false;
    std::uint64_t m_visti = 0;    // characters of title and text so far
    std::string m_codaC, m_codaP; // their last few, plain and folded
    std::string m_ponte;
    bool m_trovato = false;
    std::string m_contesto;
    bool m_contestoTagliato = false;
    std::size_t m_dopoMancanti = 0;
    std::uint64_t m_fineContesto = 0;
};

// A law's words on one line, whatever they hold.
std::string SuUnaRiga(const std::string &cp1252)
{
    std::string testo = cp1252;
    std::replace(testo.begin(), testo.end(), '\n', ' ');
    // The blank lines around a law's text say nothing on one line.
    testo.erase(0, testo.find_first_not_of(' '));
    testo.erase(testo.find_last_not_of(' ') + 1);
    return Visibile(legge::Cp1252InUtf8(testo), true);
}

} // namespace

std::string PiegaCp1252(std::string_view testo)
{
    std::string piegato(testo);
    for (char &c : piegato)
        c = Piega(static_cast<unsigned char>(c));
    return piegato;
}

int ComandoCerca(const Argomenti &argomenti)
{
    if (argomenti.posizionali.empty())
        throw ErroreUso{testi::MancaUnArgomento()};
    if (argomenti.posizionali.size() > 2)
        throw ErroreUso{testi::ArgomentoDiTroppo(argomenti.posizionali[2])};
    const std::string &cercato = argomenti.posizionali[0];
    const legge::ConversioneInCp1252 conversione = legge::Utf8InCp1252(cercato);
    if (!conversione.riuscita) {
        if (conversione.carattere == 0)
            throw ErroreUso{testi::TestoDaCercareNonUtf8()};
        const std::size_t lunghezza = std::min<std::size_t>(
            cercato.size() - conversione.posizione,
            static_cast<unsigned char>(cercato[conversione.posizione]) >= 0xF0   ? 4
            : static_cast<unsigned char>(cercato[conversione.posizione]) >= 0xE0 ? 3
                                                                                 : 2);
        throw ErroreUso{testi::CarattereFuoriDaCp1252(
            cercato.substr(conversione.posizione, lunghezza), conversione.carattere)};
    }
    std::string ago = PiegaCp1252(conversione.testo);
    // The file's CRs are dropped before the comparison; so are the text's.
    std::erase(ago, '\r');
    if (ago.empty())
        throw ErroreUso{testi::TestoDaCercareVuoto()};

    const std::filesystem::path nome = legge::PercorsoUtf8(
        argomenti.posizionali.size() > 1 ? argomenti.posizionali[1] : legge::NomeFileMassime);
    legge::FileAperto proprio;
    if (!Standard(nome))
        proprio = legge::ApriInLettura(nome);
    legge::FileAperto &file = Standard(nome) ? legge::IngressoStandard() : proprio;

    Uscita &uscita = UscitaComandi();
    std::size_t trovate = 0;
    if (argomenti.json)
        uscita.testo("{\"cercato\": " + StringaJson(cercato) +
                     ", \"file\": " + StringaJson(NomeGrezzo(nome)) + ", \"leggi\": [");
    Ricerca ricerca(std::move(ago), [&](const Trovata &t) {
        if (argomenti.json) {
            uscita.testo((trovate ? ",\n  " : "\n  ") + std::string("{\"numero\": ") +
                         StringaJson(legge::Cp1252InUtf8(t.campoNumero)) +
                         ", \"record\": " + std::to_string(t.record) + ", \"titolo\": " +
                         (t.titolo ? StringaJson(legge::Cp1252InUtf8(*t.titolo)) : "null") +
                         ", \"contesto\": " + StringaJson(legge::Cp1252InUtf8(t.contesto)) + "}");
        } else {
            uscita.testo(
                testi::RigaTrovata(SuUnaRiga(t.campoNumero),
                                   t.titolo ? std::optional(SuUnaRiga(*t.titolo)) : std::nullopt,
                                   SuUnaRiga(t.contesto)));
        }
        ++trovate;
    });
    ricerca.leggi(file);
    if (argomenti.json)
        uscita.testo(trovate ? "\n]}\n" : "]}\n");
    if (trovate == 0) {
        uscita.svuota();
        legge::ErroreStandard().scriviTesto(
            testi::NessunaLeggeContiene(Visibile(cercato, true), NomeDi(nome)));
        return NonTrovatoOProblemi;
    }
    return Riuscito;
}

} // namespace massime
