// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace massime {

// Exit statuses, shared by every command.
inline constexpr int Riuscito = 0;
inline constexpr int NonTrovatoOProblemi = 1;
inline constexpr int ErroreUsoOFile = 2;

struct Argomenti {
    std::vector<std::string> posizionali;
    bool json = false;
    bool grezzo = false;
    std::optional<std::string> uscita; // -o
    bool tutti = false;                 // every problem, not only the first ones
};

// How many problems verifica lists before it only counts them.
inline constexpr std::size_t ProblemiElencati = 100;

// Each command returns the exit status; file errors surface as legge::ErroreFile, wrong
// arguments as ErroreUso.
struct ErroreUso {
    std::string messaggio;
};

// How a file is named in what the tool writes: "-" is standard input, a name is made
// absolute; as JSON carries it (NomeGrezzo) and as text shows it (NomeDi), where a control
// character in a name must not act on the terminal.
bool Standard(const std::filesystem::path &nome);
std::string NomeGrezzo(const std::filesystem::path &nome);
std::string NomeDi(const std::filesystem::path &nome);

int ComandoNumero(const Argomenti &argomenti);
int ComandoMostra(const Argomenti &argomenti);
int ComandoDecodifica(const Argomenti &argomenti);
int ComandoCodifica(const Argomenti &argomenti);
int ComandoVerifica(const Argomenti &argomenti);
int ComandoStatistiche(const Argomenti &argomenti);

} // namespace massime
