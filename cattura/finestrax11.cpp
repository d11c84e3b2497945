// SPDX-License-Identifier: GPL-3.0-or-later
// Starting a program, itself or under Wine, and watching the X server for its first window:
// the moment the benchmarks time, and the window the screenshots take.
#include "cattura/finestrax11.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Orologio = std::chrono::steady_clock;

double MsDa(Orologio::time_point inizio)
{
    return std::chrono::duration<double, std::milli>(Orologio::now() - inizio).count();
}

// Where `nome` is found on the PATH; `nome` itself when nowhere.
std::string NelPath(const std::string &nome)
{
    const char *path = std::getenv("PATH");
    std::string elenco = path ? path : "";
    for (std::size_t inizio = 0; inizio <= elenco.size();) {
        std::size_t fine = elenco.find(':', inizio);
        if (fine == std::string::npos)
            fine = elenco.size();
        const std::string candidato = elenco.substr(inizio, fine - inizio) + "/" + nome;
        if (access(candidato.c_str(), X_OK) == 0)
            return candidato;
        inizio = fine + 1;
    }
    return nome;
}

} // namespace

bool SottoWine(const std::string &programma)
{
    return programma.ends_with(".exe");
}

std::vector<std::string> Comando(const std::string &programma)
{
    if (SottoWine(programma))
        return {NelPath("wine"), std::filesystem::absolute(programma).string()};
    return {programma};
}

Avviato AvviaEAttendi(Display *display, const std::vector<std::string> &comando,
                      const std::string &cartella, int attesaMs)
{
    const Window radice = DefaultRootWindow(display);
    // Listening before the fork, so that no map can be missed.
    XSelectInput(display, radice, SubstructureNotifyMask);
    XSync(display, True);

    std::vector<char *> argv;
    for (const auto &parola : comando)
        argv.push_back(const_cast<char *>(parola.c_str()));
    argv.push_back(nullptr);

    const auto inizio = Orologio::now();
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(cartella.c_str()) != 0)
            _exit(126);
        execv(argv[0], argv.data());
        _exit(127);
    }
    Avviato risultato;
    if (pid < 0)
        return risultato;

    const int fd = ConnectionNumber(display);
    while (MsDa(inizio) < attesaMs) {
        while (XPending(display)) {
            XEvent evento;
            XNextEvent(display, &evento);
            if (evento.type == MapNotify && evento.xmap.event == radice &&
                !evento.xmap.override_redirect) {
                risultato.millisecondi = MsDa(inizio);
                risultato.pid = pid;
                risultato.finestra = evento.xmap.window;
                XSelectInput(display, radice, NoEventMask);
                return risultato;
            }
        }
        int stato = 0;
        if (waitpid(pid, &stato, WNOHANG) == pid)
            return risultato;
        fd_set pronti;
        FD_ZERO(&pronti);
        FD_SET(fd, &pronti);
        timeval pausa{0, 20000};
        select(fd + 1, &pronti, nullptr, nullptr, &pausa);
    }
    Termina(pid);
    return risultato;
}

long MemoriaResidenteKiB(pid_t pid)
{
    std::ifstream stato("/proc/" + std::to_string(pid) + "/status");
    std::string riga;
    while (std::getline(stato, riga)) {
        if (riga.rfind("VmRSS:", 0) == 0)
            return std::strtol(riga.c_str() + 6, nullptr, 10);
    }
    return -1;
}

void Termina(pid_t pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    int stato = 0;
    waitpid(pid, &stato, 0);
}
