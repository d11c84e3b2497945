// SPDX-License-Identifier: GPL-3.0-or-later
// Buffering the tool's output: a block is handed over whole, and a switch between text and raw
// bytes first hands over what came before.
#include "strumento/uscita.h"

namespace massime {

void Uscita::testo(std::string_view utf8)
{
    aggiungi(utf8, false);
}

void Uscita::byte(std::string_view dati)
{
    aggiungi(dati, true);
}

void Uscita::aggiungi(std::string_view dati, bool grezzo)
{
    if (grezzo != m_grezzo)
        svuota();
    m_grezzo = grezzo;
    m_attesa += dati;
    if (m_attesa.size() >= legge::DimensioneBlocco)
        svuota();
}

void Uscita::svuota()
{
    if (m_attesa.empty())
        return;
    const std::string attesa = std::move(m_attesa);
    m_attesa.clear();
    if (m_grezzo)
        m_file.scrivi(attesa);
    else
        m_file.scriviTesto(attesa);
}

Uscita &UscitaComandi()
{
    static Uscita uscita(legge::UscitaStandard());
    return uscita;
}

} // namespace massime
