// SPDX-License-Identifier: GPL-3.0-or-later
// The file layer on Windows. Paths reach the system as UTF-16 and bytes as they are: no
// C runtime stream, hence no text mode (which would turn LF into CR LF and stop reading at
// byte 0x1A), and no code page but UTF-8 between here and the rest of the program.
#include "sistema/file.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <utility>

namespace legge {

class AccessoNativo {
public:
    static FileAperto proprio(HANDLE maniglia, const std::filesystem::path &percorso)
    {
        return FileAperto(reinterpret_cast<std::intptr_t>(maniglia), percorso, true);
    }
    static FileAperto prestato(DWORD flusso, std::string_view nome)
    {
        return FileAperto(reinterpret_cast<std::intptr_t>(::GetStdHandle(flusso)),
                          std::filesystem::path(nome), false);
    }
    static HANDLE maniglia(const FileAperto &file)
    {
        return reinterpret_cast<HANDLE>(file.m_nativo);
    }
};

namespace {

// Every share mode: another program may read, write, rename or delete the file while we
// hold it, as it could on POSIX systems.
constexpr DWORD Condivisione = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The largest piece one ReadFile or WriteFile call takes.
constexpr std::size_t PezzoMassimo = 1u << 30;

[[noreturn]] void lancia(const std::filesystem::path &percorso, DWORD codice = ::GetLastError())
{
    throw ErroreFile::daSistema(percorso, static_cast<int>(codice));
}

// Closes on leaving scope; for handles that never leave this file.
class Maniglia {
public:
    explicit Maniglia(HANDLE maniglia) noexcept : m_maniglia(maniglia) {}
    ~Maniglia()
    {
        if (valida())
            ::CloseHandle(m_maniglia);
    }
    Maniglia(const Maniglia &) = delete;
    Maniglia &operator=(const Maniglia &) = delete;
    bool valida() const noexcept { return m_maniglia != INVALID_HANDLE_VALUE; }
    HANDLE get() const noexcept { return m_maniglia; }
    HANDLE rilascia() noexcept { return std::exchange(m_maniglia, INVALID_HANDLE_VALUE); }
    // Closes now, so that the error of a close after writing is seen; 0 or the error code.
    DWORD chiudi() noexcept
    {
        return ::CloseHandle(std::exchange(m_maniglia, INVALID_HANDLE_VALUE)) ? 0
                                                                              : ::GetLastError();
    }

private:
    HANDLE m_maniglia;
};

std::string utf8(std::wstring_view testo)
{
    if (testo.empty())
        return {};
    const int lunghezza = ::WideCharToMultiByte(
        CP_UTF8, 0, testo.data(), static_cast<int>(testo.size()), nullptr, 0, nullptr, nullptr);
    std::string risultato(static_cast<std::size_t>(lunghezza), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, testo.data(), static_cast<int>(testo.size()),
                          risultato.data(), lunghezza, nullptr, nullptr);
    return risultato;
}

std::wstring utf16(std::string_view testo)
{
    if (testo.empty())
        return {};
    const int lunghezza =
        ::MultiByteToWideChar(CP_UTF8, 0, testo.data(), static_cast<int>(testo.size()), nullptr, 0);
    std::wstring risultato(static_cast<std::size_t>(lunghezza), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, testo.data(), static_cast<int>(testo.size()),
                          risultato.data(), lunghezza);
    return risultato;
}

bool console(HANDLE maniglia)
{
    DWORD modo = 0;
    return ::GetConsoleMode(maniglia, &modo) != 0;
}

bool mancante(DWORD codice)
{
    return codice == ERROR_FILE_NOT_FOUND || codice == ERROR_PATH_NOT_FOUND;
}

// 0 or the error code of the first failed write.
DWORD scriviTutto(HANDLE maniglia, std::string_view dati)
{
    while (!dati.empty()) {
        DWORD scritti = 0;
        const auto pezzo = static_cast<DWORD>(std::min(dati.size(), PezzoMassimo));
        if (!::WriteFile(maniglia, dati.data(), pezzo, &scritti, nullptr))
            return ::GetLastError();
        dati.remove_prefix(scritti);
    }
    return 0;
}

bool vaiA(HANDLE maniglia, std::uint64_t posizione)
{
    LARGE_INTEGER dove{};
    dove.QuadPart = static_cast<LONGLONG>(posizione);
    return ::SetFilePointerEx(maniglia, dove, nullptr, FILE_BEGIN) != 0;
}

// 0 or the error code: the file ends after `dati`, written from its first byte.
DWORD riscriviDaCapo(HANDLE maniglia, std::string_view dati)
{
    if (!vaiA(maniglia, 0))
        return ::GetLastError();
    if (const DWORD errore = scriviTutto(maniglia, dati))
        return errore;
    return ::SetEndOfFile(maniglia) ? 0 : ::GetLastError();
}

// The bytes that the new content is about to overwrite, so that a failure part-way can
// put them back. Without read access there is nothing to keep.
std::string daSalvare(HANDLE maniglia, std::size_t quanti)
{
    std::string vecchio(quanti, '\0');
    std::size_t letti = 0;
    while (letti < quanti && vaiA(maniglia, letti)) {
        DWORD n = 0;
        const auto pezzo = static_cast<DWORD>(std::min(quanti - letti, PezzoMassimo));
        if (!::ReadFile(maniglia, vecchio.data() + letti, pezzo, &n, nullptr) || n == 0)
            break;
        letti += n;
    }
    vecchio.resize(letti);
    return vecchio;
}

std::string descriviTipo(DWORD tipo)
{
    if (tipo == FILE_TYPE_CHAR)
        return "è un dispositivo, non un file: lo lascio com'è";
    if (tipo == FILE_TYPE_PIPE)
        return "è una pipe, non un file: la lascio com'è";
    return "non è un file regolare: lo lascio com'è";
}

const char *const Cartella = "è una cartella, non un file: la lascio com'è";

// Overwrites the file where it stands: the only way to reach every one of its names, the
// way past a handle that keeps it from being replaced, and the last resort where the
// directory takes no new file.
void scriviSulPosto(const std::filesystem::path &percorso,
                    const std::filesystem::path &destinazione, std::string_view contenuto,
                    DWORD erroreTemporaneo)
{
    const auto apri = [&](DWORD accesso) {
        return ::CreateFileW(destinazione.c_str(), accesso, Condivisione, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE maniglia = apri(GENERIC_READ | GENERIC_WRITE);
    if (maniglia == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_ACCESS_DENIED)
        maniglia = apri(GENERIC_WRITE);
    Maniglia file(maniglia);
    if (!file.valida()) {
        const DWORD errore = ::GetLastError();
        // The file does not exist either: the directory's refusal is the real cause.
        lancia(percorso, mancante(errore) && erroreTemporaneo != 0 ? erroreTemporaneo : errore);
    }
    if (const DWORD tipo = ::GetFileType(file.get()); tipo != FILE_TYPE_DISK)
        throw ErroreFile(percorso, descriviTipo(tipo));
    LARGE_INTEGER grandezza{};
    if (!::GetFileSizeEx(file.get(), &grandezza))
        lancia(percorso);
    // A small file is kept whole, so that even a failure after cutting its tail can be undone.
    const auto dimensione = static_cast<std::size_t>(grandezza.QuadPart);
    const std::string vecchio = daSalvare(
        file.get(), dimensione <= 64 * 1024 ? dimensione : std::min(contenuto.size(), dimensione));

    DWORD errore = riscriviDaCapo(file.get(), contenuto);
    if (errore == 0 && !::FlushFileBuffers(file.get()))
        errore = ::GetLastError();
    if (errore != 0) {
        // Back to the old length first, so that the old bytes never need new space.
        if (vaiA(file.get(), dimensione) && ::SetEndOfFile(file.get()) && vaiA(file.get(), 0) &&
            scriviTutto(file.get(), vecchio) == 0)
            ::FlushFileBuffers(file.get());
    }
    const DWORD chiusura = file.chiudi();
    if (errore == 0)
        errore = chiusura;
    if (errore != 0)
        lancia(percorso, errore);
}

// A name beside `destinazione` that nothing else uses, created empty by this call.
HANDLE creaTemporaneo(const std::filesystem::path &destinazione, DWORD attributi,
                      std::filesystem::path &nome)
{
    const std::filesystem::path cartella =
        destinazione.has_parent_path() ? destinazione.parent_path() : std::filesystem::path(L".");
    LARGE_INTEGER contatore{};
    ::QueryPerformanceCounter(&contatore);
    auto seme = static_cast<std::uint64_t>(contatore.QuadPart) ^
                (std::uint64_t{::GetCurrentProcessId()} << 32);
    for (int tentativo = 0; tentativo < 100; ++tentativo) {
        seme = seme * 6364136223846793005u + 1442695040888963407u;
        wchar_t suffisso[17];
        for (int i = 0; i < 16; ++i)
            suffisso[i] = L"0123456789abcdef"[(seme >> (i * 4)) & 0xF];
        suffisso[16] = L'\0';
        nome = cartella / (L"." + destinazione.filename().wstring() + L"." + suffisso);
        const HANDLE maniglia =
            ::CreateFileW(nome.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributi, nullptr);
        if (maniglia != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS)
            return maniglia;
    }
    return INVALID_HANDLE_VALUE;
}

// Something else (an antivirus, an indexer, another program) may hold the file for a
// moment; Wine refuses the replace for as long as any handle is open on it.
bool sostituisciRiprovando(const std::filesystem::path &temporaneo,
                           const std::filesystem::path &destinazione, DWORD &errore)
{
    for (int tentativo = 0;; ++tentativo) {
        if (::MoveFileExW(temporaneo.c_str(), destinazione.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        errore = ::GetLastError();
        if ((errore != ERROR_ACCESS_DENIED && errore != ERROR_SHARING_VIOLATION) || tentativo == 4)
            return false;
        ::Sleep(20);
    }
}

struct StatoFile {
    bool esiste = false;
    std::filesystem::path destinazione;
    DWORD attributi = 0;
    DWORD collegamenti = 0;
};

// What stands at `percorso`, with links followed to the file that holds the content.
StatoFile statoDi(const std::filesystem::path &percorso)
{
    StatoFile stato{false, percorso, 0, 0};
    // No access asked: this only looks, and works whoever holds the file.
    Maniglia file(::CreateFileW(percorso.c_str(), 0, Condivisione, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.valida()) {
        if (::GetLastError() == ERROR_FILE_NOT_FOUND)
            return stato;
        lancia(percorso);
    }
    if (const DWORD tipo = ::GetFileType(file.get()); tipo != FILE_TYPE_DISK)
        throw ErroreFile(percorso, descriviTipo(tipo));
    BY_HANDLE_FILE_INFORMATION informazioni{};
    if (!::GetFileInformationByHandle(file.get(), &informazioni))
        lancia(percorso);
    if (informazioni.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        throw ErroreFile(percorso, Cartella);
    stato.esiste = true;
    stato.attributi = informazioni.dwFileAttributes;
    stato.collegamenti = informazioni.nNumberOfLinks;
    const DWORD proprio = ::GetFileAttributesW(percorso.c_str());
    if (proprio != INVALID_FILE_ATTRIBUTES && (proprio & FILE_ATTRIBUTE_REPARSE_POINT)) {
        std::wstring finale(MAX_PATH, L'\0');
        for (;;) {
            const DWORD n = ::GetFinalPathNameByHandleW(file.get(), finale.data(),
                                                        static_cast<DWORD>(finale.size()),
                                                        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
            if (n == 0)
                lancia(percorso);
            if (n < finale.size()) {
                finale.resize(n);
                break;
            }
            finale.resize(n);
        }
        stato.destinazione = finale;
    }
    return stato;
}

// What is typed on a console, in UTF-8 and with LF line breaks. Its bytes would come in the
// console's code page, which may lack the very letters typed; its characters never do.
// Ctrl+Z ends the input, as it does for every console program.
std::size_t leggiConsole(HANDLE maniglia, char *dati, std::size_t dimensione,
                         const std::filesystem::path &percorso)
{
    // Only the one standard input can be a console: what a line gave beyond `dimensione`
    // waits here for the next call.
    static std::string resto;
    static std::wstring mezzo;
    static bool finita = false;
    while (resto.empty() && !finita) {
        wchar_t riga[4096];
        DWORD letti = 0;
        if (!::ReadConsoleW(maniglia, riga, 4096, &letti, nullptr))
            lancia(percorso);
        std::wstring testo(riga, letti);
        if (const auto fine = testo.find(L'\x1a'); fine != std::wstring::npos || letti == 0) {
            testo.resize(std::min(fine, testo.size()));
            finita = true;
        }
        // A character outside the first plane may come in two reads, one half in each.
        testo.insert(0, std::exchange(mezzo, {}));
        if (!finita && !testo.empty() && testo.back() >= 0xD800 && testo.back() <= 0xDBFF) {
            mezzo = testo.back();
            testo.pop_back();
        }
        std::erase(testo, L'\r');
        resto += utf8(testo);
    }
    const std::size_t quanti = std::min(dimensione, resto.size());
    resto.copy(dati, quanti);
    resto.erase(0, quanti);
    return quanti;
}

// INVALID_HANDLE_VALUE when nothing is there; any other failure throws.
HANDLE apriInLettura(const std::filesystem::path &percorso)
{
    const HANDLE file = ::CreateFileW(percorso.c_str(), GENERIC_READ, Condivisione, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        return file;
    const DWORD errore = ::GetLastError();
    if (mancante(errore))
        return INVALID_HANDLE_VALUE;
    // Windows opens no directory this way and calls it access denied; say what it is.
    const DWORD attributi = ::GetFileAttributesW(percorso.c_str());
    if (attributi != INVALID_FILE_ATTRIBUTES && (attributi & FILE_ATTRIBUTE_DIRECTORY))
        throw ErroreFile(percorso, "è una cartella, non un file");
    lancia(percorso, errore);
}

} // namespace

void FileAperto::chiudi() noexcept
{
    if (m_proprio && m_nativo != -1)
        ::CloseHandle(AccessoNativo::maniglia(*this));
    m_nativo = -1;
    m_proprio = false;
}

std::size_t FileAperto::leggi(char *dati, std::size_t dimensione)
{
    const HANDLE maniglia = AccessoNativo::maniglia(*this);
    if (console(maniglia))
        return leggiConsole(maniglia, dati, dimensione, m_percorso);
    DWORD letti = 0;
    const auto pezzo = static_cast<DWORD>(std::min(dimensione, PezzoMassimo));
    if (::ReadFile(maniglia, dati, pezzo, &letti, nullptr))
        return letti;
    // The writing end of a pipe has gone: that is its end, not a failure.
    if (::GetLastError() == ERROR_BROKEN_PIPE)
        return 0;
    lancia(m_percorso);
}

void FileAperto::scrivi(std::string_view dati)
{
    if (const DWORD errore = scriviTutto(AccessoNativo::maniglia(*this), dati))
        lancia(m_percorso, errore);
}

void FileAperto::scriviTesto(std::string_view testo)
{
    const HANDLE maniglia = AccessoNativo::maniglia(*this);
    if (!console(maniglia)) {
        // A pipe or a file gets UTF-8 bytes, like on every other system.
        scrivi(testo);
        return;
    }
    // A console shows characters, not bytes: whatever its code page, UTF-16 reaches it intact.
    std::wstring_view resto;
    const std::wstring largo = utf16(testo);
    resto = largo;
    while (!resto.empty()) {
        // Some consoles take only so much at once; never split a surrogate pair.
        std::size_t pezzo = std::min<std::size_t>(resto.size(), 8192);
        if (pezzo < resto.size() && resto[pezzo - 1] >= 0xD800 && resto[pezzo - 1] <= 0xDBFF)
            --pezzo;
        DWORD scritti = 0;
        if (!::WriteConsoleW(maniglia, resto.data(), static_cast<DWORD>(pezzo), &scritti, nullptr))
            lancia(m_percorso);
        resto.remove_prefix(scritti);
    }
}

bool FileAperto::terminale() const
{
    return m_nativo != -1 && console(AccessoNativo::maniglia(*this));
}

FileAperto ApriFileDati(const std::filesystem::path &percorso)
{
    Maniglia file(apriInLettura(percorso));
    if (!file.valida())
        return {};
    // Pipes and devices (CON, NUL, COM1...) are opened like files; only a file on a disk ends.
    if (::GetFileType(file.get()) != FILE_TYPE_DISK)
        throw ErroreFile(percorso, "non è un file regolare");
    return AccessoNativo::proprio(file.rilascia(), percorso);
}

FileAperto ApriInLettura(const std::filesystem::path &percorso)
{
    const HANDLE file = apriInLettura(percorso);
    if (file == INVALID_HANDLE_VALUE)
        lancia(percorso, ERROR_FILE_NOT_FOUND);
    return AccessoNativo::proprio(file, percorso);
}

void CreaFileVuoto(const std::filesystem::path &percorso)
{
    const Maniglia file(::CreateFileW(percorso.c_str(), GENERIC_WRITE, Condivisione, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.valida())
        return;
    const DWORD errore = ::GetLastError();
    // Something already stands there, whatever refused the creation.
    if (errore == ERROR_FILE_EXISTS ||
        ::GetFileAttributesW(percorso.c_str()) != INVALID_FILE_ATTRIBUTES)
        return;
    lancia(percorso, errore);
}

void SostituisciFile(const std::filesystem::path &percorso, std::string_view contenuto)
{
    const StatoFile stato = statoDi(percorso);
    if (stato.esiste && (stato.attributi & FILE_ATTRIBUTE_READONLY))
        throw ErroreFile(percorso, "il file è di sola lettura: lo lascio com'è");
    if (stato.esiste && stato.collegamenti > 1) {
        scriviSulPosto(percorso, stato.destinazione, contenuto, 0);
        return;
    }

    // The new file looks like the old one in Explorer: hidden stays hidden.
    constexpr DWORD Conservati = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                 FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD attributi = stato.esiste && (stato.attributi & Conservati)
                                ? stato.attributi & Conservati
                                : FILE_ATTRIBUTE_NORMAL;
    std::filesystem::path nomeTemporaneo;
    Maniglia temporaneo(creaTemporaneo(stato.destinazione, attributi, nomeTemporaneo));
    if (!temporaneo.valida()) {
        const DWORD errore = ::GetLastError();
        if (errore == ERROR_ACCESS_DENIED) {
            scriviSulPosto(percorso, stato.destinazione, contenuto, errore);
            return;
        }
        lancia(percorso, errore);
    }

    DWORD errore = scriviTutto(temporaneo.get(), contenuto);
    if (errore == 0 && !::FlushFileBuffers(temporaneo.get()))
        errore = ::GetLastError();
    const DWORD chiusura = temporaneo.chiudi();
    if (errore == 0)
        errore = chiusura;
    if (errore == 0 && sostituisciRiprovando(nomeTemporaneo, stato.destinazione, errore))
        return;
    ::DeleteFileW(nomeTemporaneo.c_str());
    if (errore != 0 && stato.esiste &&
        (errore == ERROR_ACCESS_DENIED || errore == ERROR_SHARING_VIOLATION)) {
        // Held open by someone: what they hold is the file itself, so write it there.
        scriviSulPosto(percorso, stato.destinazione, contenuto, 0);
        return;
    }
    lancia(percorso, errore);
}

FileAperto &IngressoStandard()
{
    static FileAperto file = AccessoNativo::prestato(STD_INPUT_HANDLE, NomeIngressoStandard);
    return file;
}

FileAperto &UscitaStandard()
{
    static FileAperto file = AccessoNativo::prestato(STD_OUTPUT_HANDLE, NomeUscitaStandard);
    return file;
}

FileAperto &ErroreStandard()
{
    static FileAperto file = AccessoNativo::prestato(STD_ERROR_HANDLE, NomeErroreStandard);
    return file;
}

std::string MotivoDiSistema(int codice)
{
    // In the user's own language, as Windows words it; UTF-16 to UTF-8 loses nothing.
    wchar_t *testo = nullptr;
    const DWORD lunghezza = ::FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
        nullptr, static_cast<DWORD>(codice), 0, reinterpret_cast<wchar_t *>(&testo), 0, nullptr);
    std::wstring motivo = lunghezza != 0 ? std::wstring(testo, lunghezza) : std::wstring();
    ::LocalFree(testo);
    // Messages end with a full stop and a line break; ours follow the reason on one line.
    while (!motivo.empty() && (motivo.back() == L'\n' || motivo.back() == L'\r' ||
                               motivo.back() == L' ' || motivo.back() == L'.'))
        motivo.pop_back();
    if (motivo.empty())
        return "errore di sistema " + std::to_string(static_cast<DWORD>(codice));
    return utf8(motivo);
}

std::string MotivoFileMancante()
{
    return MotivoDiSistema(ERROR_FILE_NOT_FOUND);
}

std::vector<std::string> ArgomentiUtf8(int argc, char **argv)
{
    int quanti = 0;
    wchar_t **argomenti = ::CommandLineToArgvW(::GetCommandLineW(), &quanti);
    if (argomenti == nullptr || quanti != argc) {
        // Not the command line the C runtime parsed: better its code page than nothing.
        ::LocalFree(argomenti);
        return std::vector<std::string>(argv, argv + argc);
    }
    std::vector<std::string> risultato;
    risultato.reserve(static_cast<std::size_t>(quanti));
    for (int i = 0; i < quanti; ++i)
        risultato.push_back(utf8(argomenti[i]));
    ::LocalFree(argomenti);
    return risultato;
}

MomentoLocale OraLocale()
{
    const std::time_t adesso = std::time(nullptr);
    std::tm locale{};
    ::localtime_s(&locale, &adesso);
    return {locale.tm_year + 1900, locale.tm_mon + 1, locale.tm_mday,
            locale.tm_hour * 3600 + locale.tm_min * 60 + locale.tm_sec};
}

} // namespace legge
