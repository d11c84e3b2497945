#include "tools/verifica.h"

#include "file/errorefile.h"
#include "laws/cp1252.h"
#include "laws/giorno.h"
#include "laws/massime.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>

namespace massime {

namespace {

constexpr int UltimoGiorno = 366;

bool numeroValido(double valore)
{
    return valore == std::floor(valore) &&
           ((valore >= 1 && valore <= UltimoGiorno) || valore == legge::NumeroVentinoveFebbraio);
}

bool vuoto(std::string_view testo)
{
    return testo.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// Line breaks and other controls in a number field would split the report's line.
std::string leggibile(std::string_view cp1252)
{
    std::string uscita;
    for (const char c : cp1252) {
        if (c == '\n')
            uscita += "\\n";
        else if (c == '\t')
            uscita += "\\t";
        else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            uscita += '?';
        else
            uscita += legge::Cp1252InUtf8(std::string_view(&c, 1));
    }
    return uscita;
}

std::string numeroInTesto(double valore)
{
    char testo[32];
    std::snprintf(testo, sizeof testo, "%g", valore);
    return testo;
}

class Verificatore : public legge::VisitatoreMassime {
public:
    bool vuoiTesto(std::string_view) override { return true; }

    bool record(const legge::Record &r) override
    {
        ++m_esito.record;
        m_posizioni.push_back(r.posizione);
        const std::string campo = leggibile(r.campoNumero);
        auto segnala = [&](TipoProblema tipo, std::string messaggio) {
            m_esito.problemi.push_back({tipo, r.indice, r.posizione, campo, std::move(messaggio)});
        };

        const bool treCifre =
            r.campoNumero.size() == 3 && std::all_of(r.campoNumero.begin(), r.campoNumero.end(),
                                                     [](char c) { return c >= '0' && c <= '9'; });
        if (!treCifre)
            segnala(TipoProblema::CampoNumero,
                    "il numero «" + campo + "» non è di tre cifre da 000 a 999");

        const double valore = legge::ValoreNumero(r.campoNumero);
        if (!numeroValido(valore)) {
            segnala(TipoProblema::NumeroFuoriIntervallo,
                    "il numero " + numeroInTesto(valore) +
                        " non è fra 1 e 366 né 500: nessun giorno mostra questa legge");
        } else if (const auto primo = m_primi.find(valore); primo != m_primi.end()) {
            segnala(TipoProblema::NumeroRipetuto,
                    "il numero " + numeroInTesto(valore) + " c'è già nel record " +
                        std::to_string(primo->second.first) + " (byte " +
                        std::to_string(primo->second.second) +
                        "): questa legge non viene mai mostrata");
        } else {
            m_primi.emplace(valore, std::pair{r.indice, r.posizione});
        }

        const legge::Legge estratta = legge::EstraiLegge(r.testo);
        if (!estratta.titolo) {
            segnala(TipoProblema::SenzaTitolo,
                    "nessun a capo dopo il titolo: la legge viene mostrata senza titolo");
        } else if (estratta.titolo->empty() || (*estratta.titolo)[0] < 'A' ||
                   (*estratta.titolo)[0] > 'Z') {
            segnala(TipoProblema::TitoloSenzaMaiuscola,
                    "il titolo non comincia con una maiuscola da A a Z: viene mostrato come «" +
                        leggibile(estratta.titolo->substr(0, 40)) + "»");
        }
        if (vuoto(estratta.corpo))
            segnala(TipoProblema::CorpoVuoto, "il testo della legge è vuoto");
        return true;
    }

    void coda(std::uint64_t posizione, std::uint64_t lunghezza) override
    {
        m_inizioCoda = posizione;
        m_lunghezzaCoda = lunghezza;
    }

    // Numbers of the year that no record carries.
    void segnalaMancanti()
    {
        for (int n = 1; n <= UltimoGiorno + 1; ++n) {
            const int numero = n <= UltimoGiorno ? n : legge::NumeroVentinoveFebbraio;
            if (m_primi.contains(numero))
                continue;
            char campo[8];
            std::snprintf(campo, sizeof campo, "%03d", numero);
            m_esito.problemi.push_back({TipoProblema::NumeroMancante, std::nullopt, std::nullopt,
                                        campo, "manca la legge numero " + std::to_string(numero)});
        }
    }

    // The record holding byte `posizione`, if any.
    std::optional<std::size_t> recordDi(std::uint64_t posizione) const
    {
        const auto dopo = std::upper_bound(m_posizioni.begin(), m_posizioni.end(), posizione);
        if (dopo == m_posizioni.begin())
            return std::nullopt;
        const std::size_t indice = static_cast<std::size_t>(dopo - m_posizioni.begin());
        if (m_inizioCoda && indice == m_posizioni.size() && posizione >= *m_inizioCoda)
            return std::nullopt;
        return indice;
    }

    EsitoVerifica m_esito;
    std::optional<std::uint64_t> m_inizioCoda;
    std::uint64_t m_lunghezzaCoda = 0;

private:
    std::map<double, std::pair<std::size_t, std::uint64_t>> m_primi;
    std::vector<std::uint64_t> m_posizioni;
};

// A second, byte-level pass: the record scan drops CRs, so it cannot tell where exactly an
// undefined byte sits, nor whether the text after the last '/' is more than blank lines.
void esaminaByte(const std::filesystem::path &file, Verificatore &verificatore)
{
    legge::FileAperto sorgente = legge::ApriInLettura(file);
    const auto blocco = std::make_unique_for_overwrite<char[]>(legge::DimensioneBlocco);
    std::uint64_t base = 0;
    std::optional<std::uint64_t> primoNonVuotoInCoda;
    for (;;) {
        const std::size_t letti = sorgente.leggi(blocco.get(), legge::DimensioneBlocco);
        if (letti == 0)
            break;
        legge::InvertiByte(blocco.get(), letti);
        for (std::size_t i = 0; i < letti; ++i) {
            const auto byte = static_cast<unsigned char>(blocco[i]);
            const std::uint64_t posizione = base + static_cast<std::uint64_t>(i);
            if (legge::ByteIndefinitoCp1252(byte)) {
                char codice[8];
                std::snprintf(codice, sizeof codice, "0x%02X", byte);
                verificatore.m_esito.problemi.push_back(
                    {TipoProblema::ByteIndefinito, verificatore.recordDi(posizione), posizione,
                     std::nullopt,
                     std::string("il byte ") + codice + " non è un carattere di Windows-1252"});
            }
            if (!primoNonVuotoInCoda && verificatore.m_inizioCoda &&
                posizione >= *verificatore.m_inizioCoda && byte != ' ' && byte != '\t' &&
                byte != '\r' && byte != '\n')
                primoNonVuotoInCoda = posizione;
        }
        base += static_cast<std::uint64_t>(letti);
    }
    if (primoNonVuotoInCoda) {
        verificatore.m_esito.problemi.push_back(
            {TipoProblema::TestoDopoUltimaBarra, std::nullopt, *verificatore.m_inizioCoda,
             std::nullopt,
             "testo dopo l'ultima «/» (" + std::to_string(verificatore.m_lunghezzaCoda) +
                 " byte): non è un record e non viene mai mostrato; manca una «/» alla fine?"});
    }
}

} // namespace

EsitoVerifica VerificaMassime(const std::filesystem::path &file)
{
    Verificatore verificatore;
    legge::PercorriMassime(file, verificatore, legge::SeManca::Errore);
    esaminaByte(file, verificatore);
    verificatore.segnalaMancanti();
    auto &problemi = verificatore.m_esito.problemi;
    std::stable_sort(problemi.begin(), problemi.end(), [](const Problema &a, const Problema &b) {
        return a.posizione.value_or(UINT64_MAX) < b.posizione.value_or(UINT64_MAX);
    });
    return std::move(verificatore.m_esito);
}

const char *NomeTipo(TipoProblema tipo)
{
    switch (tipo) {
    case TipoProblema::NumeroRipetuto:
        return "numero-ripetuto";
    case TipoProblema::NumeroMancante:
        return "numero-mancante";
    case TipoProblema::NumeroFuoriIntervallo:
        return "numero-fuori-intervallo";
    case TipoProblema::CampoNumero:
        return "campo-numero";
    case TipoProblema::SenzaTitolo:
        return "senza-titolo";
    case TipoProblema::TitoloSenzaMaiuscola:
        return "titolo-senza-maiuscola";
    case TipoProblema::CorpoVuoto:
        return "corpo-vuoto";
    case TipoProblema::TestoDopoUltimaBarra:
        return "testo-dopo-ultima-barra";
    case TipoProblema::ByteIndefinito:
        return "byte-indefinito";
    }
    return "";
}

} // namespace massime
