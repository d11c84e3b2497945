// SPDX-License-Identifier: GPL-3.0-or-later
// The window's behaviour, the same for every toolkit: the law shown, the mode stored, the
// layout rule applied.
#include "finestra/finestra.h"

#include "finestra/opzioni.h"
#include "finestra/testi.h"
#include "leggi/cp1252.h"
#include "leggi/massime.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace legge {

Disposizione Disponi(const MisureFinestra &misure, const std::function<int(int)> &altezzaTesto)
{
    Disposizione d;
    // A window narrower than at creation takes its banner along, scaled whole rather than
    // cut, so that its words stay readable.
    d.bannerLarghezza = std::max(misure.bannerLarghezza - misure.riduzione, 0);
    d.bannerAltezza =
        misure.bannerLarghezza > 0
            ? (misure.bannerAltezza * d.bannerLarghezza + misure.bannerLarghezza / 2) /
                  misure.bannerLarghezza
            : 0;
    const int sotto = misure.distanzaBanner + d.bannerAltezza;
    const int contorno = std::max(misure.margine, misure.attorno + sotto);

    d.larghezzaTesto = misure.larghezzaTesto;
    d.altezzaTesto = altezzaTesto(d.larghezzaTesto);
    d.altezzaVisibile = d.altezzaTesto;
    const int limite = misure.altezzaMassima - contorno;
    if (d.altezzaTesto > limite) {
        d.scorre = true;
        d.larghezzaTesto = misure.larghezzaAccantoBarra;
        d.altezzaTesto = altezzaTesto(d.larghezzaTesto);
        d.altezzaVisibile = std::max(limite, 0);
    }
    d.altezzaFinestra = d.altezzaVisibile + contorno;
    d.bannerAlto = d.altezzaVisibile + misure.distanzaBanner;
    d.altezzaArea = d.altezzaFinestra - misure.attorno;
    return d;
}

Finestra::Finestra(Vista &vista, std::filesystem::path cartella)
    : m_vista(vista), m_cartella(std::move(cartella))
{
}

void Finestra::RendiInPrimoPiano()
{
    m_vista.RendiInPrimoPiano();
}

void Finestra::ImpostaModo(Modo modo)
{
    m_modo = modo;
    m_vista.MostraModo(modo);
}

void Finestra::MostraLegge(int numeroGiorno)
{
    // The recovery pass calls again: the last call is the start's.
    m_inizio = numeroGiorno;
    m_modoInizio = m_modo;
    m_estratte.clear();
    m_posizione = 0;
    if (mostra(numeroGiorno, SeManca::Crea))
        m_estratte.push_back(numeroGiorno);
}

bool Finestra::mostra(int numero, SeManca seManca)
{
    m_numeroGiorno = numero;
    // The pictures are set on every call, found or not.
    m_vista.MostraImmagini();
    const Legge legge = CercaLegge(m_cartella / NomeFileMassime, numero, seManca);
    if (!legge.trovata)
        return false;

    m_titolo = legge.titolo ? Cp1252InUtf8(*legge.titolo) : std::string();
    m_testo = Cp1252InUtf8(legge.corpo);
    std::optional<std::string> didascalia;
    if (legge.titolo)
        didascalia = "  " + m_titolo;
    m_vista.MostraTesto(didascalia, m_titolo, m_testo);
    m_leggeMostrata = true;
    m_numeroMostrato = numero;
    Ridisponi();
    return true;
}

namespace {

// 1 to 59, then 500 where 29 February falls, then 60 to 366.
constexpr int NumeroAlPosto(int posto)
{
    return posto < 59 ? posto + 1 : posto == 59 ? NumeroVentinoveFebbraio : posto;
}

constexpr std::optional<int> PostoDelNumero(double numero)
{
    if (numero == NumeroVentinoveFebbraio)
        return 59;
    if (numero >= 1 && numero <= 366 && numero == static_cast<int>(numero))
        return numero < 60 ? static_cast<int>(numero) - 1 : static_cast<int>(numero);
    return std::nullopt;
}

// One pass that notes which numbers the file holds, copying no text.
class ElencoNumeri : public VisitatoreMassime {
public:
    bool vuoiTesto(std::string_view campoNumero) override
    {
        if (const auto posto = PostoDelNumero(ValoreNumero(campoNumero)))
            presenti.set(static_cast<std::size_t>(*posto));
        return false;
    }
    bool record(const Record &) override { return true; }

    std::bitset<367> presenti;
};

// A drawn number may be missing from the file, or be the law already on screen: drawing
// again costs no reading, and this bounds it for a file with hardly any law.
constexpr int TentativiCasuali = 1000;
// Enough to go back through a long evening's reading; the start's law stays reachable
// through Home.
constexpr std::size_t EstratteTenute = 1000;

} // namespace

const Finestra::Presenti &Finestra::presenti()
{
    if (!m_presenti) {
        ElencoNumeri elenco;
        PercorriMassime(m_cartella / NomeFileMassime, elenco, SeManca::Errore);
        m_presenti = elenco.presenti;
    }
    return *m_presenti;
}

void Finestra::Sfoglia(Direzione direzione)
{
    if (!m_inizio)
        return;
    try {
        if (m_modoInizio == ModoCasuale)
            sfogliaACaso(direzione);
        else
            sfogliaInOrdine(direzione);
    } catch (const std::exception &errore) {
        m_presenti.reset();
        m_vista.Avvisa(TestoErrore(LeggeNonSfogliata, errore));
    }
}

void Finestra::sfogliaInOrdine(Direzione direzione)
{
    const Presenti &presenti = this->presenti();
    // From a number no law can have, the first step lands on the first or the last law.
    const int posti = static_cast<int>(presenti.size());
    const int da = PostoDelNumero(m_numeroMostrato.value_or(*m_inizio))
                       .value_or(direzione == Direzione::Avanti ? -1 : posti);
    const int passo = direzione == Direzione::Avanti ? 1 : -1;
    for (int i = 1; i <= posti; ++i) {
        const int posto = ((da + i * passo) % posti + posti) % posti;
        if (posto == da || !presenti[static_cast<std::size_t>(posto)])
            continue;
        // Listed but not found: the file changed since it was read.
        if (!mostra(NumeroAlPosto(posto), SeManca::Errore))
            m_presenti.reset();
        return;
    }
}

void Finestra::sfogliaACaso(Direzione direzione)
{
    if (direzione == Direzione::Indietro) {
        if (m_posizione > 0 && m_posizione <= m_estratte.size())
            mostraEstratta(m_posizione - 1);
        return;
    }
    if (m_posizione + 1 < m_estratte.size()) {
        mostraEstratta(m_posizione + 1);
        return;
    }
    if (!m_casuale)
        return;
    const Presenti &presenti = this->presenti();
    for (int tentativo = 0; tentativo < TentativiCasuali; ++tentativo) {
        const int numero = NumeroCasuale(m_casuale->estrai());
        const auto posto = PostoDelNumero(numero);
        if (numero == m_numeroMostrato || !posto || !presenti[static_cast<std::size_t>(*posto)])
            continue;
        if (!mostra(numero, SeManca::Errore)) {
            m_presenti.reset();
            return;
        }
        m_estratte.push_back(numero);
        if (m_estratte.size() > EstratteTenute)
            m_estratte.erase(m_estratte.begin());
        m_posizione = m_estratte.size() - 1;
        return;
    }
}

void Finestra::mostraEstratta(std::size_t posizione)
{
    if (mostra(m_estratte[posizione], SeManca::Errore))
        m_posizione = posizione;
}

void Finestra::TornaAllInizio()
{
    if (!m_inizio)
        return;
    try {
        if (mostra(*m_inizio, SeManca::Errore) && !m_estratte.empty() &&
            m_estratte.front() == *m_inizio)
            m_posizione = 0;
    } catch (const std::exception &errore) {
        m_vista.Avvisa(TestoErrore(LeggeNonSfogliata, errore));
    }
}

void Finestra::Ridisponi()
{
    if (m_leggeMostrata)
        m_vista.Applica(Disponi(m_vista.Misure(),
                                [this](int larghezza) { return m_vista.AltezzaTesto(larghezza); }));
}

Modo Finestra::Casuale_Click(Modo scelto)
{
    // A failed write leaves the stored mode as it was, so the marks must too: the user can
    // try again once the cause is fixed.
    try {
        m_modo = SalvaModoScelto(m_cartella, scelto);
    } catch (const std::exception &errore) {
        m_vista.Avvisa(TestoErrore(ModoNonSalvato, errore));
    }
    m_vista.MostraModo(m_modo);
    return m_modo;
}

void Finestra::ApriMenu()
{
    ImpostaModo(ModoDelMenu(m_cartella, m_modo));
}

std::string Finestra::TestoDaCopiare() const
{
    // The body starts with the line break that ended the title.
    return m_titolo + m_testo;
}

} // namespace legge
