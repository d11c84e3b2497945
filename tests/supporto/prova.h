// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the tests share: temporary directories, files, noise and child processes, in
// standard C++ and the system's own calls only, so that the core's tests build without Qt
// on Linux and on Windows. comune.cpp holds what is the same everywhere, posix.cpp and
// win32.cpp what each system does its own way.

#include "opzioni/modo.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#ifndef _WIN32
#include <sys/types.h>
#endif

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
// A directory after a write of the mode, with nothing left behind.
inline const std::vector<std::string> SoloOpzioni{"Option.dat"};

std::optional<std::string> leggiSeEsiste(const fs::path &percorso);
std::string leggi(const fs::path &percorso, const std::string &seManca = {});
bool scrivi(const fs::path &percorso, std::string_view dati);

// Plain text to the stored, scrambled form of a law file.
std::string codifica(std::string_view testo);

// Everything in a directory, hidden files included, sorted.
std::vector<std::string> voci(const fs::path &cartella);

// `n` bytes of noise, the same for the same seed.
std::string byteCasuali(std::size_t n, std::uint64_t seme);

// A number in [0, n) from `generatore`.
template <class Generatore> int aCaso(Generatore &generatore, int n)
{
    return std::uniform_int_distribution<int>(0, n - 1)(generatore);
}

// Splits a line of tab-separated fields; the trailing line break is left out.
std::vector<std::string> campi(std::string riga);
// The field `i`, or nothing when the line has fewer.
std::string campo(const std::vector<std::string> &elenco, std::size_t i);

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

// A child process with its standard input, output and error on pipes.
class Processo {
public:
    using Orologio = std::chrono::steady_clock;

    // argomenti[0] is looked up in PATH; `cartella` is the child's working directory.
    explicit Processo(const std::vector<std::string> &argomenti, const fs::path &cartella = {});
    ~Processo();
    Processo(const Processo &) = delete;
    Processo &operator=(const Processo &) = delete;

    bool avviato() const;
    // Writes everything to the child's standard input and closes it.
    void scriviEChiudi(std::string_view dati);
    // Waits until the child has printed a whole line, or has closed its output.
    bool attendiRiga(Orologio::duration limite);
#ifndef _WIN32
    // The same for the standard error.
    bool attendiRigaDiErrore(Orologio::duration limite);
#endif
    void uccidi();
    // Collects everything the child prints until it ends; false if it is still running when
    // the time is up.
    bool attendi(Orologio::duration limite);
    // The exit code, or -1 for a child that was killed.
    int codice() const;

    std::string uscita;
    std::string errori;

private:
    struct Figlio; // what the system keeps of the child
    std::unique_ptr<Figlio> m_figlio;
};

// What a process printed and how it ended. `codice` is -1 when it was killed, could not
// start or did not end in time.
struct Esito {
    int codice = -1;
    std::string uscita;
    std::string errori;
};

// Runs a program to the end with `ingresso` on its standard input. One that hangs is killed.
Esito esegui(const std::vector<std::string> &argomenti, std::string_view ingresso = {},
             std::chrono::seconds limite = std::chrono::seconds(60));

// A copy of a built program in a directory of its own that any user can enter and run.
class CopiaEseguibile {
public:
    explicit CopiaEseguibile(const fs::path &programma);
    std::string str() const { return m_percorso.string(); }

private:
    CartellaTemporanea m_cartella;
    fs::path m_percorso;
};

// Holds the lock that the program's readers (shared) and writers (exclusive) take, from
// an open file of its own, as another program would, until destroyed.
class BloccoTenuto {
public:
    BloccoTenuto(const fs::path &percorso, bool esclusivo);
    ~BloccoTenuto();
    BloccoTenuto(const BloccoTenuto &) = delete;
    BloccoTenuto &operator=(const BloccoTenuto &) = delete;
    bool tenuto() const { return m_tenuto; }

private:
    std::intptr_t m_file = -1;
    bool m_tenuto = false;
};

#ifdef _WIN32
std::wstring utf16(std::string_view utf8);
// A command line that the C runtime of the child splits back into `argomenti`.
std::wstring rigaDiComando(const std::vector<std::string> &argomenti);
#else
bool cambiaPermessi(const fs::path &percorso, mode_t permessi);
// What a full disk does to this process's writes, and root cannot override it: past
// `byte`, a write fails with EFBIG instead of raising SIGXFSZ.
bool limitaFile(std::uint64_t byte);
bool creaFifo(const fs::path &percorso);
bool eseguibileNelPath(const std::string &nome);
// Root ignores file permissions: a check of rights runs as nobody instead.
bool nobodyDisponibile();
// The same command line, run as nobody.
std::vector<std::string> comeNobody(std::vector<std::string> argomenti);
#endif

} // namespace prova
