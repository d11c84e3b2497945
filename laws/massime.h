#pragma once

#include "file/file.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace legge {

inline constexpr std::string_view NomeFileMassime{"Massime.dat"};

struct Legge {
    bool trovata = false;
    std::optional<std::string> titolo; // Windows-1252 bytes, as stored
    std::string corpo;                 // Windows-1252 bytes; starts with the title's line break
};

// What to do when the law file does not exist. The program creates it empty so that
// the user can see where it belongs; a tool that only reads must not.
enum class SeManca { Crea, Errore };

// One record of the law file, as the scan hands it over.
struct Record {
    std::size_t indice = 0;       // 1 for the first record in the file
    std::uint64_t posizione = 0;  // byte offset of the record's first byte
    std::uint64_t lunghezza = 0;  // bytes in the file, CRs included, the closing '/' excluded
    std::string_view campoNumero; // its first (up to) three characters
    std::string testo;            // unscrambled, CRs dropped; empty unless asked for
};

class VisitatoreMassime {
public:
    virtual ~VisitatoreMassime() = default;
    // Whether the record opening with `campoNumero` is wanted in full. Records that are
    // not wanted are skipped without being copied.
    virtual bool vuoiTesto(std::string_view campoNumero) = 0;
    // Called for every complete record that was wanted; return false to stop the scan.
    virtual bool record(const Record &record) = 0;
    // Text after the last '/', which never forms a record.
    virtual void coda(std::uint64_t /*posizione*/, std::uint64_t /*lunghezza*/) {}
};

// One forward pass over the law file. Throws ErroreFile when it cannot be opened or read.
void PercorriMassime(const std::filesystem::path &file, VisitatoreMassime &visitatore,
                     SeManca seManca = SeManca::Errore);
// The same over a file already open, standard input for instance.
void PercorriMassime(FileAperto &sorgente, VisitatoreMassime &visitatore);

// The first record numbered `numero`, split into title and body.
Legge CercaLegge(const std::filesystem::path &file, int numero, SeManca seManca = SeManca::Crea);

// The number a record's number field stands for; 0 when it holds none.
double ValoreNumero(std::string_view campoNumero);

// Splits a record's text into title and body.
Legge EstraiLegge(std::string record);

// The file's bytes are stored complemented; the same operation undoes it.
void InvertiByte(char *dati, std::size_t lunghezza);

} // namespace legge
