// SPDX-License-Identifier: GPL-3.0-or-later
// The local time from the system, with the fraction of its second, so that two starts in the same
// second draw different laws.
#include "sistema/orologio.h"

#include "sistema/nativo.h"

#include <chrono>

namespace legge {

MomentoLocale OraLocale()
{
    using namespace std::chrono;
    const auto adesso = system_clock::now();
    // The whole second below `adesso`, whichever way to_time_t rounds.
    std::time_t secondo = system_clock::to_time_t(adesso);
    if (system_clock::from_time_t(secondo) > adesso)
        --secondo;
    const double frazione = duration<double>(adesso - system_clock::from_time_t(secondo)).count();
    std::tm locale{};
    nativo::TempoLocale(secondo, locale);
    return {locale.tm_year + 1900, locale.tm_mon + 1, locale.tm_mday,
            locale.tm_hour * 3600 + locale.tm_min * 60 + locale.tm_sec + frazione};
}

} // namespace legge
