// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/json.h"

#include <cstdio>

namespace massime {

std::string StringaJson(std::string_view utf8)
{
    std::string uscita;
    uscita.reserve(utf8.size() + 2);
    uscita += '"';
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        // C1 controls (U+0080 to U+009F, an undefined Windows-1252 byte in a hand-made file)
        // act on a terminal as ESC sequences do, so they are written escaped like C0 ones.
        if (c == '\xC2' && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
            static_cast<unsigned char>(utf8[i + 1]) <= 0x9F) {
            char codice[8];
            std::snprintf(codice, sizeof codice, "\\u%04x", static_cast<unsigned char>(utf8[++i]));
            uscita += codice;
            continue;
        }
        switch (c) {
        case '"':
            uscita += "\\\"";
            break;
        case '\\':
            uscita += "\\\\";
            break;
        case '\n':
            uscita += "\\n";
            break;
        case '\r':
            uscita += "\\r";
            break;
        case '\t':
            uscita += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                char codice[8];
                std::snprintf(codice, sizeof codice, "\\u%04x", static_cast<unsigned char>(c));
                uscita += codice;
            } else {
                uscita += c;
            }
        }
    }
    uscita += '"';
    return uscita;
}

} // namespace massime
