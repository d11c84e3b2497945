// SPDX-License-Identifier: GPL-3.0-or-later
// The system's primitives on Windows, and the file handle's own calls. Paths reach the
// system as UTF-16 and bytes as they are: no C runtime stream, hence no text mode (which
// would turn LF into CR LF and stop reading at byte 0x1A), and no code page but UTF-8
// between here and the rest of the program.
#include "sistema/argomenti.h"
#include "sistema/blocco.h"
#include "sistema/file.h"
#include "sistema/nativo.h"
#include "sistema/utf16.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <utility>

namespace legge {

namespace {

// Every share mode: another program may read, write, rename or delete the file while we
// hold it, as it could on POSIX systems.
constexpr DWORD Condivisione = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The largest piece one ReadFile or WriteFile call takes.
constexpr std::size_t PezzoMassimo = 1u << 30;

HANDLE maniglia(nativo::Maniglia nativa)
{
    return reinterpret_cast<HANDLE>(nativa);
}

HANDLE maniglia(const FileAperto &file)
{
    return maniglia(AccessoNativo::nativo(file));
}

nativo::Maniglia nativa(HANDLE maniglia)
{
    return reinterpret_cast<nativo::Maniglia>(maniglia);
}

[[noreturn]] void lancia(const std::filesystem::path &percorso, DWORD codice = ::GetLastError())
{
    throw ErroreFile::daSistema(percorso, static_cast<int>(codice));
}

bool console(HANDLE maniglia)
{
    DWORD modo = 0;
    return ::GetConsoleMode(maniglia, &modo) != 0;
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

// A refusal, for anything that is not a file on a disk.
ErroreFile::Tipo tipoDi(DWORD tipo)
{
    if (tipo == FILE_TYPE_CHAR)
        return ErroreFile::Tipo::Dispositivo;
    if (tipo == FILE_TYPE_PIPE)
        return ErroreFile::Tipo::Pipe;
    return ErroreFile::Tipo::NonRegolare;
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
        resto += Utf16InUtf8(testo);
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
    if (nativo::Mancante(static_cast<int>(errore)))
        return INVALID_HANDLE_VALUE;
    // Windows opens no directory this way and calls it access denied; say what it is.
    const DWORD attributi = ::GetFileAttributesW(percorso.c_str());
    if (attributi != INVALID_FILE_ATTRIBUTES && (attributi & FILE_ATTRIBUTE_DIRECTORY))
        throw ErroreFile(percorso, ErroreFile::Tipo::Cartella);
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

} // namespace

// ---- UTF-16 ----

std::string Utf16InUtf8(std::wstring_view testo)
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

std::wstring Utf8InUtf16(std::string_view testo)
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

// ---- The file handle ----

std::size_t FileAperto::leggi(char *dati, std::size_t dimensione)
{
    const HANDLE file = maniglia(*this);
    if (console(file))
        return leggiConsole(file, dati, dimensione, m_percorso);
    DWORD letti = 0;
    const auto pezzo = static_cast<DWORD>(std::min(dimensione, PezzoMassimo));
    if (::ReadFile(file, dati, pezzo, &letti, nullptr))
        return letti;
    // The writing end of a pipe has gone: that is its end, not a failure.
    if (::GetLastError() == ERROR_BROKEN_PIPE)
        return 0;
    lancia(m_percorso);
}

void FileAperto::scrivi(std::string_view dati)
{
    if (const DWORD errore = scriviTutto(maniglia(*this), dati))
        lancia(m_percorso, errore);
}

void FileAperto::scriviTesto(std::string_view testo)
{
    const HANDLE file = maniglia(*this);
    if (!console(file)) {
        // A pipe or a file gets UTF-8 bytes, like on every other system.
        scrivi(testo);
        return;
    }
    // A console shows characters, not bytes: whatever its code page, UTF-16 reaches it intact.
    const std::wstring largo = Utf8InUtf16(testo);
    std::wstring_view resto = largo;
    while (!resto.empty()) {
        // Some consoles take only so much at once; never split a surrogate pair.
        std::size_t pezzo = std::min<std::size_t>(resto.size(), 8192);
        if (pezzo < resto.size() && resto[pezzo - 1] >= 0xD800 && resto[pezzo - 1] <= 0xDBFF)
            --pezzo;
        DWORD scritti = 0;
        if (!::WriteConsoleW(file, resto.data(), static_cast<DWORD>(pezzo), &scritti, nullptr))
            lancia(m_percorso);
        resto.remove_prefix(scritti);
    }
}

bool FileAperto::terminale() const
{
    return m_nativo != nativo::Nessuna && console(maniglia(*this));
}

FileAperto ApriFileDati(const std::filesystem::path &percorso)
{
    nativo::Aperto file(nativa(apriInLettura(percorso)));
    if (!file.valido())
        return {};
    // Pipes and devices (CON, NUL, COM1...) are opened like files; only a file on a disk ends.
    if (::GetFileType(maniglia(file.get())) != FILE_TYPE_DISK)
        throw ErroreFile(percorso, ErroreFile::Tipo::NonRegolare);
    return AccessoNativo::proprio(file.rilascia(), percorso);
}

FileAperto ApriInLettura(const std::filesystem::path &percorso, const Attesa &attesa)
{
    const HANDLE file = apriInLettura(percorso);
    if (file == INVALID_HANDLE_VALUE)
        lancia(percorso, ERROR_FILE_NOT_FOUND);
    FileAperto aperto = AccessoNativo::proprio(nativa(file), percorso);
    // A serial port or the console (COM1, AUX, CON) may never end; a pipe does, and is read.
    if (::GetFileType(file) == FILE_TYPE_CHAR)
        throw ErroreFile(percorso, ErroreFile::Tipo::Dispositivo);
    BloccaPerLeggere(aperto, attesa);
    return aperto;
}

void CreaFileVuoto(const std::filesystem::path &percorso)
{
    const nativo::Aperto file(
        nativa(::CreateFileW(percorso.c_str(), GENERIC_WRITE, Condivisione, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr)));
    if (file.valido())
        return;
    const DWORD errore = ::GetLastError();
    // Something already stands there, whatever refused the creation.
    if (errore == ERROR_FILE_EXISTS ||
        ::GetFileAttributesW(percorso.c_str()) != INVALID_FILE_ATTRIBUTES)
        return;
    lancia(percorso, errore);
}

std::vector<std::string> ArgomentiDelProcesso()
{
    int quanti = 0;
    wchar_t **argomenti = ::CommandLineToArgvW(::GetCommandLineW(), &quanti);
    std::vector<std::string> risultato;
    if (argomenti != nullptr) {
        risultato.reserve(static_cast<std::size_t>(quanti));
        for (int i = 0; i < quanti; ++i)
            risultato.push_back(Utf16InUtf8(argomenti[i]));
    }
    ::LocalFree(argomenti);
    return risultato;
}

std::vector<std::string> ArgomentiUtf8(int argc, char **argv)
{
    std::vector<std::string> risultato = ArgomentiDelProcesso();
    // Not the command line the C runtime parsed: better its code page than nothing.
    if (risultato.size() != static_cast<std::size_t>(argc))
        return std::vector<std::string>(argv, argv + argc);
    return risultato;
}

// ---- The primitives ----

std::string PercorsoMostrabile(const std::filesystem::path &percorso)
{
    // Windows names are UTF-16: every one has its characters.
    return Utf16InUtf8(percorso.native());
}

namespace nativo {

namespace {

Codice ultimo()
{
    return static_cast<Codice>(::GetLastError());
}

// A name from a call that writes it into the room it is given and returns its length, or,
// when the room is too small, the room it needs; the name can grow between two calls.
template <class Chiamata> Codice nomeDaSistema(Chiamata chiamata, std::filesystem::path &nome)
{
    std::wstring testo(MAX_PATH, L'\0');
    for (;;) {
        const DWORD lunghezza = chiamata(static_cast<DWORD>(testo.size()), testo.data());
        if (lunghezza == 0)
            return ultimo();
        const bool scritto = lunghezza < testo.size();
        testo.resize(lunghezza);
        if (scritto) {
            nome = std::move(testo);
            return 0;
        }
    }
}

} // namespace

Codice Chiudi(Maniglia file) noexcept
{
    return ::CloseHandle(maniglia(file)) ? 0 : ultimo();
}

bool DaCompletare(const std::filesystem::path &percorso)
{
    const std::wstring &nome = percorso.native();
    if (nome.size() >= 2 && (nome[0] == L'\\' || nome[0] == L'/') &&
        (nome[1] == L'\\' || nome[1] == L'/'))
        return false;
    // The device names stand for the device whatever the extension: "aux.txt" is AUX.
    std::wstring radice = percorso.filename().native();
    radice = radice.substr(0, radice.find(L'.'));
    while (!radice.empty() && (radice.back() == L' ' || radice.back() == L':'))
        radice.pop_back();
    for (wchar_t &c : radice)
        c = static_cast<wchar_t>(std::towupper(c));
    if (radice == L"CON" || radice == L"PRN" || radice == L"AUX" || radice == L"NUL" ||
        radice == L"CONIN$" || radice == L"CONOUT$")
        return false;
    return !((radice.starts_with(L"COM") || radice.starts_with(L"LPT")) && radice.size() == 4 &&
             radice[3] >= L'1' && radice[3] <= L'9');
}

Codice CodiceMancante()
{
    return ERROR_FILE_NOT_FOUND;
}

bool Mancante(Codice codice)
{
    return codice == ERROR_FILE_NOT_FOUND || codice == ERROR_PATH_NOT_FOUND;
}

bool RifiutoDellaCartella(Codice codice)
{
    return codice == ERROR_ACCESS_DENIED;
}

bool TrattenutoDaAltri(Codice codice)
{
    return codice == ERROR_ACCESS_DENIED || codice == ERROR_SHARING_VIOLATION;
}

std::string MotivoDiSistema(Codice codice)
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
    return Utf16InUtf8(motivo);
}

Codice StatoDi(const std::filesystem::path &percorso, Stato &stato)
{
    stato.destinazione = percorso;
    // No access asked: this only looks, and works whoever holds the file.
    const DWORD proprio = ::GetFileAttributesW(percorso.c_str());
    stato.collegamento =
        proprio != INVALID_FILE_ATTRIBUTES && (proprio & FILE_ATTRIBUTE_REPARSE_POINT);
    const Aperto file(nativa(::CreateFileW(percorso.c_str(), 0, Condivisione, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)));
    if (!file.valido()) {
        const Codice errore = ultimo();
        return errore == ERROR_FILE_NOT_FOUND ? 0 : errore;
    }
    stato.esiste = true;
    if (const DWORD tipo = ::GetFileType(maniglia(file.get())); tipo != FILE_TYPE_DISK) {
        stato.nonFile = tipoDi(tipo);
        return 0;
    }
    BY_HANDLE_FILE_INFORMATION informazioni{};
    if (!::GetFileInformationByHandle(maniglia(file.get()), &informazioni))
        return ultimo();
    if (informazioni.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        stato.nonFile = ErroreFile::Tipo::Cartella;
        return 0;
    }
    stato.modo = informazioni.dwFileAttributes;
    stato.solaLettura = (informazioni.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    stato.piuNomi = informazioni.nNumberOfLinks > 1;
    stato.dimensione =
        (std::uint64_t{informazioni.nFileSizeHigh} << 32) | informazioni.nFileSizeLow;
    if (stato.collegamento) {
        std::wstring finale(MAX_PATH, L'\0');
        for (;;) {
            const DWORD n = ::GetFinalPathNameByHandleW(maniglia(file.get()), finale.data(),
                                                        static_cast<DWORD>(finale.size()),
                                                        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
            if (n == 0)
                return ultimo();
            if (n < finale.size()) {
                finale.resize(n);
                break;
            }
            finale.resize(n);
        }
        stato.destinazione = finale;
    }
    return 0;
}

Codice ApriSulPosto(const std::filesystem::path &destinazione, Aperto &file)
{
    const auto apri = [&](DWORD accesso) {
        return nativa(::CreateFileW(destinazione.c_str(), accesso, Condivisione, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    };
    file = apri(GENERIC_READ | GENERIC_WRITE);
    if (!file.valido() && ::GetLastError() == ERROR_ACCESS_DENIED)
        file = apri(GENERIC_WRITE);
    return file.valido() ? 0 : ultimo();
}

Codice Descrivi(Maniglia file, std::uint64_t &dimensione, std::optional<ErroreFile::Tipo> &nonFile)
{
    if (const DWORD tipo = ::GetFileType(maniglia(file)); tipo != FILE_TYPE_DISK) {
        nonFile = tipoDi(tipo);
        return 0;
    }
    LARGE_INTEGER grandezza{};
    if (!::GetFileSizeEx(maniglia(file), &grandezza))
        return ultimo();
    dimensione = static_cast<std::uint64_t>(grandezza.QuadPart);
    return 0;
}

std::string LeggiDallInizio(Maniglia file, std::size_t quanti)
{
    std::string dati(quanti, '\0');
    std::size_t letti = 0;
    while (letti < quanti && vaiA(maniglia(file), letti)) {
        DWORD n = 0;
        const auto pezzo = static_cast<DWORD>(std::min(quanti - letti, PezzoMassimo));
        if (!::ReadFile(maniglia(file), dati.data() + letti, pezzo, &n, nullptr) || n == 0)
            break;
        letti += n;
    }
    dati.resize(letti);
    return dati;
}

Codice ScriviDa(Maniglia file, std::string_view dati, std::uint64_t posizione)
{
    if (!vaiA(maniglia(file), posizione))
        return ultimo();
    return static_cast<Codice>(scriviTutto(maniglia(file), dati));
}

Codice Tronca(Maniglia file, std::uint64_t lunghezza)
{
    return vaiA(maniglia(file), lunghezza) && ::SetEndOfFile(maniglia(file)) ? 0 : ultimo();
}

Codice Sincronizza(Maniglia file)
{
    return ::FlushFileBuffers(maniglia(file)) ? 0 : ultimo();
}

Codice ProvaABloccare(Maniglia file, bool esclusivo)
{
    // A lock on a byte far past the end of any real file: those that ask the same way wait
    // for each other, and readers of the content are never refused as they would be within
    // a locked range.
    OVERLAPPED dove{};
    dove.Offset = 0xFFFFFFFEu;
    dove.OffsetHigh = 0x7FFFFFFFu;
    const DWORD come = LOCKFILE_FAIL_IMMEDIATELY | (esclusivo ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    return ::LockFileEx(maniglia(file), come, 0, 1, 0, &dove) ? 0 : ultimo();
}

bool Occupato(Codice codice)
{
    return codice == ERROR_LOCK_VIOLATION || codice == ERROR_IO_PENDING;
}

TitolareBlocco ChiBlocca(Maniglia /*file*/)
{
    // Windows does not say who holds a lock.
    return {};
}

bool PiuNomi(Maniglia file)
{
    // Only the count of names: the fuller GetFileInformationByHandle also asks for the
    // volume's serial number, which under Wine is a trip to another process on every read.
    FILE_STANDARD_INFO informazioni{};
    return ::GetFileType(maniglia(file)) == FILE_TYPE_DISK &&
           ::GetFileInformationByHandleEx(maniglia(file), FileStandardInfo, &informazioni,
                                          sizeof informazioni) &&
           !informazioni.Directory && informazioni.NumberOfLinks > 1;
}

void Dormi(std::chrono::milliseconds durata)
{
    ::Sleep(static_cast<DWORD>(durata.count()));
}

Codice IdentitaDi(Maniglia file, Identita &identita)
{
    BY_HANDLE_FILE_INFORMATION informazioni{};
    if (!::GetFileInformationByHandle(maniglia(file), &informazioni))
        return ultimo();
    identita = {informazioni.dwVolumeSerialNumber,
                (std::uint64_t{informazioni.nFileIndexHigh} << 32) | informazioni.nFileIndexLow};
    return 0;
}

Codice IdentitaDi(const std::filesystem::path &percorso, Identita &identita)
{
    // No access asked: the identity of a file that another program holds is readable too.
    const Aperto file(nativa(::CreateFileW(percorso.c_str(), 0, Condivisione, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)));
    if (!file.valido())
        return ultimo();
    return IdentitaDi(file.get(), identita);
}

Codice CreaTemporaneo(const Stato &stato, Aperto &file, std::filesystem::path &nome)
{
    // The new file looks like the old one in Explorer: hidden stays hidden.
    constexpr DWORD Conservati = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                 FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD attributi =
        stato.esiste && (stato.modo & Conservati) ? stato.modo & Conservati : FILE_ATTRIBUTE_NORMAL;
    file = nativa(creaTemporaneo(stato.destinazione, attributi, nome));
    return file.valido() ? 0 : ultimo();
}

Codice ConservaAttributi(Maniglia /*file*/, const Stato & /*stato*/)
{
    // The attributes were given when the file was created.
    return 0;
}

void ApriAlProprietario(Maniglia /*file*/)
{
    // A read-only file is refused before it is opened; what else keeps the owner out is
    // the folder's rights, which a file rewritten in place does not change.
}

Codice Rinomina(const std::filesystem::path &da, const std::filesystem::path &a)
{
    // Something else (an antivirus, an indexer, another program) may hold the file for a
    // moment; Wine refuses the replace for as long as any handle is open on it.
    for (int tentativo = 0;; ++tentativo) {
        if (::MoveFileExW(da.c_str(), a.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return 0;
        const Codice errore = ultimo();
        if ((errore != ERROR_ACCESS_DENIED && errore != ERROR_SHARING_VIOLATION) || tentativo == 4)
            return errore;
        ::Sleep(20);
    }
}

void Rimuovi(const std::filesystem::path &percorso)
{
    ::DeleteFileW(percorso.c_str());
}

void SincronizzaCartella(const std::filesystem::path & /*file*/)
{
    // MOVEFILE_WRITE_THROUGH has made the rename durable already.
}

Codice CreaCartella(const std::filesystem::path &cartella)
{
    return ::CreateDirectoryW(cartella.c_str(), nullptr) ? 0 : ultimo();
}

bool GiaPresente(Codice codice)
{
    return codice == ERROR_ALREADY_EXISTS || codice == ERROR_FILE_EXISTS;
}

Codice RimuoviFile(const std::filesystem::path &percorso)
{
    return ::DeleteFileW(percorso.c_str()) ? 0 : ultimo();
}

// Straight to the system rather than through std::filesystem: the library's functions for
// these live beside all of its others, file streams included, and would add some 200 KiB to
// each program.
Codice CartellaCorrente(std::filesystem::path &cartella)
{
    return nomeDaSistema(
        [](DWORD spazio, wchar_t *nome) { return ::GetCurrentDirectoryW(spazio, nome); }, cartella);
}

Codice Assoluto(const std::filesystem::path &percorso, std::filesystem::path &assoluto)
{
    return nomeDaSistema(
        [&](DWORD spazio, wchar_t *nome) {
            return ::GetFullPathNameW(percorso.c_str(), spazio, nome, nullptr);
        },
        assoluto);
}

Maniglia FlussoStandard(int quale)
{
    return nativa(::GetStdHandle(quale == 0   ? STD_INPUT_HANDLE
                                 : quale == 1 ? STD_OUTPUT_HANDLE
                                              : STD_ERROR_HANDLE));
}

void TempoLocale(std::time_t istante, std::tm &locale)
{
    ::localtime_s(&locale, &istante);
}

} // namespace nativo

} // namespace legge
