// SPDX-License-Identifier: GPL-3.0-or-later
// Runs one core operation in a process of its own, so that the tests can give it what
// a test process cannot have: another user, a file-size limit, a SIGKILL at any moment.
// Prints the outcome on one line; an ErroreFile prints "errore", the path and the reason.
#include "leggi/massime.h"
#include "opzioni/modo.h"
#include "parole/parole.h"
#include "sistema/argomenti.h"
#include "sistema/errorefile.h"
#include "supporto/prova.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace legge;

namespace {

int uso()
{
    std::fputs("uso: aiuto [--limite-file BYTE] leggi-modo FILE\n"
               "                              scrivi-modo FILE giorno|casuale\n"
               "                              cerca FILE NUMERO crea|errore\n"
               "                              alterna FILE\n",
               stderr);
    return 2;
}

Modo modoDa(const std::string &nome)
{
    return nome == "casuale" ? ModoCasuale : ModoGiorno;
}

} // namespace

int main(int argc, char **argv)
{
    int i = 1;
    if (i + 1 < argc && std::strcmp(argv[i], "--limite-file") == 0) {
#ifdef _WIN32
        std::fputs("aiuto: --limite-file vale solo sui sistemi POSIX\n", stderr);
        return 2;
#else
        if (!prova::limitaFile(std::strtoull(argv[i + 1], nullptr, 10))) {
            std::perror("setrlimit");
            return 2;
        }
        i += 2;
#endif
    }
    if (argc - i < 2)
        return uso();
    const std::string comando = argv[i];
    const std::filesystem::path file = PercorsoUtf8(ArgomentiUtf8(argc, argv)[std::size_t(i + 1)]);

    try {
        if (comando == "leggi-modo" && argc - i == 2) {
            const auto modo = LeggiModo(file);
            std::puts(!modo ? "nessuno" : *modo == ModoCasuale ? "casuale" : "giorno");
        } else if (comando == "scrivi-modo" && argc - i == 3) {
            ScriviModo(file, modoDa(argv[i + 2]));
            std::puts("scritto");
        } else if (comando == "cerca" && argc - i == 4) {
            const Legge legge =
                CercaLegge(file, std::atoi(argv[i + 2]),
                           std::strcmp(argv[i + 3], "crea") == 0 ? SeManca::Crea : SeManca::Errore);
            if (legge.trovata)
                std::printf("trovata\t%s\n", legge.titolo.value_or("").c_str());
            else
                std::puts("non trovata");
        } else if (comando == "alterna" && argc - i == 2) {
            // Rewrites the file for ever, so that it can be killed at any point of a write.
            for (bool pronto = false;; pronto = true) {
                ScriviModo(file, ModoCasuale);
                ScriviModo(file, ModoGiorno);
                if (!pronto) {
                    std::puts("pronto");
                    std::fflush(stdout);
                }
            }
        } else {
            return uso();
        }
    } catch (const ErroreFile &errore) {
        std::printf("errore\t%s\t%s\n", errore.percorso().string().c_str(),
                    MotivoErrore(errore).c_str());
        return 3;
    }
    return 0;
}
