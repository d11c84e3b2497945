// SPDX-License-Identifier: GPL-3.0-or-later
// The one error the core throws about a data file, carrying what a front-end or the tool needs
// to tell the user in its own words.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace legge {

// A failure on one of the data files. It carries what the user needs to act on it: which
// file, and why, as a kind; for the system's own failures, its code and its own reason
// (UTF-8, in the user's language, as the system words it). The sentence shown to the user
// is the words library's (parole/), made from these; what() is for logs and tests.
class ErroreFile : public std::runtime_error {
public:
    enum class Tipo { // what() names each in English, in this order
        Sistema,      // the system refused: see codice() and motivoDiSistema()
        FileVuoto,    // a file that must hold something is empty
        Cartella,     // a directory stands where a file was expected
        Fifo,         // a FIFO stands there
        Socket,       // a socket stands there
        Dispositivo,  // a device stands there
        Pipe,         // a pipe stands there (Windows)
        NonRegolare,  // anything else that is not a regular file
        SolaLettura,  // a read-only file (Windows), which is not replaced
        NonCartella,  // something other than a directory stands where one was expected
        Bloccato,     // another program held the file longer than it was waited for
        SenzaLeggi,   // a law file that holds no law: damaged, or never one
    };
    // What was being done: a refused write leaves what stands at the path as it is.
    enum class Operazione { Lettura, Scrittura };

    // A failure of the system, in its own words (which may be empty) and with its own code
    // (errno here, GetLastError() on Windows; 0 when unknown).
    ErroreFile(std::filesystem::path percorso, std::string motivoDiSistema, int codice = 0);
    ErroreFile(std::filesystem::path percorso, Tipo tipo,
               Operazione operazione = Operazione::Lettura);

    // The system's failure for its own error code.
    static ErroreFile daSistema(std::filesystem::path percorso, int codice);
    // The system's failure for a file that does not exist, for a caller that found it missing.
    static ErroreFile mancante(std::filesystem::path percorso);

    const std::filesystem::path &percorso() const noexcept { return m_percorso; }
    Tipo tipo() const noexcept { return m_tipo; }
    Operazione operazione() const noexcept { return m_operazione; }
    int codice() const noexcept { return m_codice; }
    const std::string &motivoDiSistema() const noexcept { return m_motivoDiSistema; }

private:
    std::filesystem::path m_percorso;
    Tipo m_tipo = Tipo::Sistema;
    Operazione m_operazione = Operazione::Lettura;
    int m_codice = 0;
    std::string m_motivoDiSistema;
};

} // namespace legge
