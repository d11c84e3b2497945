// SPDX-License-Identifier: GPL-3.0-or-later
// Peak memory of `massime verifica` and `massime statistiche` against the size of the file
// they read. Three shapes of file, each at two sizes: ordinary records, one record as long
// as the whole file, and a file of undefined bytes (a problem in every byte). What a run
// holds must not grow with the file.
//
//   build/bench/verifica [MIB]     (default 256: files of 64 and MIB MiB, in the temp dir)

#include "tests/supporto/codifica.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Generatore = std::string (*)(std::size_t indice);

std::string leggiNormali(std::size_t indice)
{
    return CodificaRecord(int(indice % 366) + 1, "Legge di prova",
                          std::string(200, char('a' + char(indice % 26))));
}

std::string unSoloRecord(std::size_t indice)
{
    if (indice == 0)
        return CodificaRecord(1, "Legge lunghissima", std::string(1 << 20, 'x'));
    return CodificaMassime(std::string(1 << 20, 'x'));
}

std::string byteIndefiniti(std::size_t indice)
{
    if (indice == 0)
        return CodificaRecord(1, "Legge guasta", std::string(1 << 20, '\x81'));
    return CodificaMassime(std::string(1 << 20, '\x81'));
}

void genera(const std::filesystem::path &file, std::uint64_t dimensione, Generatore generatore)
{
    std::FILE *f = std::fopen(file.c_str(), "wb");
    if (!f) {
        std::perror(file.c_str());
        std::exit(2);
    }
    std::uint64_t scritti = 0;
    for (std::size_t i = 0; scritti < dimensione; ++i) {
        const std::string blocco = generatore(i);
        std::fwrite(blocco.data(), 1, blocco.size(), f);
        scritti += blocco.size();
    }
    const std::string fine = ChiusuraMassime();
    std::fwrite(fine.data(), 1, fine.size(), f);
    if (std::fclose(f) != 0) {
        std::perror(file.c_str());
        std::exit(2);
    }
}

// Runs the tool on `file` with its output thrown away; prints seconds and peak memory.
void misura(const char *comando, const char *forma, const std::filesystem::path &file)
{
    const auto inizio = std::chrono::steady_clock::now();
    const pid_t figlio = fork();
    if (figlio == 0) {
        const int nulla = open("/dev/null", O_WRONLY);
        dup2(nulla, STDOUT_FILENO);
        execl(MASSIME, MASSIME, comando, file.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    int stato = 0;
    rusage uso{};
    wait4(figlio, &stato, 0, &uso);
    const double secondi =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - inizio).count();
    if (!WIFEXITED(stato) || WEXITSTATUS(stato) > 1) {
        std::fprintf(stderr, "massime %s: esito inatteso\n", comando);
        std::exit(1);
    }
    std::printf("%-12s %-18s %6.0f MiB  %6.2f s  picco %6.1f MiB\n", comando, forma,
                double(std::filesystem::file_size(file)) / (1 << 20), secondi,
                double(uso.ru_maxrss) / 1024.0);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    const std::uint64_t mib = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 256;
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / "bench-verifica.dat";
    const struct {
        const char *nome;
        Generatore generatore;
    } forme[] = {{"record normali", leggiNormali},
                 {"un solo record", unSoloRecord},
                 {"byte indefiniti", byteIndefiniti}};
    for (const auto &forma : forme) {
        for (const std::uint64_t dimensione : {std::uint64_t(64), mib}) {
            genera(file, dimensione << 20, forma.generatore);
            misura("verifica", forma.nome, file);
            misura("statistiche", forma.nome, file);
        }
    }
    std::filesystem::remove(file);
    return 0;
}
