// SPDX-License-Identifier: GPL-3.0-or-later
#include "sistema/orologio.h"

#include "sistema/nativo.h"

namespace legge {

MomentoLocale OraLocale()
{
    const std::time_t adesso = std::time(nullptr);
    std::tm locale{};
    nativo::TempoLocale(adesso, locale);
    return {locale.tm_year + 1900, locale.tm_mon + 1, locale.tm_mday,
            locale.tm_hour * 3600 + locale.tm_min * 60 + locale.tm_sec};
}

} // namespace legge
