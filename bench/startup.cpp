// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up cost of the program against a bare window with the same parts. Run on an
// X server (Xvfb will do):
//
//   xvfb-run -a build/bench/startup [VOLTE [PROGRAMMA NUDA]]
//
// Alternates the two, VOLTE times each (15 by default): the time from exec to the first
// window mapped, and the resident memory 300 ms later. Prints the medians and ratios.
// Without PROGRAMMA and NUDA, the Qt program and bare Qt window of this build; programs
// named *.exe (the Windows edition and its bare window) run under Wine, in the WINEPREFIX
// of the environment, with its wineserver kept running so that no start pays for it.

#include "cattura/finestrax11.h"
#include "cattura/leggiprova.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct Misure {
    std::vector<double> ms;
    std::vector<double> kib;
};

double Mediana(std::vector<double> valori)
{
    std::sort(valori.begin(), valori.end());
    const std::size_t n = valori.size();
    return n % 2 ? valori[n / 2] : (valori[n / 2 - 1] + valori[n / 2]) / 2;
}

bool Misura(Display *display, const std::string &programma, const std::string &cartella,
            Misure &misure)
{
    const Avviato avviato = AvviaEAttendi(display, Comando(programma), cartella, 30000);
    if (avviato.pid < 0) {
        std::fprintf(stderr, "%s non ha aperto una finestra\n", programma.c_str());
        return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    misure.ms.push_back(avviato.millisecondi);
    misure.kib.push_back(double(MemoriaResidenteKiB(avviato.pid)));
    Termina(avviato.pid);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    const int volte = argc > 1 ? std::atoi(argv[1]) : 15;
    const std::string leggealgiorno = argc > 3 ? argv[2] : LEGGEALGIORNO;
    const std::string finestranuda = argc > 3 ? argv[3] : FINESTRANUDA;
    Display *display = XOpenDisplay(nullptr);
    if (!display || volte < 1 || argc == 3 || argc > 4) {
        std::fprintf(stderr, "Serve uno schermo X: xvfb-run -a %s [VOLTE [PROGRAMMA NUDA]]\n",
                     argv[0]);
        return 2;
    }
    const bool wine = SottoWine(leggealgiorno) || SottoWine(finestranuda);
    if (wine && std::system("wineserver -p") != 0) {
        std::fprintf(stderr, "Impossibile avviare wineserver\n");
        return 2;
    }

    char modello[] = "/tmp/avvio-XXXXXX";
    const char *cartella = mkdtemp(modello);
    if (!cartella || !ScriviMassimeDiProva(cartella, 220)) {
        std::fprintf(stderr, "Impossibile preparare la cartella di prova\n");
        return 2;
    }

    Misure programma, nuda;
    bool riuscito = true;
    for (int i = 0; i < volte && riuscito; ++i) {
        riuscito = Misura(display, leggealgiorno, cartella, programma) &&
                   Misura(display, finestranuda, cartella, nuda);
    }
    if (wine && std::system("wineserver -k") != 0)
        std::fprintf(stderr, "wineserver non si è fermato\n");
    std::filesystem::remove_all(cartella);
    XCloseDisplay(display);
    if (!riuscito)
        return 1;

    const double msP = Mediana(programma.ms), msN = Mediana(nuda.ms);
    const double kibP = Mediana(programma.kib), kibN = Mediana(nuda.kib);
    std::printf("mediane su %d avvii ciascuno\n", volte);
    std::printf("%-16s %10s %12s\n", "", "mappa (ms)", "RSS (KiB)");
    std::printf("%-16s %10.1f %12.0f\n", "leggealgiorno", msP, kibP);
    std::printf("%-16s %10.1f %12.0f\n", "finestra nuda", msN, kibN);
    std::printf("%-16s %10.3f %12.3f\n", "rapporto", msP / msN, kibP / kibN);
    return 0;
}
