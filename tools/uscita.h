// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sistema/flussi.h"

#include <string>
#include <string_view>

namespace massime {

// What a command writes on a stream, gathered and handed to the system in blocks.
class Uscita {
public:
    explicit Uscita(legge::FileAperto &file) : m_file(file) {}
    Uscita(const Uscita &) = delete;
    Uscita &operator=(const Uscita &) = delete;

    // Text for a person, UTF-8, in whole characters.
    void testo(std::string_view utf8);
    // Bytes that must arrive exactly as they are.
    void byte(std::string_view dati);
    // Throws legge::ErroreFile when the stream takes no more.
    void svuota();
    bool terminale() const { return m_file.terminale(); }

private:
    void aggiungi(std::string_view dati, bool grezzo);

    legge::FileAperto &m_file;
    std::string m_attesa;
    bool m_grezzo = false;
};

// Standard output, as every command writes it.
Uscita &UscitaComandi();

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

// `utf8` with the control characters that would act on a terminal (ESC, BEL, NUL, C1
// controls...) written out as escapes; LF and tab stay as they are unless `suUnaRiga`.
std::string Visibile(std::string_view utf8, bool suUnaRiga);

} // namespace massime
