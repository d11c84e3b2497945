// SPDX-License-Identifier: GPL-3.0-or-later
// The file layer on POSIX systems.
#include "sistema/file.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <iconv.h>
#include <langinfo.h>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace legge {

class AccessoNativo {
public:
    // Leaves errno as the call that made `fd` set it, for the caller to read.
    static FileAperto proprio(int fd, const std::filesystem::path &percorso)
    {
        const int errore = errno;
        FileAperto file(fd, percorso, true);
        errno = errore;
        return file;
    }
    static FileAperto prestato(int fd, std::string_view nome)
    {
        return FileAperto(fd, std::filesystem::path(nome), false);
    }
    static int fd(const FileAperto &file) { return static_cast<int>(file.m_nativo); }
    // Closes at once, for a caller that must know whether the written bytes made it:
    // 0 or an errno value.
    static int chiudi(FileAperto &file) noexcept
    {
        file.m_proprio = false;
        return ::close(static_cast<int>(std::exchange(file.m_nativo, -1))) == 0 ? 0 : errno;
    }
};

namespace {

// Shortest way to throw for the call that just failed.
[[noreturn]] void lancia(const std::filesystem::path &percorso, int codice = errno)
{
    throw ErroreFile::daSistema(percorso, codice);
}

// 0 or the errno value of the first failed write.
int scriviDa(int fd, std::string_view dati, off_t posizione)
{
    while (!dati.empty()) {
        const ssize_t n = ::pwrite(fd, dati.data(), dati.size(), posizione);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        dati.remove_prefix(static_cast<std::size_t>(n));
        posizione += n;
    }
    return 0;
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

// Overwrites the file where it stands: the only way to reach every one of its names, and
// the last resort where the directory takes no new file.
void scriviSulPosto(const std::filesystem::path &percorso,
                    const std::filesystem::path &destinazione, std::string_view contenuto,
                    int erroreTemporaneo)
{
    // Non-blocking so that a FIFO put there meanwhile cannot hold the write up.
    constexpr int Opzioni = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    int fd = ::open(destinazione.c_str(), O_RDWR | Opzioni);
    if (fd < 0 && errno == EACCES)
        fd = ::open(destinazione.c_str(), O_WRONLY | Opzioni);
    FileAperto file = AccessoNativo::proprio(fd, destinazione);
    if (!file) {
        // The file does not exist either: the directory's refusal is the real cause.
        lancia(percorso, errno == ENOENT && erroreTemporaneo != 0 ? erroreTemporaneo : errno);
    }
    struct stat st {};
    if (::fstat(AccessoNativo::fd(file), &st) != 0)
        lancia(percorso);
    if (!S_ISREG(st.st_mode))
        throw ErroreFile(percorso, "non è un file regolare: lo lascio com'è");
    // A small file is kept whole, so that even a failure after cutting its tail can be undone.
    const auto dimensione = static_cast<std::size_t>(st.st_size);
    const std::string vecchio =
        daSalvare(AccessoNativo::fd(file),
                  dimensione <= 64 * 1024 ? dimensione : std::min(contenuto.size(), dimensione));

    // Overwrite first and cut the tail afterwards: overwriting bytes that exist needs no
    // new space on the disk, and on failure the old bytes go back where they were.
    int errore = scriviDa(AccessoNativo::fd(file), contenuto, 0);
    if (errore == 0 &&
        ::ftruncate(AccessoNativo::fd(file), static_cast<off_t>(contenuto.size())) != 0)
        errore = errno;
    if (errore == 0 && ::fsync(AccessoNativo::fd(file)) != 0)
        errore = errno;
    if (errore != 0) {
        if (::ftruncate(AccessoNativo::fd(file), st.st_size) == 0 &&
            scriviDa(AccessoNativo::fd(file), vecchio, 0) == 0)
            ::fsync(AccessoNativo::fd(file));
    }
    const int chiusura = AccessoNativo::chiudi(file);
    if (errore == 0)
        errore = chiusura;
    if (errore != 0)
        lancia(percorso, errore);
}

// Where the content of `percorso` really lives: symbolic links are followed to the file
// they name, which need not exist yet.
std::filesystem::path destinazioneDi(const std::filesystem::path &percorso)
{
    std::filesystem::path attuale = percorso;
    for (int salti = 0;; ++salti) {
        struct stat st {};
        if (::lstat(attuale.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return attuale;
        if (salti == 40)
            lancia(percorso, ELOOP);
        std::string bersaglio(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096) + 1,
                              '\0');
        const ssize_t n = ::readlink(attuale.c_str(), bersaglio.data(), bersaglio.size());
        if (n < 0)
            lancia(percorso);
        bersaglio.resize(static_cast<std::size_t>(n));
        const std::filesystem::path collegato(bersaglio);
        attuale = collegato.is_absolute() ? collegato : attuale.parent_path() / collegato;
    }
}

std::string descriviTipo(mode_t modo)
{
    if (S_ISDIR(modo))
        return "è una cartella, non un file: la lascio com'è";
    if (S_ISFIFO(modo))
        return "è una FIFO, non un file: la lascio com'è";
    if (S_ISSOCK(modo))
        return "è un socket, non un file: lo lascio com'è";
    if (S_ISCHR(modo) || S_ISBLK(modo))
        return "è un dispositivo, non un file: lo lascio com'è";
    return "non è un file regolare: lo lascio com'è";
}

} // namespace

void FileAperto::chiudi() noexcept
{
    if (m_proprio && m_nativo >= 0)
        ::close(static_cast<int>(m_nativo));
    m_nativo = -1;
    m_proprio = false;
}

std::size_t FileAperto::leggi(char *dati, std::size_t dimensione)
{
    for (;;) {
        const ssize_t letti = ::read(static_cast<int>(m_nativo), dati, dimensione);
        if (letti >= 0)
            return static_cast<std::size_t>(letti);
        if (errno != EINTR)
            lancia(m_percorso);
    }
}

void FileAperto::scrivi(std::string_view dati)
{
    while (!dati.empty()) {
        const ssize_t n = ::write(static_cast<int>(m_nativo), dati.data(), dati.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            lancia(m_percorso);
        }
        dati.remove_prefix(static_cast<std::size_t>(n));
    }
}

void FileAperto::scriviTesto(std::string_view utf8)
{
    scrivi(utf8);
}

bool FileAperto::terminale() const
{
    return m_nativo >= 0 && ::isatty(static_cast<int>(m_nativo)) == 1;
}

FileAperto ApriFileDati(const std::filesystem::path &percorso)
{
    // Non-blocking only so that opening a FIFO returns at once; regular files ignore it.
    FileAperto file = AccessoNativo::proprio(
        ::open(percorso.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK), percorso);
    if (!file) {
        if (errno == ENOENT)
            return {};
        lancia(percorso);
    }
    struct stat st {};
    if (::fstat(AccessoNativo::fd(file), &st) != 0)
        lancia(percorso);
    if (S_ISDIR(st.st_mode))
        lancia(percorso, EISDIR);
    if (!S_ISREG(st.st_mode))
        throw ErroreFile(percorso, "non è un file regolare");
    // Reads then block again, as a regular file's always may.
    const int flag = ::fcntl(AccessoNativo::fd(file), F_GETFL);
    if (flag >= 0)
        ::fcntl(AccessoNativo::fd(file), F_SETFL, flag & ~O_NONBLOCK);
    return file;
}

FileAperto ApriInLettura(const std::filesystem::path &percorso)
{
    const int fd = ::open(percorso.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        lancia(percorso);
    return AccessoNativo::proprio(fd, percorso);
}

void CreaFileVuoto(const std::filesystem::path &percorso)
{
    const FileAperto file = AccessoNativo::proprio(
        ::open(percorso.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666), percorso);
    if (!file && errno != EEXIST)
        lancia(percorso);
}

void SostituisciFile(const std::filesystem::path &percorso, std::string_view contenuto)
{
    if (percorso.empty())
        lancia(percorso, ENOENT);
    const std::filesystem::path destinazione = destinazioneDi(percorso);
    struct stat st {};
    const bool esiste = ::stat(destinazione.c_str(), &st) == 0;
    if (!esiste && errno != ENOENT)
        lancia(percorso);
    if (esiste && !S_ISREG(st.st_mode))
        throw ErroreFile(percorso, descriviTipo(st.st_mode));
    if (esiste && st.st_nlink > 1) {
        scriviSulPosto(percorso, destinazione, contenuto, 0);
        return;
    }

    const std::filesystem::path cartella =
        destinazione.has_parent_path() ? destinazione.parent_path() : std::filesystem::path(".");
    std::string nascosto(1, '.');
    nascosto += destinazione.filename().string();
    nascosto += ".XXXXXX";
    std::string modello = (cartella / nascosto).string();
    FileAperto temporaneo = AccessoNativo::proprio(::mkostemp(modello.data(), O_CLOEXEC), modello);
    if (!temporaneo) {
        const int errore = errno;
        if (errore == EACCES || errore == EPERM) {
            scriviSulPosto(percorso, destinazione, contenuto, errore);
            return;
        }
        lancia(percorso, errore);
    }

    mode_t permessi = 0;
    if (esiste) {
        permessi = st.st_mode & 07777;
        // Owner and group first: changing them may clear the set-id bits. Whoever may not
        // give the file away may still keep its group, if they belong to it.
        if (::fchown(AccessoNativo::fd(temporaneo), st.st_uid, st.st_gid) != 0 &&
            ::fchown(AccessoNativo::fd(temporaneo), static_cast<uid_t>(-1), st.st_gid) != 0) {
            // Not a reason to refuse the write: the new file then has our own group.
        }
    } else {
        // mkstemp creates 0600; a new file should get what open(2) would have given it.
        const mode_t maschera = ::umask(0);
        ::umask(maschera);
        permessi = 0666 & ~maschera;
    }
    int errore = ::fchmod(AccessoNativo::fd(temporaneo), permessi) == 0 ? 0 : errno;
    if (errore == 0)
        errore = scriviDa(AccessoNativo::fd(temporaneo), contenuto, 0);
    if (errore == 0 && ::fsync(AccessoNativo::fd(temporaneo)) != 0)
        errore = errno;
    const int chiusura = AccessoNativo::chiudi(temporaneo);
    if (errore == 0)
        errore = chiusura;
    if (errore == 0 && ::rename(modello.c_str(), destinazione.c_str()) != 0)
        errore = errno;
    if (errore != 0) {
        ::unlink(modello.c_str());
        lancia(percorso, errore);
    }
    // Make the rename itself durable; failing here loses nothing that was not already
    // visible, so it is not worth an error.
    const FileAperto dirCartella = AccessoNativo::proprio(
        ::open(cartella.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), cartella);
    if (dirCartella)
        ::fsync(AccessoNativo::fd(dirCartella));
}

FileAperto &IngressoStandard()
{
    static FileAperto file = AccessoNativo::prestato(STDIN_FILENO, NomeIngressoStandard);
    return file;
}

FileAperto &UscitaStandard()
{
    static FileAperto file = AccessoNativo::prestato(STDOUT_FILENO, NomeUscitaStandard);
    return file;
}

FileAperto &ErroreStandard()
{
    static FileAperto file = AccessoNativo::prestato(STDERR_FILENO, NomeErroreStandard);
    return file;
}

std::string MotivoDiSistema(int codice)
{
    // The system writes its reasons in the encoding of the user's locale; messages are
    // UTF-8 everywhere else, so anything else is converted here, once.
    std::string motivo = std::system_category().message(codice);
    const std::string_view codifica = ::nl_langinfo(CODESET);
    if (codifica == "UTF-8" || std::all_of(motivo.begin(), motivo.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x80;
        }))
        return motivo;
    const iconv_t conversione = ::iconv_open("UTF-8", std::string(codifica).c_str());
    if (conversione == reinterpret_cast<iconv_t>(-1)) {
        // Better a question mark than a byte that breaks the line around it.
        std::replace_if(
            motivo.begin(), motivo.end(),
            [](char c) { return static_cast<unsigned char>(c) >= 0x80; }, '?');
        return motivo;
    }
    std::string utf8(motivo.size() * 4, '\0');
    char *ingresso = motivo.data();
    std::size_t restanti = motivo.size();
    char *uscita = utf8.data();
    std::size_t spazio = utf8.size();
    while (restanti > 0) {
        if (::iconv(conversione, &ingresso, &restanti, &uscita, &spazio) !=
            static_cast<std::size_t>(-1))
            continue;
        // A byte the encoding does not define: skip it, keep the rest.
        if (spazio == 0)
            break;
        *uscita++ = '?';
        --spazio;
        ++ingresso;
        --restanti;
    }
    ::iconv_close(conversione);
    utf8.resize(utf8.size() - spazio);
    return utf8;
}

std::string MotivoFileMancante()
{
    return MotivoDiSistema(ENOENT);
}

std::vector<std::string> ArgomentiUtf8(int argc, char **argv)
{
    return std::vector<std::string>(argv, argv + argc);
}

MomentoLocale OraLocale()
{
    const std::time_t adesso = std::time(nullptr);
    std::tm locale{};
    ::localtime_r(&adesso, &locale);
    return {locale.tm_year + 1900, locale.tm_mon + 1, locale.tm_mday,
            locale.tm_hour * 3600 + locale.tm_min * 60 + locale.tm_sec};
}

} // namespace legge
