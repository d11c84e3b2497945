// SPDX-License-Identifier: GPL-3.0-or-later
// JSON strings for the tool's machine-readable output, safe to read one line at a time.
#pragma once

#include <string>
#include <string_view>

namespace massime {

// `utf8` as a JSON string literal, quotes included. Control characters are escaped so
// that a law's text cannot break the line-oriented reading of the output.
std::string StringaJson(std::string_view utf8);

} // namespace massime
