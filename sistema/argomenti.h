// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's arguments, and paths made from them, in UTF-8 on every system.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace legge {

// The program's arguments in UTF-8. Windows hands `argv` over in the ANSI code page, which
// loses every character it lacks; the system keeps a copy that has them all.
std::vector<std::string> ArgomentiUtf8(int argc, char **argv);

#ifdef _WIN32
// The arguments the system gave the running program, in UTF-8: a window program on Windows
// is handed no argv. Empty when the system cannot split its command line.
std::vector<std::string> ArgomentiDelProcesso();
#endif

// A path from UTF-8 text, such as an argument. On Windows a path made from a narrow string
// reads it in the ANSI code page, so a name with an accented letter would name another file.
inline std::filesystem::path PercorsoUtf8(std::string_view utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

} // namespace legge
