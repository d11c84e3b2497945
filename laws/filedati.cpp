#include "laws/filedati.h"

#include "laws/errorefile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace legge {

int ApriFileDati(const std::filesystem::path &percorso)
{
    // Non-blocking only so that opening a FIFO returns at once; regular files ignore it.
    const int fd = ::open(percorso.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT)
            return -1;
        throw ErroreFile::daErrno(percorso, errno);
    }
    struct stat st {};
    const int esito = ::fstat(fd, &st);
    const int errore = errno;
    if (esito == 0 && S_ISREG(st.st_mode))
        return fd;
    ::close(fd);
    if (esito != 0)
        throw ErroreFile::daErrno(percorso, errore);
    if (S_ISDIR(st.st_mode))
        throw ErroreFile::daErrno(percorso, EISDIR);
    throw ErroreFile(percorso, "non è un file regolare");
}

} // namespace legge
