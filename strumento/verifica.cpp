// SPDX-License-Identifier: GPL-3.0-or-later
// massime verifica: every record checked as the file streams past, each problem reported the
// moment it is certain, the missing numbers at the end.
#include "strumento/verifica.h"

#include "leggi/cp1252.h"
#include "leggi/giorno.h"
#include "leggi/massime.h"
#include "sistema/flussi.h"
#include "strumento/testi.h"
#include "strumento/uscita.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

namespace massime {

namespace {

bool numeroValido(double valore)
{
    // A number field holds three characters: the value is always well within an int.
    return valore == std::floor(valore) && legge::NumeroDiUnGiorno(static_cast<int>(valore));
}

// Line breaks and other controls in a number field or a title would split the report's
// line, or act on the terminal that shows it.
std::string leggibile(std::string_view cp1252)
{
    return legge::SenzaControlli(legge::Cp1252InUtf8(cp1252), legge::Controlli::CodiciSuUnaRiga);
}

std::string numeroInTesto(double valore)
{
    char testo[32];
    std::snprintf(testo, sizeof testo, "%g", valore);
    return testo;
}

class Verificatore : public legge::OsservatoreMassime {
public:
    explicit Verificatore(const std::function<void(const Problema &)> &segnala) : m_segnala(segnala)
    {
    }

    void inizioRecord(std::size_t /*indice*/, std::uint64_t posizione) override
    {
        m_inRecord = true;
        m_inizio = posizione;
        m_nonVuoto = false;
    }

    void testo(std::string_view chiaro, std::uint64_t posizione) override
    {
        for (std::size_t i = 0; i < chiaro.size(); ++i) {
            const auto byte = static_cast<unsigned char>(chiaro[i]);
            if (byte != ' ' && byte != '\t' && byte != '\r' && byte != '\n')
                m_nonVuoto = true;
            if (!legge::ByteIndefinitoCp1252(byte))
                continue;
            const std::uint64_t dove = posizione + i;
            if (!m_inRecord)
                m_segnala(byteIndefinito(std::nullopt, dove, byte));
            else if (m_sospesi.size() < MassimoSospesi)
                m_sospesi.push_back({dove, byte});
            else if (m_oltre++ == 0)
                m_primoOltre = dove;
        }
    }

    void record(const legge::SintesiRecord &r) override
    {
        ++m_record;
        const std::string campo = leggibile(r.campoNumero);
        auto segnala = [&](TipoProblema tipo, std::string messaggio) {
            m_segnala({tipo, r.indice, r.posizione, campo, std::move(messaggio)});
        };

        const bool treCifre =
            r.campoNumero.size() == 3 && std::all_of(r.campoNumero.begin(), r.campoNumero.end(),
                                                     [](char c) { return c >= '0' && c <= '9'; });
        if (!treCifre)
            segnala(TipoProblema::CampoNumero, testi::CampoNumeroSbagliato(campo));

        const double valore = legge::ValoreNumero(r.campoNumero);
        if (!numeroValido(valore)) {
            segnala(TipoProblema::NumeroFuoriIntervallo,
                    testi::NumeroFuoriIntervallo(numeroInTesto(valore)));
        } else if (const auto primo = m_primi.find(valore); primo != m_primi.end()) {
            segnala(TipoProblema::NumeroRipetuto,
                    testi::NumeroRipetuto(numeroInTesto(valore), primo->second.first,
                                          primo->second.second));
        } else {
            m_primi.emplace(valore, std::pair{r.indice, r.posizione});
        }

        if (!r.titolo) {
            segnala(TipoProblema::SenzaTitolo, testi::SenzaTitolo());
        } else if (r.inizioTitolo.empty() || r.inizioTitolo[0] < 'A' || r.inizioTitolo[0] > 'Z') {
            segnala(TipoProblema::TitoloSenzaMaiuscola,
                    testi::TitoloSenzaMaiuscola(leggibile(r.inizioTitolo)));
        }
        if (r.caratteriCorpo == 0)
            segnala(TipoProblema::CorpoVuoto, testi::CorpoVuoto());
        segnalaSospesi(r.indice, UINT64_MAX);
        m_inRecord = false;
    }

    void fine(std::uint64_t dimensione) override
    {
        if (!m_inRecord)
            return;
        // The text after the last '/': its undefined bytes belong to no record.
        segnalaSospesi(std::nullopt, m_inizio + 1);
        if (m_nonVuoto) {
            m_segnala({TipoProblema::TestoDopoUltimaBarra, std::nullopt, m_inizio, std::nullopt,
                       testi::TestoDopoUltimaBarra(dimensione - m_inizio)});
        }
        segnalaSospesi(std::nullopt, UINT64_MAX);
    }

    // Numbers of the year that no record carries.
    void segnalaMancanti()
    {
        for (int n = 1; n <= legge::UltimoGiornoDellAnno + 1; ++n) {
            const int numero =
                n <= legge::UltimoGiornoDellAnno ? n : legge::NumeroVentinoveFebbraio;
            if (m_primi.contains(numero))
                continue;
            char campo[16];
            std::snprintf(campo, sizeof campo, "%03d", numero);
            m_segnala({TipoProblema::NumeroMancante, std::nullopt, std::nullopt, campo,
                       testi::NumeroMancante(numero)});
        }
    }

    std::size_t m_record = 0;

private:
    struct Sospeso {
        std::uint64_t posizione;
        unsigned char byte;
    };
    // A record's own problems come before those of its bytes, and are known only at its end;
    // this many undefined bytes wait for them, the rest are counted.
    static constexpr std::size_t MassimoSospesi = 4096;

    static Problema byteIndefinito(std::optional<std::size_t> record, std::uint64_t posizione,
                                   unsigned char byte)
    {
        return {TipoProblema::ByteIndefinito, record, posizione, std::nullopt,
                testi::ByteIndefinito(byte)};
    }

    // Reports the waiting bytes that stand before `prima`.
    void segnalaSospesi(std::optional<std::size_t> record, std::uint64_t prima)
    {
        std::size_t i = 0;
        for (; i < m_sospesi.size() && m_sospesi[i].posizione < prima; ++i)
            m_segnala(byteIndefinito(record, m_sospesi[i].posizione, m_sospesi[i].byte));
        m_sospesi.erase(m_sospesi.begin(), m_sospesi.begin() + static_cast<std::ptrdiff_t>(i));
        if (m_sospesi.empty() && m_oltre > 0 && m_primoOltre < prima) {
            m_segnala({TipoProblema::ByteIndefinito, record, m_primoOltre, std::nullopt,
                       testi::AltriByteIndefiniti(m_oltre)});
            m_oltre = 0;
        }
    }

    const std::function<void(const Problema &)> &m_segnala;
    std::map<double, std::pair<std::size_t, std::uint64_t>> m_primi;
    bool m_inRecord = false;
    std::uint64_t m_inizio = 0;
    bool m_nonVuoto = false;
    std::vector<Sospeso> m_sospesi;
    std::uint64_t m_oltre = 0;
    std::uint64_t m_primoOltre = 0;
};

} // namespace

std::size_t VerificaMassime(legge::FileAperto &sorgente,
                            const std::function<void(const Problema &)> &segnala)
{
    Verificatore verificatore(segnala);
    legge::OsservaMassime(sorgente, verificatore);
    verificatore.segnalaMancanti();
    return verificatore.m_record;
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
