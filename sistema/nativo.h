// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The thin primitives each system supplies, in posix.cpp or win32.cpp, and on which the
// rest of sistema/ writes its policy once: the atomic replace (sostituisci.cpp), the
// standard streams (flussi.cpp), the local time (orologio.cpp). Only sistema/ includes
// this. A primitive returns the system's error code, 0 for success, and throws nothing.

#include "sistema/errorefile.h"
#include "sistema/file.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace legge {

// The one door to FileAperto's private constructor and handle, for the layer's own files.
class AccessoNativo {
public:
    static FileAperto proprio(std::intptr_t nativo, const std::filesystem::path &percorso)
    {
        return FileAperto(nativo, percorso, true);
    }
    static FileAperto prestato(std::intptr_t nativo, std::string_view nome)
    {
        return FileAperto(nativo, std::filesystem::path(nome), false);
    }
    static std::intptr_t nativo(const FileAperto &file) { return file.m_nativo; }
};

namespace nativo {

// errno on POSIX systems, GetLastError() on Windows.
using Codice = int;
// A file descriptor, or a HANDLE on Windows.
using Maniglia = std::intptr_t;
inline constexpr Maniglia Nessuna = -1;

// Closes now, so that the error of a close after writing is seen.
Codice Chiudi(Maniglia maniglia) noexcept;

// Closes on leaving scope; for handles that never leave sistema/.
class Aperto {
public:
    Aperto() noexcept = default;
    explicit Aperto(Maniglia maniglia) noexcept : m_maniglia(maniglia) {}
    ~Aperto()
    {
        if (valido())
            Chiudi(m_maniglia);
    }
    Aperto(const Aperto &) = delete;
    Aperto &operator=(const Aperto &) = delete;
    Aperto &operator=(Maniglia maniglia) noexcept
    {
        if (valido())
            Chiudi(m_maniglia);
        m_maniglia = maniglia;
        return *this;
    }
    bool valido() const noexcept { return m_maniglia != Nessuna; }
    Maniglia get() const noexcept { return m_maniglia; }
    Maniglia rilascia() noexcept { return std::exchange(m_maniglia, Nessuna); }
    Codice chiudi() noexcept { return Chiudi(rilascia()); }

private:
    Maniglia m_maniglia = Nessuna;
};

// ---- What stands at a path ----

// Whether a message may show `percorso` made absolute. Windows has names that are not in
// any folder (NUL, AUX, COM1, with any extension) and prefixes (\\?\, \\.\) that making
// absolute would garble: those are shown as the user gave them.
bool DaCompletare(const std::filesystem::path &percorso);

// The code for a file that does not exist.
Codice CodiceMancante();
// Whether `codice` says that nothing stands at the path.
bool Mancante(Codice codice);
// Whether `codice` is the folder refusing a new file, though the file itself may be writable.
bool RifiutoDellaCartella(Codice codice);
// Whether `codice` is another program holding the file, so that it cannot be replaced.
bool TrattenutoDaAltri(Codice codice);
// The system's own reason for `codice`, in UTF-8; empty when it has none.
std::string MotivoDiSistema(Codice codice);

// What stands at a path that is to be replaced, symbolic links followed.
struct Stato {
    bool esiste = false;
    // Where the content lives: the path itself, or the file its links lead to.
    std::filesystem::path destinazione;
    // Set when what stands there is not a regular file.
    std::optional<ErroreFile::Tipo> nonFile;
    bool solaLettura = false;  // Windows' read-only attribute
    bool piuNomi = false;      // more than one hard link
    bool collegamento = false; // the path itself is a symbolic link (a reparse point)
    std::uint64_t dimensione = 0;
    // What the new file keeps of the old: the permission bits, owner and group on POSIX
    // systems; the attributes on Windows (in `modo`).
    std::uint32_t modo = 0;
    std::uint32_t proprietario = 0;
    std::uint32_t gruppo = 0;
};
// A missing file is no error: `esiste` stays false.
Codice StatoDi(const std::filesystem::path &percorso, Stato &stato);

// ---- Writing ----

// Opens the existing file `destinazione` for writing where it stands, for reading too
// where allowed.
Codice ApriSulPosto(const std::filesystem::path &destinazione, Aperto &file);
// The length of an open file, or what it is when it is not a regular file.
Codice Descrivi(Maniglia file, std::uint64_t &dimensione, std::optional<ErroreFile::Tipo> &nonFile);
// Up to `quanti` bytes from the start of the file: as many as can be read.
std::string LeggiDallInizio(Maniglia file, std::size_t quanti);
// Writes all of `dati` from byte `posizione`.
Codice ScriviDa(Maniglia file, std::string_view dati, std::uint64_t posizione);
// Makes the file `lunghezza` bytes long.
Codice Tronca(Maniglia file, std::uint64_t lunghezza);
// Puts what was written on the disk.
Codice Sincronizza(Maniglia file);

// ---- Locks between this program's readers and writers ----

// Takes the lock of `file` without waiting, exclusive for a writer or shared for a reader,
// held until the file is closed. Only those that ask the same way are kept out: a reader
// that takes no lock is never refused. Owned by the open file itself, so that closing
// another handle of the same file in this process does not drop it.
Codice ProvaABloccare(Maniglia file, bool esclusivo);
// Whether `codice` says that another holds the lock; any other failure means that the
// system has no locks for this file (some network shares).
bool Occupato(Codice codice);
// Who holds the lock of `file`, where the system tells it (Linux, in /proc/locks).
TitolareBlocco ChiBlocca(Maniglia file);
// Whether `file` is a regular file with more than one name.
bool PiuNomi(Maniglia file);
void Dormi(std::chrono::milliseconds durata);

// Creates a new, empty, hidden file with a name of its own beside `stato.destinazione`,
// and names it in `nome`. On Windows it gets the attributes of the old file at once.
Codice CreaTemporaneo(const Stato &stato, Aperto &file, std::filesystem::path &nome);
// Gives the new file what it keeps of the old one (mode, owner and group on POSIX systems).
// The owner may always read and write the new file: one that keeps an old mode of 000
// would fail every later read of it.
Codice ConservaAttributi(Maniglia file, const Stato &stato);
// Lets the owner read and write a file rewritten in place, where the process may.
void ApriAlProprietario(Maniglia file);
// Puts `da` in the place of `a` in one step. On Windows it tries again for a moment while
// another program holds `a`.
Codice Rinomina(const std::filesystem::path &da, const std::filesystem::path &a);
void Rimuovi(const std::filesystem::path &percorso);
// Makes a rename in the folder that holds `file` durable, where the system needs it.
void SincronizzaCartella(const std::filesystem::path &file);

// ---- Folders ----

// Makes the one folder `cartella`, not the ones above it.
Codice CreaCartella(const std::filesystem::path &cartella);
// Whether `codice` says that something already stands at the path.
bool GiaPresente(Codice codice);
// Removes a file, or a symbolic link itself.
Codice RimuoviFile(const std::filesystem::path &percorso);

// ---- Identity ----

// What tells one file from another whatever its names: device and inode on POSIX
// systems, volume serial and file index on Windows.
struct Identita {
    std::uint64_t volume = 0;
    std::uint64_t indice = 0;
    bool operator==(const Identita &) const = default;
};
Codice IdentitaDi(Maniglia file, Identita &identita);
// A missing file gives CodiceMancante().
Codice IdentitaDi(const std::filesystem::path &percorso, Identita &identita);

// ---- The process ----

Codice CartellaCorrente(std::filesystem::path &cartella);
// `percorso` made absolute against the working directory, as the system resolves it.
Codice Assoluto(const std::filesystem::path &percorso, std::filesystem::path &assoluto);

// The standard input (0), output (1) or error (2).
Maniglia FlussoStandard(int quale);
// `istante` on the local clock.
void TempoLocale(std::time_t istante, std::tm &locale);

} // namespace nativo

} // namespace legge
