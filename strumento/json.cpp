// SPDX-License-Identifier: GPL-3.0-or-later
// Escaping text for JSON, the C1 controls included, which JSON itself would let through raw.
#include "strumento/json.h"

#include "sistema/flussi.h"

#include <cstdio>

namespace massime {

std::string StringaJson(std::string_view utf8)
{
    std::string uscita;
    uscita.reserve(utf8.size() + 2);
    uscita += '"';
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        // Escaped like the C0 controls, so that none reaches a terminal raw.
        if (legge::ApreControlloC1(utf8, i)) {
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
