// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The standard streams of the process, as files: a console among them shows text in
// whole characters whatever its code page.

#include "sistema/file.h"

#include <cstddef>
#include <string>
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

// Whether a C1 control (U+0080 to U+009F, two bytes in UTF-8) starts at `utf8[i]`: a
// terminal may take one for the same command as ESC [ ... An undefined Windows-1252 byte in
// a law file becomes one.
inline bool ApreControlloC1(std::string_view utf8, std::size_t i)
{
    if (i + 1 >= utf8.size() || static_cast<unsigned char>(utf8[i]) != 0xC2)
        return false;
    const auto seguente = static_cast<unsigned char>(utf8[i + 1]);
    return seguente >= 0x80 && seguente <= 0x9F;
}

// How SenzaControlli writes a control character: as an escape that names it (\x1B, \u009B),
// LF and tab kept as they are or, on one line, written out too; or as '?', where a short
// message only has to stay harmless.
enum class Controlli { Codici, CodiciSuUnaRiga, Punti };

// `utf8` with the control characters that would act on a terminal (ESC, BEL, NUL, CR, DEL,
// C1 controls...) made harmless: text from a file or an argument may hold any of them.
std::string SenzaControlli(std::string_view utf8, Controlli resa);

} // namespace legge
