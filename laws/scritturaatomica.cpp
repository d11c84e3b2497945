#include "laws/scritturaatomica.h"

#include "laws/errorefile.h"

#include <algorithm>
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

bool scriviTuttoDa(int fd, std::string_view dati, off_t posizione)
{
    while (!dati.empty()) {
        const ssize_t n = ::pwrite(fd, dati.data(), dati.size(), posizione);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        dati.remove_prefix(static_cast<std::size_t>(n));
        posizione += n;
    }
    return true;
}

// The bytes that the new content is about to overwrite, so that a failure part-way can
// put them back. Without read permission there is nothing to keep.
std::string daSalvare(int fd, std::size_t quanti)
{
    std::string vecchio(quanti, '\0');
    std::size_t letti = 0;
    while (letti < quanti) {
        const ssize_t n =
            ::pread(fd, vecchio.data() + letti, quanti - letti, static_cast<off_t>(letti));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        letti += static_cast<std::size_t>(n);
    }
    vecchio.resize(letti);
    return vecchio;
}

void scriviSulPosto(const std::filesystem::path &percorso, std::string_view contenuto,
                    int erroreTemporaneo)
{
    int fd = ::open(percorso.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0 && errno == EACCES)
        fd = ::open(percorso.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        // The file does not exist either: the directory's refusal is the real cause.
        throw ErroreFile::daErrno(percorso, errno == ENOENT ? erroreTemporaneo : errno);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int errore = errno;
        ::close(fd);
        throw ErroreFile::daErrno(percorso, errore);
    }
    // A small file is kept whole, so that even a failure after cutting its tail can be undone.
    const auto dimensione = static_cast<std::size_t>(st.st_size);
    const std::string vecchio = daSalvare(
        fd, dimensione <= 64 * 1024 ? dimensione : std::min(contenuto.size(), dimensione));

    // Overwrite first and cut the tail afterwards: overwriting bytes that exist needs no
    // new space on the disk, and on failure the old bytes go back where they were.
    int errore = 0;
    if (!scriviTuttoDa(fd, contenuto, 0) ||
        ::ftruncate(fd, static_cast<off_t>(contenuto.size())) != 0 || ::fsync(fd) != 0)
        errore = errno;
    if (errore != 0) {
        if (::ftruncate(fd, st.st_size) == 0 && scriviTuttoDa(fd, vecchio, 0))
            ::fsync(fd);
    }
    if (::close(fd) != 0 && errore == 0)
        errore = errno;
    if (errore != 0)
        throw ErroreFile::daErrno(percorso, errore);
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
