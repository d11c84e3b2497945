// SPDX-License-Identifier: GPL-3.0-or-later
// The tool's output, gathered into blocks: fewer writes on a large file, and text kept apart from
// raw bytes, for only text is converted for a console.
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

} // namespace massime
