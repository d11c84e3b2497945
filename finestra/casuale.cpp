// SPDX-License-Identifier: GPL-3.0-or-later
// The random draws and the clock the running program uses, where the tests put fakes.
#include "finestra/casuale.h"

#include "sistema/orologio.h"

#include <bit>

namespace legge {

void GeneratoreCasuale::semina(float seme)
{
    m_stato = std::bit_cast<std::uint32_t>(seme);
}

float GeneratoreCasuale::estrai()
{
    m_stato += 0x9E3779B97F4A7C15ull;
    std::uint64_t z = m_stato;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<float>(z >> 40) * 0x1p-24f;
}

Data OrologioDiSistema::oggi() const
{
    const MomentoLocale adesso = OraLocale();
    return {adesso.anno, adesso.mese, adesso.giorno};
}

float OrologioDiSistema::secondiDallaMezzanotte() const
{
    return static_cast<float>(OraLocale().secondiDallaMezzanotte);
}

} // namespace legge
