// SPDX-License-Identifier: GPL-3.0-or-later
// What starting from the menu costs over starting the program bare: the command of the
// installed menu entry against the installed program run directly in the data folder that
// command prepares. Run on an X server, on an install made with cmake --install:
//
//   xvfb-run -a build/bench/menu PREFISSO [VOLTE]
//
// The user's folders are a fresh temporary HOME. The menu command runs once first, so that
// every measured start finds the folder ready, as every start but the first does. Then the
// two alternate, VOLTE times each (11 by default), timed from exec to the first window
// mapped; prints the medians and their ratio.

#include "cattura/finestrax11.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

double Mediana(std::vector<double> valori)
{
    std::sort(valori.begin(), valori.end());
    const std::size_t n = valori.size();
    return n % 2 ? valori[n / 2] : (valori[n / 2 - 1] + valori[n / 2]) / 2;
}

// The Exec= line's words: double quotes group, a backslash inside them escapes the next
// character, and field codes (%f, %u ...) stand for nothing here.
std::vector<std::string> ParoleDiExec(const std::string &riga)
{
    // Every desktop-entry string has its backslashes doubled first.
    std::string testo;
    for (std::size_t i = 0; i < riga.size(); ++i) {
        if (riga[i] == '\\' && i + 1 < riga.size() && riga[i + 1] == '\\')
            ++i;
        testo += riga[i];
    }
    std::vector<std::string> parole;
    std::string parola;
    bool inParola = false, virgolette = false;
    for (std::size_t i = 0; i < testo.size(); ++i) {
        const char c = testo[i];
        if (virgolette) {
            if (c == '"')
                virgolette = false;
            else if (c == '\\' && i + 1 < testo.size())
                parola += testo[++i];
            else
                parola += c;
        } else if (c == '"') {
            virgolette = inParola = true;
        } else if (c == ' ') {
            if (inParola)
                parole.push_back(std::exchange(parola, {}));
            inParola = false;
        } else if (c == '%' && i + 1 < testo.size()) {
            if (testo[++i] == '%') {
                parola += '%';
                inParola = true;
            }
        } else {
            parola += c;
            inParola = true;
        }
    }
    if (inParola)
        parole.push_back(parola);
    return parole;
}

std::string NelPath(const std::string &nome)
{
    if (nome.find('/') != std::string::npos)
        return nome;
    const char *path = std::getenv("PATH");
    std::string elenco = path ? path : "";
    std::size_t inizio = 0;
    for (;;) {
        const std::size_t fine = elenco.find(':', inizio);
        const std::string cartella = elenco.substr(inizio, fine - inizio);
        const std::string candidato = cartella + "/" + nome;
        if (::access(candidato.c_str(), X_OK) == 0)
            return candidato;
        if (fine == std::string::npos)
            return nome;
        inizio = fine + 1;
    }
}

bool Misura(Display *display, const std::vector<std::string> &comando, const std::string &cartella,
            std::vector<double> &ms)
{
    const Avviato avviato = AvviaEAttendi(display, comando, cartella, 30000);
    if (avviato.pid < 0) {
        std::fprintf(stderr, "%s non ha aperto una finestra\n", comando[0].c_str());
        return false;
    }
    ms.push_back(avviato.millisecondi);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    Termina(avviato.pid);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "Uso: xvfb-run -a %s PREFISSO [VOLTE]\n", argv[0]);
        return 2;
    }
    const std::filesystem::path prefisso = std::filesystem::absolute(argv[1]);
    const int volte = argc > 2 ? std::atoi(argv[2]) : 11;
    Display *display = XOpenDisplay(nullptr);
    if (!display || volte < 1) {
        std::fprintf(stderr, "Serve uno schermo X e un numero di avvii positivo\n");
        return 2;
    }

    std::ifstream voce(prefisso / "share/applications" / (std::string(LEGGE_ID_APP) + ".desktop"));
    std::string riga, exec;
    while (std::getline(voce, riga))
        if (riga.starts_with("Exec="))
            exec = riga.substr(5);
    std::vector<std::string> menu = ParoleDiExec(exec);
    if (menu.empty()) {
        std::fprintf(stderr, "Nessuna riga Exec= nella voce del menu installata in %s\n",
                     prefisso.c_str());
        return 2;
    }
    // The desktop finds a bare name on its PATH, where the prefix's bin comes first.
    const char *pathPrima = std::getenv("PATH");
    const std::string path = (prefisso / "bin").string() + ":" + (pathPrima ? pathPrima : "");
    ::setenv("PATH", path.c_str(), 1);
    menu[0] = NelPath(menu[0]);

    char modello[] = "/tmp/menu-XXXXXX";
    const char *casa = mkdtemp(modello);
    if (!casa) {
        std::fprintf(stderr, "Impossibile creare la cartella di prova\n");
        return 2;
    }
    ::setenv("HOME", casa, 1);
    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("XDG_CONFIG_HOME");
    const std::string cartella = std::string(casa) + "/.local/share/leggealgiorno";
    const std::vector<std::string> nudo{(prefisso / "bin/leggealgiorno").string()};

    std::vector<double> daMenu, diretto;
    bool riuscito = Misura(display, menu, casa, daMenu);
    daMenu.clear();
    if (riuscito && !std::filesystem::exists(cartella + "/Massime.dat")) {
        std::fprintf(stderr, "Il comando del menu non ha preparato %s\n", cartella.c_str());
        riuscito = false;
    }
    for (int i = 0; i < volte && riuscito; ++i)
        riuscito = Misura(display, menu, casa, daMenu) && Misura(display, nudo, cartella, diretto);
    std::filesystem::remove_all(casa);
    XCloseDisplay(display);
    if (!riuscito)
        return 1;

    std::string comando;
    for (const auto &parola : menu)
        comando += (comando.empty() ? "" : " ") + parola;
    const double msMenu = Mediana(daMenu), msNudo = Mediana(diretto);
    std::printf("comando del menu: %s\n", comando.c_str());
    std::printf("mediane su %d avvii ciascuno\n", volte);
    std::printf("%-20s %10s\n", "", "mappa (ms)");
    std::printf("%-20s %10.1f\n", "dal menu", msMenu);
    std::printf("%-20s %10.1f\n", "nudo nella cartella", msNudo);
    std::printf("%-20s %10.3f\n", "rapporto", msMenu / msNudo);
    return 0;
}
