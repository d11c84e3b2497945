// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Windows speaks UTF-16, the rest of the program UTF-8: the one pair of conversions between
// them, for the system layer and the Windows front-end alike.

#ifdef _WIN32

#include <string>
#include <string_view>

namespace legge {

// Named like leggi/cp1252.h's pair.

// Bytes that are not UTF-8 (a file name from an old system) become U+FFFD.
std::wstring Utf8InUtf16(std::string_view utf8);
// A lone half of a surrogate pair becomes U+FFFD.
std::string Utf16InUtf8(std::wstring_view utf16);

} // namespace legge

#endif
