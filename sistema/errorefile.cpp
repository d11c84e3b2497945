// SPDX-License-Identifier: GPL-3.0-or-later
// A data file's error made: the name completed, so that the message says where the file was
// looked for, and the system's own reason fetched.
#include "sistema/errorefile.h"

#include "sistema/flussi.h"
#include "sistema/nativo.h"

#include <cstdint>

namespace legge {

namespace {

std::filesystem::path percorsoCompleto(const std::filesystem::path &percorso)
{
    // A relative name in a message says nothing about where the file was looked for; the
    // standard streams have no place to be looked for.
    if (percorso.empty() || percorso == NomeIngressoStandard || percorso == NomeUscitaStandard ||
        percorso == NomeErroreStandard || !nativo::DaCompletare(percorso))
        return percorso;
    std::filesystem::path assoluto;
    return nativo::Assoluto(percorso, assoluto) ? percorso : assoluto.lexically_normal();
}

// For what(): the kind in English, in the order of ErroreFile::Tipo.
constexpr const char *NomiDeiTipi[] = {"system error",
                                       "empty file",
                                       "directory",
                                       "FIFO",
                                       "socket",
                                       "device",
                                       "pipe",
                                       "not a regular file",
                                       "read-only file",
                                       "not a directory",
                                       "held by another program",
                                       "no law in it"};

std::string descrizione(const std::filesystem::path &percorso, const std::string &motivo)
{
    return percorsoCompleto(percorso).string() + ": " + motivo;
}

} // namespace

ErroreFile::ErroreFile(std::filesystem::path percorso, std::string motivoDiSistema, int codice)
    : std::runtime_error(descrizione(
          percorso, !motivoDiSistema.empty()
                        ? motivoDiSistema
                        : "system error " + std::to_string(static_cast<std::uint32_t>(codice)))),
      m_percorso(percorsoCompleto(percorso)), m_codice(codice),
      m_motivoDiSistema(std::move(motivoDiSistema))
{
}

ErroreFile::ErroreFile(std::filesystem::path percorso, Tipo tipo, Operazione operazione)
    : std::runtime_error(descrizione(percorso, NomiDeiTipi[static_cast<int>(tipo)])),
      m_percorso(percorsoCompleto(percorso)), m_tipo(tipo), m_operazione(operazione)
{
}

ErroreFile ErroreFile::daSistema(std::filesystem::path percorso, int codice)
{
    return ErroreFile(std::move(percorso), nativo::MotivoDiSistema(codice), codice);
}

ErroreFile ErroreFile::mancante(std::filesystem::path percorso)
{
    return daSistema(std::move(percorso), nativo::CodiceMancante());
}

} // namespace legge
