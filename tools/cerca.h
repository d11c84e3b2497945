// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tools/comandi.h"

#include <string>
#include <string_view>

namespace massime {

// Windows-1252 text as the search compares it: lower case, without accents, with the
// typographic quotes made plain, one byte for one byte.
std::string PiegaCp1252(std::string_view testo);

int ComandoCerca(const Argomenti &argomenti);

} // namespace massime
