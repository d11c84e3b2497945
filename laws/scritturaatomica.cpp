#include "laws/scritturaatomica.h"

#include "laws/errorefile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace legge {

namespace {

bool scriviTutto(int fd, std::string_view dati)
{
    while (!dati.empty()) {
        const ssize_t n = ::write(fd, dati.data(), dati.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        dati.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

mode_t permessiPerNuovoFile(const std::filesystem::path &percorso)
{
    struct stat st {};
    if (::stat(percorso.c_str(), &st) == 0)
        return st.st_mode & 07777;
    // mkstemp creates 0600; a new file should get what open(2) would have given it.
    const mode_t maschera = ::umask(0);
    ::umask(maschera);
    return 0666 & ~maschera;
}

void scriviSulPosto(const std::filesystem::path &percorso, std::string_view contenuto,
                    int erroreTemporaneo)
{
    const int fd = ::open(percorso.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        // The file does not exist either: the directory's refusal is the real cause.
        throw ErroreFile::daErrno(percorso, errno == ENOENT ? erroreTemporaneo : errno);
    }
    // Overwrite first and cut the tail afterwards, so that a failure part-way through
    // leaves as much of the old content as possible.
    bool ok = scriviTutto(fd, contenuto) &&
              ::ftruncate(fd, static_cast<off_t>(contenuto.size())) == 0 && ::fsync(fd) == 0;
    const int errore = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
    }
    if (!ok)
        throw ErroreFile::daErrno(percorso, errore ? errore : errno);
}

} // namespace

void ScriviFileAtomico(const std::filesystem::path &percorso, std::string_view contenuto)
{
    const std::filesystem::path cartella =
        percorso.has_parent_path() ? percorso.parent_path() : std::filesystem::path(".");
    std::string modello = (cartella / ("." + percorso.filename().string() + ".XXXXXX")).string();

    const int fd = ::mkostemp(modello.data(), O_CLOEXEC);
    if (fd < 0) {
        const int errore = errno;
        if (errore == EACCES || errore == EPERM) {
            scriviSulPosto(percorso, contenuto, errore);
            return;
        }
        throw ErroreFile::daErrno(percorso, errore);
    }

    bool ok = ::fchmod(fd, permessiPerNuovoFile(percorso)) == 0 && scriviTutto(fd, contenuto) &&
              ::fsync(fd) == 0;
    int errore = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        errore = errno;
    }
    if (ok && ::rename(modello.c_str(), percorso.c_str()) != 0) {
        ok = false;
        errore = errno;
    }
    if (!ok) {
        ::unlink(modello.c_str());
        throw ErroreFile::daErrno(percorso, errore);
    }
    // Make the rename itself durable; failing here loses nothing that was not already
    // visible, so it is not worth an error.
    const int fdCartella = ::open(cartella.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fdCartella >= 0) {
        ::fsync(fdCartella);
        ::close(fdCartella);
    }
}

} // namespace legge
