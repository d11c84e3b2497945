#include "app/casuale.h"

#include <bit>
#include <ctime>

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
    return DataOdierna();
}

float OrologioDiSistema::secondiDallaMezzanotte() const
{
    const std::time_t adesso = std::time(nullptr);
    std::tm locale{};
    localtime_r(&adesso, &locale);
    return static_cast<float>(locale.tm_hour * 3600 + locale.tm_min * 60 + locale.tm_sec);
}

} // namespace legge
