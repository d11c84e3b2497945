// SPDX-License-Identifier: GPL-3.0-or-later
// The search of a law file: a quick look at the stored bytes for places where the text could
// be, and only there the decoding, the folding and the records' titles and contexts.
#include "leggi/ricerca.h"

#include "leggi/cp1252.h"
#include "leggi/formato.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>

namespace legge {

namespace {

using namespace formato;

// For each stored byte, the character it folds to.
constexpr std::array<char, 256> TavolaMemorizzata = [] {
    std::array<char, 256> tavola{};
    for (unsigned b = 0; b < 256; ++b)
        tavola[b] = PiegaCarattereCp1252(static_cast<unsigned char>(b ^ Inversione));
    return tavola;
}();

// Stored bytes are looked at in pieces this long: small enough that a piece with a possible
// match is decoded while still in the cache.
constexpr std::size_t Pezzo = 16 * 1024;

// One character of the text searched, as a test on stored bytes that every byte folding to
// it passes: (byte & maschera) == valore, or a byte past ASCII, which may be an accented
// letter or a typographic quote. ASCII letters pass in either case.
struct Ancora {
    unsigned char maschera = 0xFF;
    unsigned char valore = 0;
};

Ancora AncoraDi(char piegato)
{
    const auto c = static_cast<unsigned char>(piegato);
    const bool lettera = c >= 'a' && c <= 'z';
    Ancora ancora;
    ancora.maschera = lettera ? 0xDF : 0xFF;
    ancora.valore = static_cast<unsigned char>(~c & ancora.maschera);
    return ancora;
}

// How often a character comes in Italian text, roughly, in tenths of a percent: the pair of
// neighbouring characters least likely together is the one looked for.
int Frequenza(char piegato)
{
    static constexpr std::string_view Lettere = "abcdefghijklmnopqrstuvwxyz";
    static constexpr std::array<int, 26> Valori{117, 9,  45, 37, 118, 12, 16, 15, 113, 1, 1, 65, 25,
                                                69,  98, 31, 5,  64,  50, 56, 30, 21,  1, 1, 2,  5};
    if (const auto i = Lettere.find(piegato); i != std::string_view::npos)
        return Valori[i];
    if (piegato == ' ')
        return 150;
    if (piegato == '\n' || piegato == '\'' || piegato == ',' || piegato == '.')
        return 10;
    return 4;
}

// Whether stored bytes may hold the text searched: where its two chosen neighbouring
// characters stand side by side, or with CRs between them (which the search drops). Also
// counts the separators, which a piece without a possible match skips over unread.
class Filtro {
public:
    explicit Filtro(std::string_view cercato)
    {
        // A '/' ends a law: no law can hold it.
        m_impossibile = cercato.find(Separatore) != std::string_view::npos;
        if (cercato.size() == 1) {
            m_prima = AncoraDi(cercato[0]);
            return;
        }
        std::size_t scelta = 0;
        for (std::size_t i = 1; i + 1 < cercato.size(); ++i) {
            if (Frequenza(cercato[i]) * Frequenza(cercato[i + 1]) <
                Frequenza(cercato[scelta]) * Frequenza(cercato[scelta + 1]))
                scelta = i;
        }
        m_prima = AncoraDi(cercato[scelta]);
        m_seconda = AncoraDi(cercato[scelta + 1]);
        m_coppia = true;
    }

    // Whether [b, b + n) may hold a match; when not, `separatori` is how many it holds.
    bool possibile(const unsigned char *b, std::size_t n, std::size_t &separatori) const
    {
        if (m_impossibile) {
            separatori = static_cast<std::size_t>(
                std::count(b, b + n, static_cast<unsigned char>(Separato)));
            return false;
        }
        return m_coppia ? guarda<true>(b, n, separatori) : guarda<false>(b, n, separatori);
    }

private:
    bool passa(unsigned char s, Ancora a) const { return (s & a.maschera) == a.valore || s < 0x80; }

    template <bool coppia>
    bool guarda(const unsigned char *b, std::size_t n, std::size_t &separatori) const
    {
        using Vettore = unsigned char __attribute__((vector_size(16)));
        using VettoreSegnato = signed char __attribute__((vector_size(16)));
        constexpr std::size_t Passo = sizeof(Vettore);
        const auto tutti = [](unsigned char c) {
            Vettore v;
            std::memset(&v, c, sizeof v);
            return v;
        };
        const Vettore maschera1 = tutti(m_prima.maschera), valore1 = tutti(m_prima.valore);
        const Vettore maschera2 = tutti(m_seconda.maschera), valore2 = tutti(m_seconda.valore);
        const Vettore sep = tutti(static_cast<unsigned char>(Separato));
        const Vettore cr = tutti(static_cast<unsigned char>(CrCodificato));
        const auto qualcuno = [](Vettore v) {
            std::uint64_t meta[2];
            std::memcpy(meta, &v, sizeof meta);
            return (meta[0] | meta[1]) != 0;
        };
        const auto somma = [](Vettore v) {
            std::size_t totale = 0;
            for (std::size_t k = 0; k < Passo; ++k)
                totale += v[k];
            return totale;
        };

        separatori = 0;
        Vettore contati{};
        int giri = 0;
        const std::size_t ultimo = coppia ? 1 : 0; // the second character's offset
        std::size_t i = 0;
        for (; i + Passo + ultimo <= n; i += Passo) {
            Vettore v, w;
            std::memcpy(&v, b + i, Passo);
            Vettore candidato = reinterpret_cast<Vettore>((v & maschera1) == valore1) |
                                reinterpret_cast<Vettore>(reinterpret_cast<VettoreSegnato>(v) >= 0);
            if constexpr (coppia) {
                std::memcpy(&w, b + i + 1, Passo);
                candidato &= reinterpret_cast<Vettore>((w & maschera2) == valore2) |
                             reinterpret_cast<Vettore>(reinterpret_cast<VettoreSegnato>(w) >= 0) |
                             reinterpret_cast<Vettore>(w == cr);
            }
            if (qualcuno(candidato))
                return true;
            contati -= reinterpret_cast<Vettore>(v == sep);
            if (++giri == 255) {
                separatori += somma(contati);
                contati = Vettore{};
                giri = 0;
            }
        }
        separatori += somma(contati);
        for (; i < n; ++i) {
            // A pair cut by the piece's end belongs to the record the next piece goes on with.
            if (passa(b[i], m_prima) &&
                (!coppia || (i + 1 < n && (passa(b[i + 1], m_seconda) || b[i + 1] == cr[0]))))
                return true;
            separatori += b[i] == sep[0];
        }
        return false;
    }

    bool m_impossibile = false;
    bool m_coppia = false;
    Ancora m_prima, m_seconda;
};

// Follows the records of the plain text, CRs already dropped, a piece at a time. Of each
// record it keeps the number field, the start of the title and, once the text is found,
// the characters around it; the rest of a found record is skipped.
class Ricerca {
public:
    Ricerca(std::string_view ago, const std::function<void(const LeggeTrovata &)> &trovata,
            const MisureRicerca &misure)
        : m_ago(ago), m_trovata(trovata), m_misure(misure), m_coda(m_ago.size() - 1 + misure.prima),
          m_filtro(ago)
    {
    }

    void leggi(FileAperto &file)
    {
        const auto blocco = std::make_unique_for_overwrite<char[]>(DimensioneBlocco);
        m_chiaro = std::make_unique_for_overwrite<char[]>(DimensioneBlocco);
        m_piegato = std::make_unique_for_overwrite<char[]>(DimensioneBlocco);
        while (const std::size_t letti = file.leggi(blocco.get(), DimensioneBlocco)) {
            for (std::size_t i = 0; i < letti; i += Pezzo) {
                const char *const b = blocco.get() + i;
                const std::size_t n = std::min(Pezzo, letti - i);
                std::size_t separatori = 0;
                if (!m_filtro.possibile(reinterpret_cast<const unsigned char *>(b), n, separatori))
                    salta(b, n, separatori);
                else
                    decodifica(b, n);
            }
        }
        // Text after the last '/' is not a law.
    }

private:
    // Stored bytes that hold no match, not even in part, but may end a match or a record
    // begun before them: the records they hold whole are only counted.
    void salta(const char *b, std::size_t n, std::size_t separatori)
    {
        const char *const fine = b + n;
        const auto *primo = static_cast<const char *>(std::memchr(b, Separato, n));
        if (!primo) {
            decodifica(b, n);
            return;
        }
        decodifica(b, static_cast<std::size_t>(primo + 1 - b));
        const char *const ultimo =
            std::find(std::make_reverse_iterator(fine), std::make_reverse_iterator(primo), Separato)
                .base() -
            1;
        if (ultimo != primo) {
            // Each separator after the first closes a law with no match and opens the next.
            m_indice += separatori - 2;
            apri();
        }
        decodifica(ultimo + 1, static_cast<std::size_t>(fine - ultimo - 1));
    }

    void decodifica(const char *b, std::size_t n)
    {
        // CRs are dropped between runs of bytes, each run unscrambled and folded whole.
        std::size_t fatti = 0;
        const char *const fine = b + n;
        while (b < fine) {
            const auto *cr = static_cast<const char *>(
                std::memchr(b, CrCodificato, static_cast<std::size_t>(fine - b)));
            const std::size_t lunghezza = static_cast<std::size_t>((cr ? cr : fine) - b);
            piega(reinterpret_cast<const unsigned char *>(b), lunghezza,
                  reinterpret_cast<unsigned char *>(m_chiaro.get() + fatti),
                  reinterpret_cast<unsigned char *>(m_piegato.get() + fatti));
            fatti += lunghezza;
            b += lunghezza + (cr ? 1 : 0);
        }
        pezzo(m_chiaro.get(), m_piegato.get(), fatti);
    }

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
            const auto *sep = static_cast<const char *>(std::memchr(p + i, Separatore, n - i));
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

    // `segue`: the record may go on in the next piece.
    void testoRecord(const char *c, const char *p, std::size_t n, bool segue)
    {
        // Until the title's start is known, the first characters wait.
        if (!m_inizioDeciso) {
            const std::size_t giaVisti = m_primi.size();
            std::size_t i = 0;
            std::optional<std::size_t> inizio;
            while (!inizio && i < n) {
                m_primi += c[i++];
                inizio = InizioTitolo(m_primi);
            }
            if (!inizio)
                return;
            m_inizioDeciso = true;
            if (giaVisti == 0) {
                // Nearly always: the record's opening is all in this piece.
                c += *inizio;
                p += *inizio;
                n -= *inizio;
            } else {
                cercaNeiPrimi(*inizio);
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
            const std::size_t presi =
                std::min(riga, m_misure.titolo - std::min(m_misure.titolo, m_titolo.size()));
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
        const std::ptrdiff_t da = std::max(*inizio - static_cast<std::ptrdiff_t>(m_misure.prima),
                                           -static_cast<std::ptrdiff_t>(coda));
        const std::ptrdiff_t voluti = *inizio + static_cast<std::ptrdiff_t>(l + m_misure.dopo);
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
        LeggeTrovata trovata;
        trovata.record = m_indice;
        trovata.campoNumero = m_primi.substr(0, 3);
        if (m_titoloChiuso) {
            trovata.titolo = m_titolo;
            trovata.titoloTagliato = m_titoloLungo;
        }
        trovata.contesto = m_contesto;
        trovata.tagliatoPrima = m_contestoTagliato;
        trovata.tagliatoDopo = m_fineContesto < m_visti;
        m_trovata(trovata);
    }

    const std::string m_ago;
    const std::function<void(const LeggeTrovata &)> &m_trovata;
    const MisureRicerca m_misure;
    const std::size_t m_coda;
    const Filtro m_filtro;
    std::unique_ptr<char[]> m_chiaro, m_piegato;

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

} // namespace

void CercaNelleMassime(FileAperto &sorgente, std::string_view cercato,
                       const std::function<void(const LeggeTrovata &)> &trovata,
                       const MisureRicerca &misure)
{
    if (cercato.empty())
        return;
    Ricerca(cercato, trovata, misure).leggi(sorgente);
}

} // namespace legge
