// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Folders: the user's own ones and the program's; making them, and looking at what stands
// at a path without touching it.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace legge {

// No folder of the user's can be told: the XDG variable gives no absolute path and HOME,
// the fallback, is unset or relative. Windows never gives this.
class ErroreCasa : public std::runtime_error {
public:
    // `variabile`: the XDG variable that would have settled it; `casa`: HOME's value, or
    // nothing when it is unset.
    ErroreCasa(std::string variabile, std::optional<std::string> casa);
    const std::string &variabile() const noexcept { return m_variabile; }
    const std::optional<std::string> &casa() const noexcept { return m_casa; }

private:
    std::string m_variabile;
    std::optional<std::string> m_casa;
};

// The XDG base directory rule: `valore` of `variabile` when it is an absolute path, else
// `predefinita` under HOME (`casa`). Unset and empty values are passed as nothing or "".
// Throws ErroreCasa.
std::filesystem::path CartellaXdg(std::string_view variabile,
                                  std::optional<std::string_view> valore,
                                  std::optional<std::string_view> casa,
                                  const std::filesystem::path &predefinita);

// Where programs keep their users' data: $XDG_DATA_HOME (or ~/.local/share) on POSIX
// systems, the roaming application data folder on Windows. Throws ErroreCasa or ErroreFile.
std::filesystem::path CartellaDatiUtente();
// Where programs keep their users' settings: $XDG_CONFIG_HOME (or ~/.config).
std::filesystem::path CartellaConfigurazioneUtente();

// The running program's own file, with symbolic links resolved; empty when the system
// cannot tell.
std::filesystem::path ProgrammaInEsecuzione();

// Makes `cartella` and whatever is missing above it; a folder that exists, or a link to
// one, is fine. Anything else at the path throws ErroreFile.
void CreaCartelle(const std::filesystem::path &cartella);

// The working directory; empty when the system cannot tell.
std::filesystem::path CartellaCorrente();

// What stands at a path, symbolic links followed.
struct Presenza {
    bool esiste = false; // something stands at the end of the links, if any
    bool fileRegolare = false;
    bool collegamento = false; // the path itself is a symbolic link
    std::uint64_t dimensione = 0;
    // Where the links lead (the path itself when it is none); where known, also for a
    // link to nothing.
    std::filesystem::path destinazione;
};
// Throws ErroreFile for anything but a missing file.
Presenza Guarda(const std::filesystem::path &percorso);

// Removes the file `percorso` (a link itself, not what it leads to). False when nothing was
// there; throws ErroreFile on any other failure.
bool RimuoviFile(const std::filesystem::path &percorso);

// Puts a copy of the regular file `da` at `a` with SostituisciFile: whoever reads `a` sees
// it whole or not at all. Throws ErroreFile, naming `da` for a failure to read it.
void CopiaFile(const std::filesystem::path &da, const std::filesystem::path &a);

} // namespace legge
