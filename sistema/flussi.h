// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The standard streams of the process, as files: a console among them shows text in
// whole characters whatever its code page.

#include "sistema/file.h"

#include <string_view>

namespace legge {

// The names the standard streams go by in messages.
inline constexpr std::string_view NomeIngressoStandard{"standard input"};
inline constexpr std::string_view NomeUscitaStandard{"standard output"};
inline constexpr std::string_view NomeErroreStandard{"standard error"};

// The standard streams. They are never closed.
FileAperto &IngressoStandard();
FileAperto &UscitaStandard();
FileAperto &ErroreStandard();

} // namespace legge
