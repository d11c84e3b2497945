#include "laws/errorefile.h"

#include <cstring>
#include <system_error>

namespace legge {

namespace {

std::filesystem::path percorsoCompleto(const std::filesystem::path &percorso)
{
    // A relative name in a message says nothing about where the file was looked for.
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

ErroreFile ErroreFile::daErrno(std::filesystem::path percorso, int codice)
{
    return ErroreFile(std::move(percorso), std::system_category().message(codice));
}

} // namespace legge
