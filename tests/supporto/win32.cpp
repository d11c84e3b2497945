// SPDX-License-Identifier: GPL-3.0-or-later
// The test helpers that Windows does its own way: temporary directories, command lines and
// child processes.
#include "prova.h"

#include <windows.h>

#include <atomic>
#include <mutex>
#include <thread>

namespace prova {

CartellaTemporanea::CartellaTemporanea()
{
    static std::atomic<unsigned> contatore{0};
    const std::string nome = "legge-prova-" + std::to_string(::GetCurrentProcessId()) + "-" +
                             std::to_string(::GetTickCount64()) + "-";
    for (;;) {
        m_percorso = fs::temp_directory_path() / (nome + std::to_string(contatore++));
        if (fs::create_directory(m_percorso))
            break;
    }
}

CartellaTemporanea::~CartellaTemporanea()
{
    // A test may have made a file read-only, which Windows then refuses to delete.
    std::error_code errore;
    for (auto it = fs::recursive_directory_iterator(m_percorso, errore);
         it != fs::recursive_directory_iterator(); it.increment(errore))
        ::SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(m_percorso, errore);
}

std::wstring utf16(std::string_view utf8)
{
    std::wstring largo(utf8.size(), L'\0');
    largo.resize(std::size_t(::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()),
                                                   largo.data(), int(largo.size()))));
    return largo;
}

std::wstring rigaDiComando(const std::vector<std::string> &argomenti)
{
    std::wstring riga;
    for (const auto &argomento : argomenti) {
        const std::wstring largo = utf16(argomento);
        if (!riga.empty())
            riga += L' ';
        if (!largo.empty() && largo.find_first_of(L" \t\"") == std::wstring::npos) {
            riga += largo;
            continue;
        }
        // Backslashes count only before a quote: there they are doubled.
        riga += L'"';
        std::size_t barre = 0;
        for (const wchar_t c : largo) {
            if (c == L'\\') {
                ++barre;
                continue;
            }
            riga.append(c == L'"' ? barre * 2 + 1 : barre, L'\\');
            riga += c;
            barre = 0;
        }
        riga.append(barre * 2, L'\\');
        riga += L'"';
    }
    return riga;
}

// Two threads drain the child's output, so that a child that writes much never waits on us.
struct Processo::Figlio {
    HANDLE processo = nullptr;
    HANDLE ingresso = nullptr;
    HANDLE uscita = nullptr;
    HANDLE errori = nullptr;
    std::thread lettori[2];
    std::mutex mutex;
    std::string bufferUscita;
    std::string bufferErrori;
    bool ucciso = false;
    bool finito = false;
    int codice = -1;

    void raccogli(HANDLE lettura, std::string &dove)
    {
        char blocco[65536];
        DWORD letti = 0;
        while (::ReadFile(lettura, blocco, sizeof blocco, &letti, nullptr) && letti > 0) {
            const std::lock_guard blocco_(mutex);
            dove.append(blocco, letti);
        }
    }

    void attendiLettori()
    {
        for (auto &lettore : lettori) {
            if (lettore.joinable())
                lettore.join();
        }
    }

    static void chiudi(HANDLE &maniglia)
    {
        if (maniglia)
            ::CloseHandle(maniglia);
        maniglia = nullptr;
    }
};

Processo::Processo(const std::vector<std::string> &argomenti, const fs::path &cartella)
    : m_figlio(std::make_unique<Figlio>())
{
    Figlio &f = *m_figlio;
    SECURITY_ATTRIBUTES ereditabile{sizeof ereditabile, nullptr, TRUE};
    HANDLE suoi[3] = {}; // the child's ends: standard input, output, error
    if (!::CreatePipe(&suoi[0], &f.ingresso, &ereditabile, 0) ||
        !::CreatePipe(&f.uscita, &suoi[1], &ereditabile, 0) ||
        !::CreatePipe(&f.errori, &suoi[2], &ereditabile, 0))
        return;
    for (HANDLE nostro : {f.ingresso, f.uscita, f.errori})
        ::SetHandleInformation(nostro, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW avvio{};
    avvio.cb = sizeof avvio;
    avvio.dwFlags = STARTF_USESTDHANDLES;
    avvio.hStdInput = suoi[0];
    avvio.hStdOutput = suoi[1];
    avvio.hStdError = suoi[2];
    std::wstring riga = rigaDiComando(argomenti);
    PROCESS_INFORMATION processo{};
    if (::CreateProcessW(nullptr, riga.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                         cartella.empty() ? nullptr : cartella.c_str(), &avvio, &processo)) {
        f.processo = processo.hProcess;
        ::CloseHandle(processo.hThread);
    }
    for (HANDLE suo : suoi)
        ::CloseHandle(suo);
    f.lettori[0] = std::thread([&f] { f.raccogli(f.uscita, f.bufferUscita); });
    f.lettori[1] = std::thread([&f] { f.raccogli(f.errori, f.bufferErrori); });
}

Processo::~Processo()
{
    Figlio &f = *m_figlio;
    if (f.processo && !f.finito) {
        uccidi();
        attendi(std::chrono::seconds(30));
    }
    Figlio::chiudi(f.ingresso);
    f.attendiLettori();
    Figlio::chiudi(f.uscita);
    Figlio::chiudi(f.errori);
    Figlio::chiudi(f.processo);
}

bool Processo::avviato() const
{
    return m_figlio->processo != nullptr;
}

void Processo::scriviEChiudi(std::string_view dati)
{
    Figlio &f = *m_figlio;
    while (!dati.empty() && f.ingresso) {
        DWORD scritti = 0;
        if (!::WriteFile(f.ingresso, dati.data(), DWORD(dati.size()), &scritti, nullptr))
            break; // a child that stops reading is no fault of ours
        dati.remove_prefix(scritti);
    }
    Figlio::chiudi(f.ingresso);
}

bool Processo::attendiRiga(Orologio::duration limite)
{
    Figlio &f = *m_figlio;
    const auto scadenza = Orologio::now() + limite;
    for (;;) {
        {
            const std::lock_guard blocco(f.mutex);
            if (f.bufferUscita.find('\n') != std::string::npos)
                return true;
        }
        if (Orologio::now() > scadenza || ::WaitForSingleObject(f.processo, 1) == WAIT_OBJECT_0)
            return false;
    }
}

void Processo::uccidi()
{
    Figlio &f = *m_figlio;
    if (f.processo && !f.finito && ::TerminateProcess(f.processo, 1))
        f.ucciso = true;
}

bool Processo::attendi(Orologio::duration limite)
{
    Figlio &f = *m_figlio;
    Figlio::chiudi(f.ingresso);
    if (!f.processo)
        return false;
    const auto millisecondi = std::chrono::duration_cast<std::chrono::milliseconds>(limite).count();
    if (::WaitForSingleObject(f.processo, DWORD(millisecondi)) != WAIT_OBJECT_0)
        return false;
    f.attendiLettori();
    DWORD codice = 0;
    ::GetExitCodeProcess(f.processo, &codice);
    f.codice = f.ucciso ? -1 : int(codice);
    f.finito = true;
    uscita = f.bufferUscita;
    errori = f.bufferErrori;
    return true;
}

int Processo::codice() const
{
    return m_figlio->finito ? m_figlio->codice : -1;
}

BloccoTenuto::BloccoTenuto(const fs::path &percorso, bool esclusivo)
{
    const HANDLE file = ::CreateFileW(percorso.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    m_file = reinterpret_cast<std::intptr_t>(file);
    // The byte the program locks, far past the end of any real file.
    OVERLAPPED dove{};
    dove.Offset = 0xFFFFFFFEu;
    dove.OffsetHigh = 0x7FFFFFFFu;
    m_tenuto = ::LockFileEx(file, esclusivo ? LOCKFILE_EXCLUSIVE_LOCK : 0, 0, 1, 0, &dove) != 0;
}

BloccoTenuto::~BloccoTenuto()
{
    if (m_file != -1)
        ::CloseHandle(reinterpret_cast<HANDLE>(m_file));
}

} // namespace prova
