// SPDX-License-Identifier: GPL-3.0-or-later
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

    // The reason for the platform's own error code (errno here, GetLastError() on
    // Windows), in UTF-8 whatever the user's locale.
    static ErroreFile daSistema(std::filesystem::path percorso, int codice);

    const std::filesystem::path &percorso() const noexcept { return m_percorso; }
    const std::string &motivo() const noexcept { return m_motivo; }

private:
    std::filesystem::path m_percorso;
    std::string m_motivo;
};

} // namespace legge
