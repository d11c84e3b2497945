// SPDX-License-Identifier: GPL-3.0-or-later
// The system's primitives on POSIX systems, and the file handle's own calls.
#include "sistema/argomenti.h"
#include "sistema/blocco.h"
#include "sistema/cartelle.h"
#include "sistema/file.h"
#include "sistema/nativo.h"
#include "sistema/utf8.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include <cstdio>
#include <fcntl.h>
#include <iconv.h>
#include <langinfo.h>
#include <optional>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <system_error>
#include <time.h>
#include <unistd.h>

namespace legge {

namespace {

int fd(const FileAperto &file)
{
    return static_cast<int>(AccessoNativo::nativo(file));
}

int fd(nativo::Maniglia maniglia)
{
    return static_cast<int>(maniglia);
}

// Shortest way to throw for the call that just failed.
[[noreturn]] void lancia(const std::filesystem::path &percorso, int codice = errno)
{
    throw ErroreFile::daSistema(percorso, codice);
}

// A refusal, for anything at the path that is not a regular file.
ErroreFile::Tipo tipoDi(mode_t modo)
{
    if (S_ISDIR(modo))
        return ErroreFile::Tipo::Cartella;
    if (S_ISFIFO(modo))
        return ErroreFile::Tipo::Fifo;
    if (S_ISSOCK(modo))
        return ErroreFile::Tipo::Socket;
    if (S_ISCHR(modo) || S_ISBLK(modo))
        return ErroreFile::Tipo::Dispositivo;
    return ErroreFile::Tipo::NonRegolare;
}

// Where the content of `percorso` really lives: symbolic links are followed to the file
// they name, which need not exist yet.
int destinazioneDi(const std::filesystem::path &percorso, std::filesystem::path &attuale)
{
    attuale = percorso;
    for (int salti = 0;; ++salti) {
        struct stat st {};
        if (::lstat(attuale.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return 0;
        if (salti == 40)
            return ELOOP;
        std::string bersaglio(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096) + 1,
                              '\0');
        const ssize_t n = ::readlink(attuale.c_str(), bersaglio.data(), bersaglio.size());
        if (n < 0)
            return errno;
        bersaglio.resize(static_cast<std::size_t>(n));
        const std::filesystem::path collegato(bersaglio);
        attuale = collegato.is_absolute() ? collegato : attuale.parent_path() / collegato;
    }
}

std::filesystem::path cartellaDi(const std::filesystem::path &file)
{
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

std::optional<std::string_view> variabile(const char *nome)
{
    const char *valore = std::getenv(nome);
    return valore ? std::optional<std::string_view>(valore) : std::nullopt;
}

// The length of the UTF-8 character at `testo[i]`, or 0 when none starts there.
std::size_t carattereUtf8(std::string_view testo, std::size_t i)
{
    char32_t c = 0;
    return DecodificaUtf8(testo, i, c);
}

// `testo` from the encoding of the user's locale into UTF-8; nothing when that encoding is
// UTF-8 itself or does not take every byte.
std::optional<std::string> dallaCodificaLocale(std::string testo)
{
    const std::string_view codifica = ::nl_langinfo(CODESET);
    if (codifica == "UTF-8")
        return std::nullopt;
    const iconv_t conversione = ::iconv_open("UTF-8", std::string(codifica).c_str());
    if (conversione == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::string utf8(testo.size() * 4, '\0');
    char *ingresso = testo.data();
    std::size_t restanti = testo.size();
    char *uscita = utf8.data();
    std::size_t spazio = utf8.size();
    const bool riuscita = ::iconv(conversione, &ingresso, &restanti, &uscita, &spazio) !=
                          static_cast<std::size_t>(-1);
    ::iconv_close(conversione);
    if (!riuscita)
        return std::nullopt;
    utf8.resize(utf8.size() - spazio);
    return utf8;
}

} // namespace

std::string PercorsoMostrabile(const std::filesystem::path &percorso)
{
    const std::string &byte = percorso.native();
    bool utf8 = true;
    for (std::size_t i = 0, n; i < byte.size() && utf8; i += n)
        utf8 = (n = carattereUtf8(byte, i)) != 0;
    if (utf8)
        return byte;
    if (auto convertito = dallaCodificaLocale(byte))
        return *convertito;
    std::string mostrabile;
    for (std::size_t i = 0; i < byte.size();) {
        if (const std::size_t n = carattereUtf8(byte, i)) {
            mostrabile.append(byte, i, n);
            i += n;
        } else {
            char codice[8];
            std::snprintf(codice, sizeof codice, "\\x%02X", static_cast<unsigned char>(byte[i]));
            mostrabile += codice;
            ++i;
        }
    }
    return mostrabile;
}

// ---- The file handle ----

std::size_t FileAperto::leggi(char *dati, std::size_t dimensione)
{
    for (;;) {
        const ssize_t letti = ::read(fd(*this), dati, dimensione);
        if (letti >= 0)
            return static_cast<std::size_t>(letti);
        if (errno != EINTR)
            lancia(m_percorso);
    }
}

void FileAperto::scrivi(std::string_view dati)
{
    while (!dati.empty()) {
        const ssize_t n = ::write(fd(*this), dati.data(), dati.size());
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
    return m_nativo >= 0 && ::isatty(fd(*this)) == 1;
}

FileAperto ApriFileDati(const std::filesystem::path &percorso)
{
    // Non-blocking only so that opening a FIFO returns at once; regular files ignore it.
    nativo::Aperto file(::open(percorso.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.valido()) {
        if (errno == ENOENT)
            return {};
        lancia(percorso);
    }
    struct stat st {};
    if (::fstat(fd(file.get()), &st) != 0)
        lancia(percorso);
    if (S_ISDIR(st.st_mode))
        lancia(percorso, EISDIR);
    if (!S_ISREG(st.st_mode))
        throw ErroreFile(percorso, ErroreFile::Tipo::NonRegolare);
    // Reads then block again, as a regular file's always may.
    const int flag = ::fcntl(fd(file.get()), F_GETFL);
    if (flag >= 0)
        ::fcntl(fd(file.get()), F_SETFL, flag & ~O_NONBLOCK);
    return AccessoNativo::proprio(file.rilascia(), percorso);
}

FileAperto ApriInLettura(const std::filesystem::path &percorso, const Attesa &attesa)
{
    const int aperto = ::open(percorso.c_str(), O_RDONLY | O_CLOEXEC);
    if (aperto < 0)
        lancia(percorso);
    FileAperto file = AccessoNativo::proprio(aperto, percorso);
    BloccaPerLeggere(file, attesa);
    return file;
}

void CreaFileVuoto(const std::filesystem::path &percorso)
{
    const nativo::Aperto file(
        ::open(percorso.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!file.valido() && errno != EEXIST)
        lancia(percorso);
}

std::vector<std::string> ArgomentiUtf8(int argc, char **argv)
{
    return std::vector<std::string>(argv, argv + argc);
}

// ---- Folders ----

std::filesystem::path CartellaDatiUtente()
{
    return CartellaXdg("XDG_DATA_HOME", variabile("XDG_DATA_HOME"), variabile("HOME"),
                       ".local/share");
}

std::filesystem::path CartellaConfigurazioneUtente()
{
    return CartellaXdg("XDG_CONFIG_HOME", variabile("XDG_CONFIG_HOME"), variabile("HOME"),
                       ".config");
}

std::filesystem::path ProgrammaInEsecuzione()
{
    // Linux names it here; elsewhere the caller gets nothing and says what is missing.
    std::string percorso(4096, '\0');
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", percorso.data(), percorso.size());
        if (n < 0)
            return {};
        if (static_cast<std::size_t>(n) < percorso.size()) {
            percorso.resize(static_cast<std::size_t>(n));
            return percorso;
        }
        percorso.resize(percorso.size() * 2);
    }
}

// ---- The primitives ----

namespace nativo {

Codice Chiudi(Maniglia maniglia) noexcept
{
    return ::close(fd(maniglia)) == 0 ? 0 : errno;
}

bool DaCompletare(const std::filesystem::path &)
{
    return true;
}

Codice CodiceMancante()
{
    return ENOENT;
}

bool Mancante(Codice codice)
{
    return codice == ENOENT;
}

bool RifiutoDellaCartella(Codice codice)
{
    return codice == EACCES || codice == EPERM;
}

bool TrattenutoDaAltri(Codice /*codice*/)
{
    // Nothing keeps a POSIX file from being renamed over.
    return false;
}

std::string MotivoDiSistema(Codice codice)
{
    // The system writes its reasons in the encoding of the user's locale; messages are
    // UTF-8 everywhere else, so anything else is converted here, once.
    std::string motivo = std::system_category().message(codice);
    if (std::string_view(::nl_langinfo(CODESET)) == "UTF-8" ||
        std::all_of(motivo.begin(), motivo.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return motivo;
    if (auto utf8 = dallaCodificaLocale(motivo))
        return *utf8;
    // Better a question mark than a byte that breaks the line around it.
    std::replace_if(
        motivo.begin(), motivo.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; },
        '?');
    return motivo;
}

Codice StatoDi(const std::filesystem::path &percorso, Stato &stato)
{
    if (percorso.empty())
        return ENOENT;
    if (const Codice errore = destinazioneDi(percorso, stato.destinazione))
        return errore;
    stato.collegamento = stato.destinazione != percorso;
    struct stat st {};
    if (::stat(stato.destinazione.c_str(), &st) != 0)
        return errno == ENOENT ? 0 : errno;
    stato.esiste = true;
    if (!S_ISREG(st.st_mode))
        stato.nonFile = tipoDi(st.st_mode);
    stato.dimensione = static_cast<std::uint64_t>(st.st_size);
    stato.piuNomi = st.st_nlink > 1;
    stato.modo = st.st_mode & 07777;
    stato.proprietario = st.st_uid;
    stato.gruppo = st.st_gid;
    return 0;
}

Codice ApriSulPosto(const std::filesystem::path &destinazione, Aperto &file)
{
    // Non-blocking so that a FIFO put there meanwhile cannot hold the write up.
    constexpr int Opzioni = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    file = ::open(destinazione.c_str(), O_RDWR | Opzioni);
    if (!file.valido() && errno == EACCES)
        file = ::open(destinazione.c_str(), O_WRONLY | Opzioni);
    return file.valido() ? 0 : errno;
}

Codice Descrivi(Maniglia file, std::uint64_t &dimensione, std::optional<ErroreFile::Tipo> &nonFile)
{
    struct stat st {};
    if (::fstat(fd(file), &st) != 0)
        return errno;
    // Whatever it turned out to be, it is not the regular file that was there a moment ago.
    if (!S_ISREG(st.st_mode))
        nonFile = ErroreFile::Tipo::NonRegolare;
    dimensione = static_cast<std::uint64_t>(st.st_size);
    return 0;
}

std::string LeggiDallInizio(Maniglia file, std::size_t quanti)
{
    std::string dati(quanti, '\0');
    std::size_t letti = 0;
    while (letti < quanti) {
        const ssize_t n =
            ::pread(fd(file), dati.data() + letti, quanti - letti, static_cast<off_t>(letti));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        letti += static_cast<std::size_t>(n);
    }
    dati.resize(letti);
    return dati;
}

Codice ScriviDa(Maniglia file, std::string_view dati, std::uint64_t posizione)
{
    while (!dati.empty()) {
        const ssize_t n =
            ::pwrite(fd(file), dati.data(), dati.size(), static_cast<off_t>(posizione));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        dati.remove_prefix(static_cast<std::size_t>(n));
        posizione += static_cast<std::uint64_t>(n);
    }
    return 0;
}

Codice Tronca(Maniglia file, std::uint64_t lunghezza)
{
    return ::ftruncate(fd(file), static_cast<off_t>(lunghezza)) == 0 ? 0 : errno;
}

Codice Sincronizza(Maniglia file)
{
    return ::fsync(fd(file)) == 0 ? 0 : errno;
}

Codice ProvaABloccare(Maniglia file, bool esclusivo)
{
    // flock, not fcntl: a lock of the open file itself, which closing any other descriptor
    // of the same file in this process does not drop.
    while (::flock(fd(file), (esclusivo ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        if (errno != EINTR)
            return errno;
    }
    return 0;
}

bool Occupato(Codice codice)
{
    return codice == EWOULDBLOCK || codice == EAGAIN;
}

TitolareBlocco ChiBlocca(Maniglia file)
{
    TitolareBlocco titolare;
    struct stat st {};
    if (::fstat(fd(file), &st) != 0)
        return titolare;
    // Each line: "1: FLOCK  ADVISORY  WRITE 4321 08:01:1234 0 EOF"; a waiter's has "->"
    // after the number. The device is in hex, major and minor.
    std::FILE *blocchi = std::fopen("/proc/locks", "re");
    if (blocchi == nullptr)
        return titolare;
    char riga[256];
    const auto inode = static_cast<unsigned long long>(st.st_ino);
    long long trovato = 0;
    while (std::fgets(riga, sizeof riga, blocchi) != nullptr) {
        char tipo[16], modo[16], accesso[16];
        long long processo = 0;
        unsigned maggiore = 0, minore = 0;
        unsigned long long numero = 0;
        if (std::sscanf(riga, "%*d: %15s %15s %15s %lld %x:%x:%llu", tipo, modo, accesso, &processo,
                        &maggiore, &minore, &numero) != 7 ||
            std::string_view(tipo) != "FLOCK" || numero != inode || processo <= 0)
            continue;
        // Some file systems (btrfs) show another device here than stat does: the inode
        // alone serves when no line names both.
        if (trovato == 0)
            trovato = processo;
        if (maggiore == major(st.st_dev) && minore == minor(st.st_dev)) {
            trovato = processo;
            break;
        }
    }
    std::fclose(blocchi);
    if (trovato == 0)
        return titolare;
    titolare.processo = static_cast<std::uint64_t>(trovato);
    const std::string comm = "/proc/" + std::to_string(trovato) + "/comm";
    if (std::FILE *nome = std::fopen(comm.c_str(), "re")) {
        char programma[64] = {};
        if (std::fgets(programma, sizeof programma, nome) != nullptr) {
            titolare.programma = programma;
            if (!titolare.programma.empty() && titolare.programma.back() == '\n')
                titolare.programma.pop_back();
        }
        std::fclose(nome);
    }
    return titolare;
}

bool PiuNomi(Maniglia file)
{
    struct stat st {};
    return ::fstat(fd(file), &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink > 1;
}

void Dormi(std::chrono::milliseconds durata)
{
    struct timespec quanto {};
    quanto.tv_sec = static_cast<time_t>(durata.count() / 1000);
    quanto.tv_nsec = static_cast<long>(durata.count() % 1000) * 1000000L;
    while (::nanosleep(&quanto, &quanto) != 0 && errno == EINTR) {
    }
}

Codice IdentitaDi(Maniglia file, Identita &identita)
{
    struct stat st {};
    if (::fstat(fd(file), &st) != 0)
        return errno;
    identita = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    return 0;
}

Codice IdentitaDi(const std::filesystem::path &percorso, Identita &identita)
{
    struct stat st {};
    if (::stat(percorso.c_str(), &st) != 0)
        return errno;
    identita = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    return 0;
}

Codice CreaTemporaneo(const Stato &stato, Aperto &file, std::filesystem::path &nome)
{
    std::string nascosto(1, '.');
    nascosto += stato.destinazione.filename().string();
    nascosto += ".XXXXXX";
    std::string modello = (cartellaDi(stato.destinazione) / nascosto).string();
    file = ::mkostemp(modello.data(), O_CLOEXEC);
    if (!file.valido())
        return errno;
    nome = modello;
    return 0;
}

Codice ConservaAttributi(Maniglia file, const Stato &stato)
{
    mode_t permessi = 0;
    if (stato.esiste) {
        permessi = static_cast<mode_t>(stato.modo);
        // Owner and group first: changing them may clear the set-id bits. Whoever may not
        // give the file away may still keep its group, if they belong to it.
        if (::fchown(fd(file), stato.proprietario, stato.gruppo) != 0 &&
            ::fchown(fd(file), static_cast<uid_t>(-1), stato.gruppo) != 0) {
            // Not a reason to refuse the write: the new file then has our own group.
        }
    } else {
        // mkstemp creates 0600; a new file should get what open(2) would have given it.
        const mode_t maschera = ::umask(0);
        ::umask(maschera);
        permessi = 0666 & ~maschera;
    }
    return ::fchmod(fd(file), permessi | S_IRUSR | S_IWUSR) == 0 ? 0 : errno;
}

void ApriAlProprietario(Maniglia file)
{
    struct stat st {};
    if (::fstat(fd(file), &st) == 0 && (st.st_mode & (S_IRUSR | S_IWUSR)) != (S_IRUSR | S_IWUSR))
        ::fchmod(fd(file), (st.st_mode & 07777) | S_IRUSR | S_IWUSR);
}

Codice Rinomina(const std::filesystem::path &da, const std::filesystem::path &a)
{
    return ::rename(da.c_str(), a.c_str()) == 0 ? 0 : errno;
}

void Rimuovi(const std::filesystem::path &percorso)
{
    ::unlink(percorso.c_str());
}

void SincronizzaCartella(const std::filesystem::path &file)
{
    const Aperto cartella(::open(cartellaDi(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (cartella.valido())
        ::fsync(fd(cartella.get()));
}

Codice CreaCartella(const std::filesystem::path &cartella)
{
    return ::mkdir(cartella.c_str(), 0777) == 0 ? 0 : errno;
}

bool GiaPresente(Codice codice)
{
    return codice == EEXIST;
}

Codice RimuoviFile(const std::filesystem::path &percorso)
{
    return ::unlink(percorso.c_str()) == 0 ? 0 : errno;
}

Codice CartellaCorrente(std::filesystem::path &cartella)
{
    std::error_code errore;
    cartella = std::filesystem::current_path(errore);
    return errore.value();
}

Codice Assoluto(const std::filesystem::path &percorso, std::filesystem::path &assoluto)
{
    std::error_code errore;
    assoluto = std::filesystem::absolute(percorso, errore);
    return errore.value();
}

Maniglia FlussoStandard(int quale)
{
    return quale == 0 ? STDIN_FILENO : quale == 1 ? STDOUT_FILENO : STDERR_FILENO;
}

void TempoLocale(std::time_t istante, std::tm &locale)
{
    ::localtime_r(&istante, &locale);
}

} // namespace nativo

} // namespace legge
