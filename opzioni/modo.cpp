// SPDX-License-Identifier: GPL-3.0-or-later
// The stored mode read back from a few bytes, whatever the file holds, and replaced whole, so
// that a failed write leaves the old file.
#include "opzioni/modo.h"

#include "sistema/file.h"

#include <algorithm>
#include <array>
#include <string>

// Option.dat holds one line: a marker, then CR LF. Only the first line counts and the
// rest of the file is ignored. The line ends at the first CR or at the end of the file;
// a lone LF does not end it and is part of it, so "marker LF" matches nothing. Matching
// is exact, byte for byte, with no trimming.

namespace legge {

std::optional<Modo> LeggiModo(const std::filesystem::path &file)
{
    // No lock to wait for, unlike a law: a write in place puts the whole line down in one
    // write before it cuts the tail, so a read caught in between finds the old marker, the
    // new one or none, and none leaves the mode as it is. Waiting here would hold up the
    // menu each time it opens.
    FileAperto aperto = ApriFileDati(file);
    if (!aperto)
        throw ErroreFile::mancante(file);

    // A line longer than the longest marker cannot match, so one byte past it is all
    // that needs reading, however large the file is.
    std::array<char, SegnoPiuLungo + 1> inizio{};
    const std::size_t letti = aperto.riempi(inizio.data(), inizio.size());

    if (letti == 0)
        throw ErroreFile(file, ErroreFile::Tipo::FileVuoto);

    std::string_view riga(inizio.data(), letti);
    const auto cr = riga.find('\r');
    if (cr != std::string_view::npos)
        riga = riga.substr(0, cr);
    else if (letti == inizio.size())
        return std::nullopt; // longer than any marker

    for (const VoceModo &voce : TabellaModi) {
        if (riga == voce.segno)
            return voce.modo;
    }
    return std::nullopt;
}

void ScriviModo(const std::filesystem::path &file, Modo modo)
{
    const auto voce = std::find_if(TabellaModi.begin(), TabellaModi.end(),
                                   [modo](const VoceModo &v) { return v.modo == modo; });
    std::string contenuto(voce->segno);
    contenuto += "\r\n";
    SostituisciFile(file, contenuto);
}

void ScriviModoPredefinito(const std::filesystem::path &file)
{
    ScriviModo(file, ModoGiorno);
}

} // namespace legge
