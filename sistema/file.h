// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Files: opening, reading, writing and replacing them. The standard streams are in
// sistema/flussi.h, the program's arguments in sistema/argomenti.h, the local clock in
// sistema/orologio.h; nothing here names a type of one platform.

#include "sistema/errorefile.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace legge {

// How much a file is read or written at a time: large enough that a system call per block
// costs nothing next to the scan, small enough to stay in the cache.
inline constexpr std::size_t DimensioneBlocco = 256 * 1024;

class AccessoNativo;
namespace nativo {
class Aperto;
}

// An open file. It closes itself, unless it is one of the standard streams, which belong
// to the process. Every failure throws ErroreFile naming `percorso()`.
class FileAperto {
public:
    FileAperto() noexcept = default;
    ~FileAperto();
    FileAperto(FileAperto &&altro) noexcept;
    FileAperto &operator=(FileAperto &&altro) noexcept;
    FileAperto(const FileAperto &) = delete;
    FileAperto &operator=(const FileAperto &) = delete;

    // False for the handle of a file that was missing.
    explicit operator bool() const noexcept;
    const std::filesystem::path &percorso() const noexcept { return m_percorso; }

    // Up to `dimensione` bytes, as many as the system hands over at once; 0 only at the end.
    std::size_t leggi(char *dati, std::size_t dimensione);
    // Fills `dati` unless the file ends first; returns how much it holds.
    std::size_t riempi(char *dati, std::size_t dimensione);
    void scrivi(std::string_view dati);
    // Text for a person, in UTF-8 and made of whole characters: a console that does not
    // take UTF-8 bytes gets it in the form it shows correctly.
    void scriviTesto(std::string_view utf8);
    // Whether the handle is a terminal (a console), where control bytes would act.
    bool terminale() const;

private:
    friend class AccessoNativo;
    FileAperto(std::intptr_t nativo, std::filesystem::path percorso, bool proprio) noexcept;
    void chiudi() noexcept;

    std::intptr_t m_nativo = -1;
    std::filesystem::path m_percorso;
    bool m_proprio = false;
};

// Who holds a file that a read or a write waits for, as far as the system can tell.
struct TitolareBlocco {
    std::uint64_t processo = 0; // 0 when the system does not say
    std::string programma;      // its name, UTF-8; may be empty
};

// How long a read or a write waits for another program that holds the file it needs whole,
// before it gives up with ErroreFile::Tipo::Bloccato and changes nothing. What a default
// Attesa allows is short enough that a click or a start never seems frozen.
struct Attesa {
    std::chrono::milliseconds limite{2000};
    // Called once, when the wait has lasted `avviso`, with the file and who holds it.
    std::chrono::milliseconds avviso{1000};
    std::function<void(const std::filesystem::path &, const TitolareBlocco &)> annuncia;
};

// Opens a data file for reading. Anything but a regular file is refused without waiting:
// a FIFO would block the start for ever and a device may never end. A missing file gives
// a handle that converts to false; any other failure throws.
FileAperto ApriFileDati(const std::filesystem::path &percorso);

// ApriFileDati for a file that is read as a whole: one with more than one name, which
// SostituisciFile rewrites in place, is kept from writers until the handle closes, so that
// what is read is all old or all new. It waits for a writer as `attesa` says.
FileAperto ApriFileDatiIntero(const std::filesystem::path &percorso, const Attesa &attesa = {});

// Opens any readable file, a pipe or a device included, for a tool that is told what to
// read. A missing file throws like any other failure. A file with more than one name is
// kept from writers as ApriFileDatiIntero does.
FileAperto ApriInLettura(const std::filesystem::path &percorso, const Attesa &attesa = {});

// Creates `percorso` empty unless something already stands there.
void CreaFileVuoto(const std::filesystem::path &percorso);

// Replaces the content of `percorso` so that a reader, a crash or a full disk can only ever
// see the old content or the new one, and keeps what stands at the path:
// - a symbolic link stays, and the file it leads to gets the content;
// - a file with more than one name is rewritten in place, so that every name sees the new
//   content; on failure its old bytes are put back;
// - mode, owner and group survive (owner and group as far as the process may set them),
//   except that the owner may always read and write what was written; on Windows the
//   hidden and system attributes do, and a read-only file is refused;
// - anything that is not a regular file (a directory, a device, a FIFO, a socket) is
//   refused and left untouched.
// When the directory refuses the temporary file but the file itself is writable, it is
// rewritten in place as a last resort; so is a file that another program holds open and
// Windows will not let be replaced. A write in place waits for another writer, or a reader
// that keeps the file whole, as `attesa` says. Throws ErroreFile; no temporary file is left.
void SostituisciFile(const std::filesystem::path &percorso, std::string_view contenuto,
                     const Attesa &attesa = {});

// The same replace for content written a piece at a time and checked as it goes: it
// gathers in a temporary file beside `percorso`, so memory stays small whatever its size,
// and nothing at the path changes until conferma(). Destroyed unconfirmed, it leaves no
// trace. Where the folder takes no new file, the content waits in memory instead.
class SostituzioneFile {
public:
    explicit SostituzioneFile(std::filesystem::path percorso, Attesa attesa = {});
    ~SostituzioneFile();
    SostituzioneFile(const SostituzioneFile &) = delete;
    SostituzioneFile &operator=(const SostituzioneFile &) = delete;

    void scrivi(std::string_view dati);
    void conferma();

private:
    std::filesystem::path m_percorso;
    Attesa m_attesa;
    std::unique_ptr<nativo::Aperto> m_temporaneo;
    std::filesystem::path m_nomeTemporaneo;
    std::uint64_t m_scritti = 0;
    bool m_inMemoria = false;
    std::string m_memoria;
};

// `percorso` as UTF-8 for a person to read. A POSIX name is bytes: one that is not UTF-8 is
// read in the encoding of the user's locale where that makes sense of it, and otherwise
// shows each byte that is not a character as \xHH, never as a replacement mark.
std::string PercorsoMostrabile(const std::filesystem::path &percorso);

// Whether `percorso` names the very file that `aperto` reads, whatever either path says
// (another name, a link). False when nothing stands at `percorso`.
bool StessoFile(const FileAperto &aperto, const std::filesystem::path &percorso);

} // namespace legge
