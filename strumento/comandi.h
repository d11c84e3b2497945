// SPDX-License-Identifier: GPL-3.0-or-later
// The massime tool's commands and what they share: the arguments, the exit statuses, and how a
// file is named and opened, standard input included.
#pragma once

#include "sistema/file.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
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
    bool tutti = false;                // every problem, not only the first ones
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

// The law file a command reads: standard input for "-". Whatever the user names is read,
// a pipe included: the tool waits only where it was told to.
class Sorgente {
public:
    explicit Sorgente(std::filesystem::path nome);
    legge::FileAperto &file();
    std::string nome() const;       // as text shows it
    std::string nomeGrezzo() const; // as JSON carries it

private:
    std::filesystem::path m_nome;
    legge::FileAperto m_proprio;
};

// How long the tool waits for a file that another program holds: longer than the window,
// since a person asked for this and is told at once who is in the way, but never without
// end, so that a script stuck behind a lock that is never let go still ends.
legge::Attesa AttesaDelComando();

// The file named by the positional argument `indice`, Massime.dat when there is none.
std::filesystem::path FileDaLeggere(const Argomenti &argomenti, std::size_t indice);
// Throws ErroreUso unless between `minimo` and `massimo` positional arguments were given.
void ControllaPosizionali(const Argomenti &argomenti, std::size_t minimo, std::size_t massimo);
// Text the user gave, of any length, as a message echoes it: its first characters and «…»
// when it goes on, on one line, with no control acting on the terminal.
inline constexpr std::size_t CaratteriCitati = 60;
std::string Citazione(std::string_view utf8);
// The UTF-8 character at `posizione`, whole, as a message names it.
std::string Utf8DiUnCarattere(std::string_view testo, std::size_t posizione);

int ComandoNumero(const Argomenti &argomenti);
int ComandoMostra(const Argomenti &argomenti);
int ComandoDecodifica(const Argomenti &argomenti);
int ComandoCodifica(const Argomenti &argomenti);
int ComandoVerifica(const Argomenti &argomenti);
int ComandoStatistiche(const Argomenti &argomenti);
int ComandoCerca(const Argomenti &argomenti);

} // namespace massime
