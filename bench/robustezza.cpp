// SPDX-License-Identifier: GPL-3.0-or-later
// The large cases of the tool's robustness, too slow for the tests: an endless input for
// codifica, verifica on a file of noise, and concurrent writers into a file with two names.
// Prints each outcome with the child's peak memory and the bytes it wrote.
//   robustezza [MiB of noise, 1024 by default]

#include "tests/supporto/codifica.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Esito {
    int codice = -1;
    long piccoKiB = 0;
    unsigned long long uscita = 0;
    double secondi = 0;
};

// Runs `argomenti` with standard input from `ingresso`, counting what it writes; killed
// after `limite` seconds.
Esito esegui(const std::vector<std::string> &argomenti, const std::string &ingresso = "/dev/null",
             int limite = 600)
{
    int tubo[2];
    if (::pipe(tubo) != 0)
        std::exit(1);
    const auto inizio = std::chrono::steady_clock::now();
    const pid_t figlio = ::fork();
    if (figlio == 0) {
        ::alarm(static_cast<unsigned>(limite));
        std::freopen(ingresso.c_str(), "r", stdin);
        ::dup2(tubo[1], 1);
        ::close(tubo[0]);
        ::close(tubo[1]);
        std::freopen("/dev/null", "w", stderr);
        std::vector<char *> argv;
        for (const auto &a : argomenti)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(tubo[1]);
    Esito esito;
    char blocco[1 << 16];
    for (ssize_t n; (n = ::read(tubo[0], blocco, sizeof blocco)) > 0;)
        esito.uscita += static_cast<unsigned long long>(n);
    ::close(tubo[0]);
    int stato = 0;
    rusage uso{};
    ::wait4(figlio, &stato, 0, &uso);
    esito.codice = WIFEXITED(stato) ? WEXITSTATUS(stato) : -WTERMSIG(stato);
    esito.piccoKiB = uso.ru_maxrss;
    esito.secondi =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - inizio).count();
    return esito;
}

std::string nomeTesto(int i)
{
    std::string nome = "testo";
    nome += std::to_string(i);
    return nome;
}

void stampa(const char *cosa, const Esito &e)
{
    std::printf("%-44s esito %3d  picco %7ld KiB  uscita %12llu byte  %6.2f s\n", cosa, e.codice,
                e.piccoKiB, e.uscita, e.secondi);
}

} // namespace

int main(int argc, char **argv)
{
    const unsigned long long mib = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1024;
    std::string nome = "robustezza-";
    nome += std::to_string(::getpid());
    const fs::path cartella = fs::temp_directory_path() / nome;
    fs::create_directories(cartella);
    const std::string uscita = (cartella / "x.dat").string();

    stampa("codifica /dev/zero (fermato dopo 10 s)",
           esegui({MASSIME, "codifica", "/dev/zero", "-o", uscita}, "/dev/null", 10));
    stampa("codifica /dev/urandom (fermato dopo 10 s)",
           esegui({MASSIME, "codifica", "/dev/urandom", "-o", uscita}, "/dev/null", 10));

    // A valid text as large as the noise: memory must not follow its size.
    const fs::path testo = cartella / "testo.txt";
    {
        std::ofstream f(testo, std::ios::binary);
        // One law of the whole size.
        const std::string riga(1000, 'a');
        f << "/001 Legge\n";
        for (unsigned long long scritti = 0; scritti < mib << 20; scritti += riga.size() + 1)
            f << riga << '\n';
    }
    stampa("codifica di un testo valido (MiB come sotto)",
           esegui({MASSIME, "codifica", testo.string(), "-o", uscita}));
    fs::remove(testo);

    const fs::path rumore = cartella / "rumore.dat";
    {
        std::ofstream f(rumore, std::ios::binary);
        std::mt19937_64 caso(17);
        std::string blocco(1 << 20, '\0');
        for (unsigned long long i = 0; i < mib; ++i) {
            for (char &c : blocco)
                c = static_cast<char>(caso());
            f << blocco;
        }
    }
    stampa("verifica rumore", esegui({MASSIME, "verifica", rumore.string()}));
    stampa("verifica --json rumore", esegui({MASSIME, "verifica", "--json", rumore.string()}));
    stampa("verifica --tutti rumore", esegui({MASSIME, "verifica", "--tutti", rumore.string()}));
    fs::remove(rumore);

    // Ten writers, twenty rounds, into a file with a second name.
    const fs::path bersaglio = cartella / "Massime.dat";
    std::ofstream(bersaglio, std::ios::binary) << CodificaMassime("/001 Vecchia\r\nx\r\n/");
    fs::create_hard_link(bersaglio, cartella / "altro.dat");
    std::vector<std::string> versioni;
    for (int i = 0; i < 10; ++i) {
        std::string chiaro;
        for (int n = 1; n <= 50 + 40 * i; ++n) {
            chiaro += '/';
            chiaro += std::to_string(100 + n);
            chiaro += " Legge\n";
            chiaro.append(static_cast<std::size_t>(300 + 41 * i), static_cast<char>('a' + i));
            chiaro += '\n';
        }
        chiaro += '/';
        std::ofstream(cartella / nomeTesto(i), std::ios::binary) << chiaro;
        std::string atteso;
        for (const char c : chiaro)
            atteso += c == '\n' ? std::string("\r\n") : std::string(1, c);
        versioni.push_back(CodificaMassime(atteso));
    }
    int mescolati = 0, falliti = 0;
    for (int giro = 0; giro < 20; ++giro) {
        std::vector<pid_t> figli;
        for (int i = 0; i < 10; ++i) {
            const std::string sorgente = (cartella / nomeTesto(i)).string();
            const std::string destinazione = bersaglio.string();
            if (const pid_t p = ::fork(); p == 0) {
                std::freopen("/dev/null", "w", stderr);
                ::execl(MASSIME, MASSIME, "codifica", sorgente.c_str(), "-o", destinazione.c_str(),
                        static_cast<char *>(nullptr));
                ::_exit(127);
            } else {
                figli.push_back(p);
            }
        }
        for (const pid_t p : figli) {
            int stato = 0;
            ::waitpid(p, &stato, 0);
            falliti += !(WIFEXITED(stato) && WEXITSTATUS(stato) == 0);
        }
        std::ifstream f(bersaglio, std::ios::binary);
        const std::string risultato((std::istreambuf_iterator<char>(f)), {});
        mescolati += std::find(versioni.begin(), versioni.end(), risultato) == versioni.end();
    }
    std::printf(
        "10 scrittori x 20 giri, file con due nomi: %d giri mescolati, %d scrittori falliti\n",
        mescolati, falliti);
    fs::remove_all(cartella);
    return 0;
}
