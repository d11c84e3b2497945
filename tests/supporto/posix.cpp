// SPDX-License-Identifier: GPL-3.0-or-later
// The test helpers that POSIX systems do their own way: temporary directories, child
// processes, rights, other users, FIFOs and file-size limits.
#include "prova.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>

namespace prova {

CartellaTemporanea::CartellaTemporanea()
{
    const char *tmp = std::getenv("TMPDIR");
    std::string modello = std::string(tmp && *tmp ? tmp : "/tmp") + "/legge-prova-XXXXXX";
    if (::mkdtemp(modello.data()) == nullptr)
        throw std::system_error(errno, std::generic_category(), modello);
    m_percorso = modello;
}

CartellaTemporanea::~CartellaTemporanea()
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

bool cambiaPermessi(const fs::path &percorso, mode_t permessi)
{
    return ::chmod(percorso.c_str(), permessi) == 0;
}

bool limitaFile(std::uint64_t byte)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limite{rlim_t(byte), rlim_t(byte)};
    return ::setrlimit(RLIMIT_FSIZE, &limite) == 0;
}

bool creaFifo(const fs::path &percorso)
{
    return ::mkfifo(percorso.c_str(), 0644) == 0;
}

bool eseguibileNelPath(const std::string &nome)
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

bool nobodyDisponibile()
{
    return ::geteuid() == 0 && eseguibileNelPath("setpriv");
}

std::vector<std::string> comeNobody(std::vector<std::string> argomenti)
{
    argomenti.insert(argomenti.begin(),
                     {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"});
    return argomenti;
}

struct Processo::Figlio {
    pid_t pid = -1;
    int ingresso = -1;
    int uscita = -1;
    int errori = -1;
    std::optional<int> stato;

    static void chiudi(int &fd)
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }

    void chiudiTutti()
    {
        chiudi(ingresso);
        chiudi(uscita);
        chiudi(errori);
    }

    static void raccogli(int &fd, std::string &dove)
    {
        char blocco[65536];
        const ssize_t n = ::read(fd, blocco, sizeof blocco);
        if (n > 0)
            dove.append(blocco, std::size_t(n));
        else if (n == 0 || (errno != EINTR && errno != EAGAIN))
            chiudi(fd);
    }

    // Whatever the child prints by `scadenza`, or by the next second; false once it is late.
    bool attendiDati(Orologio::time_point scadenza, std::string &testoUscita,
                     std::string &testoErrori)
    {
        const auto resta =
            std::chrono::duration_cast<std::chrono::milliseconds>(scadenza - Orologio::now());
        if (resta.count() <= 0)
            return false;
        pollfd attesa[] = {{uscita, POLLIN, 0}, {errori, POLLIN, 0}};
        const int n = ::poll(attesa, 2, int(std::min<long long>(resta.count(), 1000)));
        if (n < 0 && errno != EINTR)
            return false;
        if (attesa[0].revents)
            raccogli(uscita, testoUscita);
        if (attesa[1].revents)
            raccogli(errori, testoErrori);
        return true;
    }

    // Until `testo`, the text of one of the two pipes (`fd`), holds a whole line or that pipe
    // closes; false once it is late.
    bool attendiRiga(const std::string &testo, const int &fd, Orologio::time_point scadenza,
                     std::string &testoUscita, std::string &testoErrori)
    {
        while (testo.find('\n') == std::string::npos && fd >= 0) {
            if (!attendiDati(scadenza, testoUscita, testoErrori))
                return false;
        }
        return testo.find('\n') != std::string::npos;
    }
};

Processo::Processo(const std::vector<std::string> &argomenti, const fs::path &cartella)
    : m_figlio(std::make_unique<Figlio>())
{
    // Close-on-exec, so that no other child holds these pipes open; dup2 clears it on the
    // three the child keeps.
    int ingresso[2], uscita[2], errori[2];
    if (::pipe2(ingresso, O_CLOEXEC) != 0 || ::pipe2(uscita, O_CLOEXEC) != 0 ||
        ::pipe2(errori, O_CLOEXEC) != 0)
        return;
    std::vector<char *> argv;
    for (const auto &a : argomenti)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    Figlio &f = *m_figlio;
    f.pid = ::fork();
    if (f.pid == 0) {
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
    f.ingresso = ingresso[1];
    f.uscita = uscita[0];
    f.errori = errori[0];
    if (f.pid < 0)
        f.chiudiTutti();
}

Processo::~Processo()
{
    if (m_figlio->pid > 0 && !m_figlio->stato) {
        uccidi();
        attendi(std::chrono::seconds(30));
    }
    m_figlio->chiudiTutti();
}

bool Processo::avviato() const
{
    return m_figlio->pid > 0;
}

void Processo::scriviEChiudi(std::string_view dati)
{
    Figlio &f = *m_figlio;
    std::signal(SIGPIPE, SIG_IGN); // a child that stops reading is no fault of ours
    while (!dati.empty() && f.ingresso >= 0) {
        pollfd attesa[] = {{f.ingresso, POLLOUT, 0}, {f.uscita, POLLIN, 0}, {f.errori, POLLIN, 0}};
        if (::poll(attesa, 3, 1000) < 0 && errno != EINTR)
            break;
        if (attesa[1].revents)
            Figlio::raccogli(f.uscita, uscita);
        if (attesa[2].revents)
            Figlio::raccogli(f.errori, errori);
        if (attesa[0].revents & (POLLERR | POLLHUP))
            break;
        if (attesa[0].revents & POLLOUT) {
            const ssize_t n = ::write(f.ingresso, dati.data(), dati.size());
            if (n < 0 && errno != EINTR && errno != EAGAIN)
                break;
            if (n > 0)
                dati.remove_prefix(std::size_t(n));
        }
    }
    Figlio::chiudi(f.ingresso);
}

bool Processo::attendiRiga(Orologio::duration limite)
{
    return m_figlio->attendiRiga(uscita, m_figlio->uscita, Orologio::now() + limite, uscita,
                                 errori);
}

bool Processo::attendiRigaDiErrore(Orologio::duration limite)
{
    return m_figlio->attendiRiga(errori, m_figlio->errori, Orologio::now() + limite, uscita,
                                 errori);
}

void Processo::uccidi()
{
    if (m_figlio->pid > 0 && !m_figlio->stato)
        ::kill(m_figlio->pid, SIGKILL);
}

bool Processo::attendi(Orologio::duration limite)
{
    Figlio &f = *m_figlio;
    Figlio::chiudi(f.ingresso);
    if (f.pid <= 0)
        return false;
    const auto scadenza = Orologio::now() + limite;
    while (f.uscita >= 0 || f.errori >= 0) {
        if (!f.attendiDati(scadenza, uscita, errori))
            return false;
    }
    while (!f.stato) {
        int stato = 0;
        const pid_t fatto = ::waitpid(f.pid, &stato, WNOHANG);
        if (fatto == f.pid)
            f.stato = stato;
        else if (fatto < 0 && errno != EINTR)
            return false;
        else if (Orologio::now() > scadenza)
            return false;
        else
            ::usleep(1000);
    }
    return true;
}

int Processo::codice() const
{
    const auto &stato = m_figlio->stato;
    return stato && WIFEXITED(*stato) ? WEXITSTATUS(*stato) : -1;
}

BloccoTenuto::BloccoTenuto(const fs::path &percorso, bool esclusivo)
    : m_file(::open(percorso.c_str(), O_RDONLY | O_CLOEXEC))
{
    m_tenuto = m_file >= 0 && ::flock(static_cast<int>(m_file), esclusivo ? LOCK_EX : LOCK_SH) == 0;
}

BloccoTenuto::~BloccoTenuto()
{
    if (m_file >= 0)
        ::close(static_cast<int>(m_file));
}

} // namespace prova
