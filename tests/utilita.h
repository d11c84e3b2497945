// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Scaffolding shared by the tests, in standard C++ and the system's own calls only, so that
// the core's tests build without Qt, on Linux and on Windows. What each system does its own
// way (processes, other users, permissions, FIFOs) is kept together at the end.

#include "laws/massime.h"
#include "settings/modo.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace prova {

namespace fs = std::filesystem;

// A marker as Option.dat stores it, on a line of its own.
inline std::string segno(std::string_view s)
{
    return std::string(s) + "\r\n";
}

// What Option.dat holds after each of the two writes.
inline const std::string Giorno = segno(legge::SegnoGiorno);
inline const std::string Casuale = segno(legge::SegnoCasuale);

inline std::optional<std::string> leggiSeEsiste(const fs::path &percorso)
{
    std::error_code errore;
    if (!fs::is_regular_file(percorso, errore))
        return std::nullopt;
    std::ifstream f(percorso, std::ios::binary);
    if (!f)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(f), {});
}

inline std::string leggi(const fs::path &percorso, const std::string &seManca = {})
{
    return leggiSeEsiste(percorso).value_or(seManca);
}

inline bool scrivi(const fs::path &percorso, std::string_view dati)
{
    std::ofstream f(percorso, std::ios::binary | std::ios::trunc);
    f.write(dati.data(), std::streamsize(dati.size()));
    f.close();
    return bool(f);
}

// Plain text to the stored, scrambled form of a law file.
inline std::string codifica(std::string_view testo)
{
    return legge::CodificaMassime(testo);
}

// Everything in a directory, hidden files included, sorted.
inline std::vector<std::string> voci(const fs::path &cartella)
{
    std::vector<std::string> elenco;
    std::error_code errore;
    for (const auto &voce : fs::directory_iterator(cartella, errore))
        elenco.push_back(voce.path().filename().string());
    std::sort(elenco.begin(), elenco.end());
    return elenco;
}

// `n` bytes of noise, the same for the same seed.
inline std::string byteCasuali(std::size_t n, std::uint64_t seme)
{
    std::string dati(n, '\0');
    std::mt19937_64 generatore(seme);
    for (std::size_t i = 0; i < n; i += 8) {
        const std::uint64_t v = generatore();
        std::memcpy(dati.data() + i, &v, std::min<std::size_t>(8, n - i));
    }
    return dati;
}

// A number in [0, n) from `generatore`.
template <class Generatore> int aCaso(Generatore &generatore, int n)
{
    return std::uniform_int_distribution<int>(0, n - 1)(generatore);
}

// A directory of its own for one test, removed with everything in it at the end.
class CartellaTemporanea {
public:
    CartellaTemporanea();
    ~CartellaTemporanea();
    CartellaTemporanea(const CartellaTemporanea &) = delete;
    CartellaTemporanea &operator=(const CartellaTemporanea &) = delete;

    const fs::path &percorso() const { return m_percorso; }
    fs::path file(const fs::path &nome) const { return m_percorso / nome; }
    std::string str() const { return m_percorso.string(); }

private:
    fs::path m_percorso;
};

#ifdef LEGGE_DATI_PROVA
// A fixture under tests/data/.
inline fs::path datiDiProva(const fs::path &relativo)
{
    return fs::path(LEGGE_DATI_PROVA) / relativo;
}
#endif

// What a process printed and how it ended. `codice` is -1 when it was killed by a signal,
// could not start or did not end in time.
struct Esito {
    int codice = -1;
    std::string uscita;
    std::string errori;
};

// Splits a line of tab-separated fields; the trailing line break is left out.
inline std::vector<std::string> campi(std::string riga)
{
    while (!riga.empty() && (riga.back() == '\n' || riga.back() == '\r'))
        riga.pop_back();
    std::vector<std::string> elenco;
    std::size_t inizio = 0;
    for (std::size_t fine; (fine = riga.find('\t', inizio)) != std::string::npos; inizio = fine + 1)
        elenco.push_back(riga.substr(inizio, fine - inizio));
    elenco.push_back(riga.substr(inizio));
    return elenco;
}

inline std::string campo(const std::vector<std::string> &elenco, std::size_t i)
{
    return i < elenco.size() ? elenco[i] : std::string();
}

} // namespace prova

#ifdef _WIN32

// ---- Windows ----

#include <windows.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace prova {

inline CartellaTemporanea::CartellaTemporanea()
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

inline CartellaTemporanea::~CartellaTemporanea()
{
    // A test may have made a file read-only, which Windows then refuses to delete.
    std::error_code errore;
    for (auto it = fs::recursive_directory_iterator(m_percorso, errore);
         it != fs::recursive_directory_iterator(); it.increment(errore))
        ::SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(m_percorso, errore);
}

inline std::wstring utf16(std::string_view utf8)
{
    std::wstring largo(utf8.size(), L'\0');
    largo.resize(std::size_t(::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()),
                                                   largo.data(), int(largo.size()))));
    return largo;
}

// A command line that the C runtime of the child splits back into `argomenti`.
inline std::wstring rigaDiComando(const std::vector<std::string> &argomenti)
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

// A child process with its standard input, output and error on pipes. Two threads drain
// the output, so that a child that writes much never waits on us.
class Processo {
public:
    using Orologio = std::chrono::steady_clock;

    explicit Processo(const std::vector<std::string> &argomenti, const fs::path &cartella = {})
    {
        SECURITY_ATTRIBUTES ereditabile{sizeof ereditabile, nullptr, TRUE};
        HANDLE suoi[3] = {}; // the child's ends: standard input, output, error
        if (!::CreatePipe(&suoi[0], &m_ingresso, &ereditabile, 0) ||
            !::CreatePipe(&m_uscita, &suoi[1], &ereditabile, 0) ||
            !::CreatePipe(&m_errori, &suoi[2], &ereditabile, 0))
            return;
        for (HANDLE nostro : {m_ingresso, m_uscita, m_errori})
            ::SetHandleInformation(nostro, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW avvio{};
        avvio.cb = sizeof avvio;
        avvio.dwFlags = STARTF_USESTDHANDLES;
        avvio.hStdInput = suoi[0];
        avvio.hStdOutput = suoi[1];
        avvio.hStdError = suoi[2];
        std::wstring riga = rigaDiComando(argomenti);
        PROCESS_INFORMATION processo{};
        if (::CreateProcessW(nullptr, riga.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                             nullptr, cartella.empty() ? nullptr : cartella.c_str(), &avvio,
                             &processo)) {
            m_processo = processo.hProcess;
            ::CloseHandle(processo.hThread);
        }
        for (HANDLE suo : suoi)
            ::CloseHandle(suo);
        m_lettori[0] = std::thread([this] { raccogli(m_uscita, m_bufferUscita); });
        m_lettori[1] = std::thread([this] { raccogli(m_errori, m_bufferErrori); });
    }
    ~Processo()
    {
        if (m_processo && !m_finito) {
            uccidi();
            attendi(std::chrono::seconds(30));
        }
        chiudi(m_ingresso);
        for (auto &lettore : m_lettori) {
            if (lettore.joinable())
                lettore.join();
        }
        chiudi(m_uscita);
        chiudi(m_errori);
        chiudi(m_processo);
    }
    Processo(const Processo &) = delete;
    Processo &operator=(const Processo &) = delete;

    bool avviato() const { return m_processo != nullptr; }

    // Writes everything to the child's standard input and closes it.
    void scriviEChiudi(std::string_view dati)
    {
        while (!dati.empty() && m_ingresso) {
            DWORD scritti = 0;
            if (!::WriteFile(m_ingresso, dati.data(), DWORD(dati.size()), &scritti, nullptr))
                break; // a child that stops reading is no fault of ours
            dati.remove_prefix(scritti);
        }
        chiudi(m_ingresso);
    }

    // Waits until the child has printed a whole line, or has ended.
    bool attendiRiga(Orologio::duration limite)
    {
        const auto scadenza = Orologio::now() + limite;
        for (;;) {
            {
                const std::lock_guard blocco(m_mutex);
                if (m_bufferUscita.find('\n') != std::string::npos)
                    return true;
            }
            if (Orologio::now() > scadenza || ::WaitForSingleObject(m_processo, 1) == WAIT_OBJECT_0)
                return false;
        }
    }

    void uccidi()
    {
        if (m_processo && !m_finito && ::TerminateProcess(m_processo, 1))
            m_ucciso = true;
    }

    // Collects everything the child prints until it ends; false if it is still running when
    // the time is up.
    bool attendi(Orologio::duration limite)
    {
        chiudi(m_ingresso);
        if (!m_processo)
            return false;
        const auto millisecondi =
            std::chrono::duration_cast<std::chrono::milliseconds>(limite).count();
        if (::WaitForSingleObject(m_processo, DWORD(millisecondi)) != WAIT_OBJECT_0)
            return false;
        for (auto &lettore : m_lettori) {
            if (lettore.joinable())
                lettore.join();
        }
        DWORD codice = 0;
        ::GetExitCodeProcess(m_processo, &codice);
        m_codice = m_ucciso ? -1 : int(codice);
        m_finito = true;
        uscita = m_bufferUscita;
        errori = m_bufferErrori;
        return true;
    }

    // The exit code, or -1 for a child that was killed.
    int codice() const { return m_finito ? m_codice : -1; }

    std::string uscita;
    std::string errori;

private:
    void raccogli(HANDLE lettura, std::string &dove)
    {
        char blocco[65536];
        DWORD letti = 0;
        while (::ReadFile(lettura, blocco, sizeof blocco, &letti, nullptr) && letti > 0) {
            const std::lock_guard blocco_(m_mutex);
            dove.append(blocco, letti);
        }
    }

    static void chiudi(HANDLE &maniglia)
    {
        if (maniglia)
            ::CloseHandle(maniglia);
        maniglia = nullptr;
    }

    HANDLE m_processo = nullptr;
    HANDLE m_ingresso = nullptr;
    HANDLE m_uscita = nullptr;
    HANDLE m_errori = nullptr;
    std::thread m_lettori[2];
    std::mutex m_mutex;
    std::string m_bufferUscita;
    std::string m_bufferErrori;
    bool m_ucciso = false;
    bool m_finito = false;
    int m_codice = -1;
};

} // namespace prova

#else

// ---- POSIX ----

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace prova {

inline CartellaTemporanea::CartellaTemporanea()
{
    const char *tmp = std::getenv("TMPDIR");
    std::string modello = std::string(tmp && *tmp ? tmp : "/tmp") + "/legge-prova-XXXXXX";
    if (::mkdtemp(modello.data()) == nullptr)
        throw std::system_error(errno, std::generic_category(), modello);
    m_percorso = modello;
}

inline CartellaTemporanea::~CartellaTemporanea()
{
    // A test may have taken the rights away from what it made.
    std::error_code errore;
    for (auto it = fs::recursive_directory_iterator(m_percorso, errore);
         it != fs::recursive_directory_iterator(); it.increment(errore)) {
        if (it->is_directory(errore) && !it->is_symlink(errore))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, errore);
    }
    fs::permissions(m_percorso, fs::perms::owner_all, fs::perm_options::add, errore);
    fs::remove_all(m_percorso, errore);
}

inline bool cambiaPermessi(const fs::path &percorso, mode_t permessi)
{
    return ::chmod(percorso.c_str(), permessi) == 0;
}

// What a full disk does to this process's writes, and root cannot override it: past
// `byte`, a write fails with EFBIG instead of raising SIGXFSZ.
inline bool limitaFile(rlim_t byte)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limite{byte, byte};
    return ::setrlimit(RLIMIT_FSIZE, &limite) == 0;
}

inline bool creaFifo(const fs::path &percorso)
{
    return ::mkfifo(percorso.c_str(), 0644) == 0;
}

inline bool eseguibileNelPath(const std::string &nome)
{
    const char *path = std::getenv("PATH");
    std::string_view resto = path ? path : "/usr/bin:/bin";
    while (!resto.empty()) {
        const auto fine = std::min(resto.find(':'), resto.size());
        const fs::path candidato = fs::path(resto.substr(0, fine)) / nome;
        if (::access(candidato.c_str(), X_OK) == 0)
            return true;
        resto.remove_prefix(std::min(fine + 1, resto.size()));
    }
    return false;
}

// Root ignores file permissions: a check of rights runs as nobody instead.
inline bool nobodyDisponibile()
{
    return ::geteuid() == 0 && eseguibileNelPath("setpriv");
}

// The same command line, run as nobody.
inline std::vector<std::string> comeNobody(std::vector<std::string> argomenti)
{
    argomenti.insert(argomenti.begin(),
                     {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"});
    return argomenti;
}

// A child process with its standard input, output and error on pipes.
class Processo {
public:
    using Orologio = std::chrono::steady_clock;

    // argomenti[0] is looked up in PATH; `cartella` is the child's working directory.
    explicit Processo(const std::vector<std::string> &argomenti, const fs::path &cartella = {})
    {
        // Close-on-exec, so that no other child holds these pipes open; dup2 clears it on
        // the three the child keeps.
        int ingresso[2], uscita[2], errori[2];
        if (::pipe2(ingresso, O_CLOEXEC) != 0 || ::pipe2(uscita, O_CLOEXEC) != 0 ||
            ::pipe2(errori, O_CLOEXEC) != 0)
            return;
        std::vector<char *> argv;
        for (const auto &a : argomenti)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(ingresso[0], 0);
            ::dup2(uscita[1], 1);
            ::dup2(errori[1], 2);
            for (int fd : {ingresso[0], ingresso[1], uscita[0], uscita[1], errori[0], errori[1]})
                ::close(fd);
            if (!cartella.empty() && ::chdir(cartella.c_str()) != 0)
                ::_exit(127);
            ::execvp(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(ingresso[0]);
        ::close(uscita[1]);
        ::close(errori[1]);
        m_ingresso = ingresso[1];
        m_uscita = uscita[0];
        m_errori = errori[0];
        if (m_pid < 0)
            chiudi();
    }
    ~Processo()
    {
        if (m_pid > 0 && !m_stato) {
            uccidi();
            attendi(std::chrono::seconds(30));
        }
        chiudi();
    }
    Processo(const Processo &) = delete;
    Processo &operator=(const Processo &) = delete;

    bool avviato() const { return m_pid > 0; }

    // Writes everything to the child's standard input and closes it.
    void scriviEChiudi(std::string_view dati)
    {
        std::signal(SIGPIPE, SIG_IGN); // a child that stops reading is no fault of ours
        while (!dati.empty() && m_ingresso >= 0) {
            pollfd attesa[] = {
                {m_ingresso, POLLOUT, 0}, {m_uscita, POLLIN, 0}, {m_errori, POLLIN, 0}};
            if (::poll(attesa, 3, 1000) < 0 && errno != EINTR)
                break;
            if (attesa[1].revents)
                raccogli(m_uscita, uscita);
            if (attesa[2].revents)
                raccogli(m_errori, errori);
            if (attesa[0].revents & (POLLERR | POLLHUP))
                break;
            if (attesa[0].revents & POLLOUT) {
                const ssize_t n = ::write(m_ingresso, dati.data(), dati.size());
                if (n < 0 && errno != EINTR && errno != EAGAIN)
                    break;
                if (n > 0)
                    dati.remove_prefix(std::size_t(n));
            }
        }
        chiudiFd(m_ingresso);
    }

    // Waits until the child has printed a whole line, or has closed its output.
    bool attendiRiga(Orologio::duration limite)
    {
        const auto scadenza = Orologio::now() + limite;
        while (uscita.find('\n') == std::string::npos && m_uscita >= 0) {
            if (!attendiDati(scadenza))
                return false;
        }
        return uscita.find('\n') != std::string::npos;
    }

    void uccidi()
    {
        if (m_pid > 0 && !m_stato)
            ::kill(m_pid, SIGKILL);
    }

    // Collects everything the child prints until it ends; false if it is still running when
    // the time is up.
    bool attendi(Orologio::duration limite)
    {
        chiudiFd(m_ingresso);
        if (m_pid <= 0)
            return false;
        const auto scadenza = Orologio::now() + limite;
        while (m_uscita >= 0 || m_errori >= 0) {
            if (!attendiDati(scadenza))
                return false;
        }
        while (!m_stato) {
            int stato = 0;
            const pid_t fatto = ::waitpid(m_pid, &stato, WNOHANG);
            if (fatto == m_pid)
                m_stato = stato;
            else if (fatto < 0 && errno != EINTR)
                return false;
            else if (Orologio::now() > scadenza)
                return false;
            else
                ::usleep(1000);
        }
        return true;
    }

    // The exit code, or -1 for a child that a signal ended.
    int codice() const { return m_stato && WIFEXITED(*m_stato) ? WEXITSTATUS(*m_stato) : -1; }

    std::string uscita;
    std::string errori;

private:
    bool attendiDati(Orologio::time_point scadenza)
    {
        const auto resta =
            std::chrono::duration_cast<std::chrono::milliseconds>(scadenza - Orologio::now());
        if (resta.count() <= 0)
            return false;
        pollfd attesa[] = {{m_uscita, POLLIN, 0}, {m_errori, POLLIN, 0}};
        const int n = ::poll(attesa, 2, int(std::min<long long>(resta.count(), 1000)));
        if (n < 0 && errno != EINTR)
            return false;
        if (attesa[0].revents)
            raccogli(m_uscita, uscita);
        if (attesa[1].revents)
            raccogli(m_errori, errori);
        return true;
    }

    void raccogli(int &fd, std::string &dove)
    {
        char blocco[65536];
        const ssize_t n = ::read(fd, blocco, sizeof blocco);
        if (n > 0)
            dove.append(blocco, std::size_t(n));
        else if (n == 0 || (errno != EINTR && errno != EAGAIN))
            chiudiFd(fd);
    }

    static void chiudiFd(int &fd)
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }

    void chiudi()
    {
        chiudiFd(m_ingresso);
        chiudiFd(m_uscita);
        chiudiFd(m_errori);
    }

    pid_t m_pid = -1;
    int m_ingresso = -1;
    int m_uscita = -1;
    int m_errori = -1;
    std::optional<int> m_stato;
};

} // namespace prova

#endif

namespace prova {

// A copy of a built program in a directory of its own that any user can enter and run.
class CopiaEseguibile {
public:
    explicit CopiaEseguibile(const fs::path &programma)
        : m_percorso(m_cartella.file(programma.filename()))
    {
        fs::copy_file(programma, m_percorso);
#ifndef _WIN32
        if (!cambiaPermessi(m_cartella.percorso(), 0755) || !cambiaPermessi(m_percorso, 0755))
            throw std::system_error(errno, std::generic_category(), m_percorso.string());
#endif
    }
    std::string str() const
    {
        return m_percorso.string();
    }

private:
    CartellaTemporanea m_cartella;
    fs::path m_percorso;
};

// Runs a program to the end with `ingresso` on its standard input. One that hangs is killed.
inline Esito esegui(const std::vector<std::string> &argomenti, std::string_view ingresso = {},
                    std::chrono::seconds limite = std::chrono::seconds(60),
                    const fs::path &cartella = {})
{
    Processo p(argomenti, cartella);
    if (!p.avviato())
        return {};
    p.scriviEChiudi(ingresso);
    if (!p.attendi(limite)) {
        p.uccidi();
        p.attendi(std::chrono::seconds(30));
        return {-1, p.uscita, p.errori};
    }
    return {p.codice(), p.uscita, p.errori};
}

} // namespace prova

// ---- Fakes for the start-up ----

#include "avvio/formload.h"

namespace prova {

// A clock stopped at 01:02:03 on 3 May 2023, or wherever a test sets it.
class OrologioFermo : public legge::Orologio {
public:
    legge::Data data{2023, 5, 3};
    float secondi = 3723.f;
    legge::Data oggi() const override { return data; }
    float secondiDallaMezzanotte() const override { return secondi; }
};

// Hands out the given draws in turn, then zeros, and keeps the seeds.
class CasualeFinto : public legge::SorgenteCasuale {
public:
    std::vector<float> estrazioni;
    std::vector<float> semi;
    int estratte = 0;
    void semina(float seme) override { semi.push_back(seme); }
    float estrai() override
    {
        const auto i = std::size_t(estratte++);
        return i < estrazioni.size() ? estrazioni[i] : 0.f;
    }
};

} // namespace prova
