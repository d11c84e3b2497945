#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace legge {

// A failure on one of the data files. It carries what the user needs to act on it:
// which file, and the reason the system gave (or ours, when the system had none).
class ErroreFile : public std::runtime_error {
public:
    ErroreFile(std::filesystem::path percorso, std::string motivo);

    // Builds the reason from an errno value, in the language of the user's locale.
    static ErroreFile daErrno(std::filesystem::path percorso, int codice);

    const std::filesystem::path &percorso() const noexcept { return m_percorso; }
    const std::string &motivo() const noexcept { return m_motivo; }

private:
    std::filesystem::path m_percorso;
    std::string m_motivo;
};

} // namespace legge
