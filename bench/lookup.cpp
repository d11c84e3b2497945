// SPDX-License-Identifier: GPL-3.0-or-later
// Looks up the last record of a 256 MiB law file and prints the throughput and the peak
// memory of the process that did it; then searches the same file for a text only that
// record holds. A bare memchr pass over the same file is printed
// beside it, as the ceiling that the lookup is measured against. The same lookup through
// the command-line tool is timed from outside, so that its start-up counts too.
//
//   build/bench/lookup [FILE]     (default: a temporary file, removed afterwards)

#include "leggi/massime.h"
#include "tests/supporto/codifica.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::uint64_t Dimensione = 256ull * 1024 * 1024;
constexpr int Ripetizioni = 7;

void genera(const std::filesystem::path &file, std::size_t &records)
{
    std::FILE *f = std::fopen(file.c_str(), "wb");
    if (!f) {
        std::perror(file.c_str());
        std::exit(2);
    }
    std::string blocco;
    std::uint64_t scritti = 0;
    std::uint32_t stato = 12345;
    records = 0;
    while (scritti < Dimensione - 1024) {
        // Bodies of 140..240 bytes give about 1.3 million records.
        stato = stato * 1103515245u + 12345u;
        const int lunghezza = 140 + int((stato >> 16) % 101);
        blocco =
            CodificaRecord(int(records % 366) + 1, "Legge di prova",
                           std::string(std::size_t(lunghezza), char('a' + char(records % 26))));
        std::fwrite(blocco.data(), 1, blocco.size(), f);
        scritti += blocco.size();
        ++records;
    }
    blocco = CodificaRecord(500, "Ultima legge", "Il fondo del file.") + ChiusuraMassime();
    std::fwrite(blocco.data(), 1, blocco.size(), f);
    ++records;
    std::fclose(f);
}

double secondi(std::chrono::steady_clock::time_point inizio)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - inizio).count();
}

void stampa(const char *nome, std::uint64_t byte, std::vector<double> tempi, long piccoKiB)
{
    std::sort(tempi.begin(), tempi.end());
    const double mediana = tempi[tempi.size() / 2];
    std::printf("%-24s mediana %7.1f ms  %6.2f GB/s  (migliore %6.2f GB/s)  picco %6.1f MiB\n",
                nome, mediana * 1e3, double(byte) / mediana / 1e9, double(byte) / tempi[0] / 1e9,
                double(piccoKiB) / 1024.0);
}

// Runs `lavoro` in a child process and returns its best time and its peak resident memory.
template <typename F> void misura(const char *nome, std::uint64_t byte, F lavoro)
{
    std::vector<double> tempi;
    long piccoKiB = 0;
    for (int i = 0; i < Ripetizioni; ++i) {
        int tubo[2];
        if (pipe(tubo) != 0)
            std::exit(2);
        const pid_t figlio = fork();
        if (figlio == 0) {
            close(tubo[0]);
            const auto inizio = std::chrono::steady_clock::now();
            const bool ok = lavoro();
            const double t = secondi(inizio);
            if (write(tubo[1], &t, sizeof t) != sizeof t || !ok)
                _exit(1);
            _exit(0);
        }
        close(tubo[1]);
        double t = 0;
        if (read(tubo[0], &t, sizeof t) != sizeof t) {
            std::fprintf(stderr, "%s: il processo di misura è fallito\n", nome);
            std::exit(2);
        }
        close(tubo[0]);
        int stato = 0;
        rusage uso{};
        wait4(figlio, &stato, 0, &uso);
        if (!WIFEXITED(stato) || WEXITSTATUS(stato) != 0) {
            std::fprintf(stderr, "%s: risultato sbagliato\n", nome);
            std::exit(1);
        }
        tempi.push_back(t);
        piccoKiB = std::max(piccoKiB, uso.ru_maxrss);
    }
    stampa(nome, byte, tempi, piccoKiB);
}

// Times whole runs of `massime COMANDO ARGOMENTO FILE`, from fork to exit, as a user would
// see them.
void misuraStrumento(const std::filesystem::path &file, std::uint64_t byte, const char *comando,
                     const char *argomento)
{
    std::vector<double> tempi;
    long piccoKiB = 0;
    for (int i = 0; i < Ripetizioni; ++i) {
        const auto inizio = std::chrono::steady_clock::now();
        const pid_t figlio = fork();
        if (figlio == 0) {
            const int nulla = open("/dev/null", O_WRONLY);
            dup2(nulla, STDOUT_FILENO);
            execl(MASSIME, MASSIME, comando, argomento, file.c_str(), static_cast<char *>(nullptr));
            _exit(127);
        }
        int stato = 0;
        rusage uso{};
        wait4(figlio, &stato, 0, &uso);
        const double t = secondi(inizio);
        if (!WIFEXITED(stato) || WEXITSTATUS(stato) != 0) {
            std::fprintf(stderr, "massime %s: risultato sbagliato\n", comando);
            std::exit(1);
        }
        tempi.push_back(t);
        piccoKiB = std::max(piccoKiB, uso.ru_maxrss);
    }
    const std::string nome = std::string("massime ") + comando + " " + argomento;
    stampa(nome.c_str(), byte, tempi, piccoKiB);
}

} // namespace

int main(int argc, char **argv)
{
    const bool temporaneo = argc < 2;
    const std::filesystem::path file =
        temporaneo ? std::filesystem::temp_directory_path() / "bench-massime.dat"
                   : std::filesystem::path(argv[1]);
    std::size_t records = 0;
    genera(file, records);
    const std::uint64_t byte = std::filesystem::file_size(file);
    std::printf("file %s: %.0f MiB, %zu record\n", file.c_str(), double(byte) / (1 << 20), records);

    // Warm the page cache so that both passes read from memory.
    misura("memchr (riferimento)", byte, [&] {
        legge::FileAperto sorgente = legge::ApriFileDati(file);
        std::vector<char> buffer(legge::DimensioneBlocco);
        const char separatore = SeparatoreCodificato();
        std::size_t separatori = 0;
        while (const std::size_t n = sorgente.leggi(buffer.data(), buffer.size())) {
            for (const char *p = buffer.data(), *fine = p + n;
                 (p = static_cast<const char *>(std::memchr(p, separatore, std::size_t(fine - p))));
                 ++p)
                ++separatori;
        }
        return separatori == records + 1;
    });
    misura("CercaLegge(500)", byte, [&] {
        const auto legge = legge::CercaLegge(file, 500, legge::SeManca::Errore);
        return legge.trovata && legge.titolo == "Ultima legge";
    });
    misuraStrumento(file, byte, "mostra", "500");
    // Every byte looked at; only the last law holds the text, and only it is decoded.
    misuraStrumento(file, byte, "cerca", "FONDO DEL FILE");

    if (temporaneo)
        std::filesystem::remove(file);
    return 0;
}
