// SPDX-License-Identifier: GPL-3.0-or-later
// The handle's life and the loops built on its one read, the same on every system; opening,
// reading and writing live in the system's own source file.
#include "sistema/file.h"

#include "sistema/nativo.h"

#include <utility>

namespace legge {

FileAperto::FileAperto(std::intptr_t nativo, std::filesystem::path percorso, bool proprio) noexcept
    : m_nativo(nativo), m_percorso(std::move(percorso)), m_proprio(proprio)
{
}

void FileAperto::chiudi() noexcept
{
    if (m_proprio && m_nativo != nativo::Nessuna)
        nativo::Chiudi(m_nativo);
    m_nativo = nativo::Nessuna;
    m_proprio = false;
}

FileAperto::~FileAperto()
{
    chiudi();
}

FileAperto::FileAperto(FileAperto &&altro) noexcept
    : m_nativo(std::exchange(altro.m_nativo, -1)), m_percorso(std::move(altro.m_percorso)),
      m_proprio(std::exchange(altro.m_proprio, false))
{
}

FileAperto &FileAperto::operator=(FileAperto &&altro) noexcept
{
    if (this != &altro) {
        chiudi();
        m_nativo = std::exchange(altro.m_nativo, -1);
        m_percorso = std::move(altro.m_percorso);
        m_proprio = std::exchange(altro.m_proprio, false);
    }
    return *this;
}

FileAperto::operator bool() const noexcept
{
    return m_nativo != -1;
}

std::size_t FileAperto::riempi(char *dati, std::size_t dimensione)
{
    std::size_t letti = 0;
    while (letti < dimensione) {
        const std::size_t n = leggi(dati + letti, dimensione - letti);
        if (n == 0)
            break;
        letti += n;
    }
    return letti;
}

} // namespace legge

namespace legge {

bool StessoFile(const FileAperto &aperto, const std::filesystem::path &percorso)
{
    nativo::Identita letto, scritto;
    return nativo::IdentitaDi(AccessoNativo::nativo(aperto), letto) == 0 &&
           nativo::IdentitaDi(percorso, scritto) == 0 && letto == scritto;
}

} // namespace legge
