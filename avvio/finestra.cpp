// SPDX-License-Identifier: GPL-3.0-or-later
// The window's behaviour, the same for every toolkit: the law shown, the mode stored, the
// layout rule applied.
#include "avvio/finestra.h"

#include "avvio/opzioni.h"
#include "avvio/testi.h"
#include "laws/cp1252.h"
#include "laws/massime.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace legge {

Disposizione Disponi(const MisureFinestra &misure, const std::function<int(int)> &altezzaTesto)
{
    Disposizione d;
    d.larghezzaTesto = misure.larghezzaTesto;
    d.altezzaTesto = altezzaTesto(d.larghezzaTesto);
    d.altezzaVisibile = d.altezzaTesto;
    const int limite = misure.altezzaMassima - misure.margine;
    if (d.altezzaTesto > limite) {
        d.scorre = true;
        d.larghezzaTesto = misure.larghezzaAccantoBarra;
        d.altezzaTesto = altezzaTesto(d.larghezzaTesto);
        d.altezzaVisibile = std::max(limite, 0);
    }
    d.altezzaFinestra = d.altezzaVisibile + misure.margine;
    d.bannerAlto = d.altezzaVisibile + misure.distanzaBanner;
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
    m_numeroGiorno = numeroGiorno;
    // The pictures are set on every call, found or not.
    m_vista.MostraImmagini();
    const Legge legge = CercaLegge(m_cartella / NomeFileMassime, numeroGiorno);
    if (!legge.trovata)
        return;

    m_titolo = legge.titolo ? Cp1252InUtf8(*legge.titolo) : std::string();
    m_testo = Cp1252InUtf8(legge.corpo);
    std::optional<std::string> didascalia;
    if (legge.titolo)
        didascalia = "  " + m_titolo;
    m_vista.MostraTesto(didascalia, m_titolo, m_testo);
    m_leggeMostrata = true;
    Ridisponi();
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
