// SPDX-License-Identifier: GPL-3.0-or-later
#include "sistema/errorefile.h"

#include "sistema/file.h"

namespace legge {

namespace {

std::filesystem::path percorsoCompleto(const std::filesystem::path &percorso)
{
    // A relative name in a message says nothing about where the file was looked for; the
    // standard streams have no place to be looked for.
    if (percorso.empty() || percorso == NomeIngressoStandard || percorso == NomeUscitaStandard ||
        percorso == NomeErroreStandard)
        return percorso;
    std::error_code ec;
    auto assoluto = std::filesystem::absolute(percorso, ec);
    return ec ? percorso : assoluto.lexically_normal();
}

} // namespace

ErroreFile::ErroreFile(std::filesystem::path percorso, std::string motivo)
    : std::runtime_error(percorsoCompleto(percorso).string() + ": " + motivo),
      m_percorso(percorsoCompleto(percorso)), m_motivo(std::move(motivo))
{
}

ErroreFile ErroreFile::daSistema(std::filesystem::path percorso, int codice)
{
    return ErroreFile(std::move(percorso), MotivoDiSistema(codice));
}

} // namespace legge
