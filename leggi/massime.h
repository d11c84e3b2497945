// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Massime.dat, the law file.
//
// Every byte is stored complemented (text byte = stored byte XOR 255); the text is
// Windows-1252, with no header, length or checksum.
//
// Unscrambled, the file is a run of records, each closed by '/'. The same '/' opens the
// next record; text before the first '/' and after the last one is not a record. CR bytes
// inside a record are dropped, LF is kept; line breaks are written CR LF. A record's first
// three characters hold its number, e.g. "001" .. "366", and "500" for 29 February. Blanks,
// tabs and LFs among them are ignored and the value is the longest leading decimal number
// of what is left ("  7" is 7, "abc" is 0). Only the first record with a given number is
// ever used.
//
// The title starts at the first capital A..Z among the record's first six characters,
// dropping the number and whatever stands before it; with no such capital nothing is
// dropped. The title runs to the first line break and the body is the rest, line break
// included. A record without a line break has no title and is all body.
//
// No byte can stand for a '/' inside a law: it would end the record there.

#include "sistema/file.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// One forward pass over the law file. Throws ErroreFile when it cannot be opened or read,
// or when a writer holds it for longer than a short wait (only a file with more than one
// name is waited for: it alone is rewritten in place).
void PercorriMassime(const std::filesystem::path &file, VisitatoreMassime &visitatore,
                     SeManca seManca = SeManca::Errore);
// The same over a file already open, standard input for instance.
void PercorriMassime(FileAperto &sorgente, VisitatoreMassime &visitatore);

// The first record numbered `numero`, split into title and body.
Legge CercaLegge(const std::filesystem::path &file, int numero, SeManca seManca = SeManca::Crea);
Legge CercaLegge(FileAperto &sorgente, int numero);

// The number a record's number field stands for; 0 when it holds none.
double ValoreNumero(std::string_view campoNumero);

// Splits a record's text into title and body.
Legge EstraiLegge(std::string record);

// The plain Windows-1252 text of the file's bytes, or of any slice of them.
std::string DecodificaMassime(std::string_view dati);

// What a person edits, turned into the file a piece at a time: Windows-1252 text with LF or
// CR LF line breaks, where each record opens with '/' and a number of exactly three digits.
// Each piece is checked as it comes, so that a bad text is refused at its first fault,
// whatever follows. A '/' that neither opens such a record nor is followed by blanks alone
// would end a law in the middle; a fourth digit would be lost, since a reader takes three
// ("/1000" would be law 100); a number given twice would hide the second law behind the
// first; a text with no record would make an empty collection; a NUL byte is in no text a
// person writes, and an endless one (a device) would otherwise be read for ever. A number
// no day shows is taken, and noted. A last law left open gets its closing '/'.
class CodificatoreMassime {
public:
    enum class Problema { Nessuno, Barra, NumeroLungo, NumeroRipetuto, NessunaLegge, Nul };
    // A law that no day shows, and the line of the '/' that opens it.
    struct NumeroMaiMostrato {
        int numero = 0;
        std::size_t riga = 0;
        bool operator==(const NumeroMaiMostrato &) const = default;
    };

    // Appends the stored form of `testo` to `uscita`. False at the first problem, after
    // which nothing more is taken.
    bool aggiungi(std::string_view testo, std::string &uscita);
    // The end of the text.
    bool chiudi(std::string &uscita);

    Problema problema() const { return m_problema; }
    // Where the problem is (the '/' at fault), or else where the next character goes:
    // 1-based line and column, and the offset in the text.
    std::size_t riga() const { return m_problema == Problema::Nessuno ? m_riga : m_rigaBarra; }
    std::size_t colonna() const
    {
        return m_problema == Problema::Nessuno ? m_colonna : m_colonnaBarra;
    }
    std::uint64_t posizione() const
    {
        return m_problema == Problema::Nessuno ? m_posizione : m_posizioneBarra;
    }
    // For NumeroRipetuto: the number, and the line where it first opened a record.
    int numero() const { return m_numero; }
    std::size_t rigaPrecedente() const { return m_rigaPrecedente; }
    // In the order of the text; no more than the thousand numbers there are.
    const std::vector<NumeroMaiMostrato> &maiMostrati() const { return m_maiMostrati; }

private:
    enum class Stato { Preambolo, DopoBarra, InRecord, Fine };
    bool sbaglia(Problema problema);
    // After a '/' and its three digits.
    bool apriRecord();

    Stato m_stato = Stato::Preambolo;
    Problema m_problema = Problema::Nessuno;
    std::size_t m_riga = 1, m_colonna = 1;
    std::uint64_t m_posizione = 0;
    std::size_t m_rigaBarra = 0, m_colonnaBarra = 0;
    std::uint64_t m_posizioneBarra = 0;
    int m_cifre = 0; // after a '/': how many digits, or -1 once a blank came first
    int m_numero = 0;
    std::size_t m_rigaPrecedente = 0;
    bool m_record = false;
    bool m_dopoCr = false;                   // the last character was a CR
    std::size_t m_righeDeiNumeri[1000] = {}; // 0 for a number not yet seen
    std::vector<NumeroMaiMostrato> m_maiMostrati;
};

// The whole text at once, for callers that hold it.
struct CodificaTesto {
    std::string dati;
    bool riuscita = true;
    CodificatoreMassime::Problema problema = CodificatoreMassime::Problema::Nessuno;
    std::size_t posizione = 0;
    std::vector<CodificatoreMassime::NumeroMaiMostrato> maiMostrati;
};
CodificaTesto CodificaTestoMassime(std::string_view testo);

// What a tool that checks a file needs of one record, gathered without holding it whole.
struct SintesiRecord {
    std::size_t indice = 0;           // 1 for the first record in the file
    std::uint64_t posizione = 0;      // byte offset of the record's first byte
    std::string campoNumero;          // its first (up to) three characters
    bool titolo = false;              // whether it has a title, that is a line break
    std::string inizioTitolo;         // the title's first (up to) 40 characters
    std::uint64_t caratteriCorpo = 0; // the body's, less the blanks at either end
};

// A byte-level pass for a tool that checks a file: every byte, unscrambled, CRs included,
// with the records marked. Text after the last '/' arrives as an open record that never
// closes.
class OsservatoreMassime {
public:
    virtual ~OsservatoreMassime() = default;
    // After a '/': `posizione` is the offset of the record's first byte.
    virtual void inizioRecord(std::size_t /*indice*/, std::uint64_t /*posizione*/) {}
    // Consecutive bytes of the text, in or out of a record; never a '/'.
    virtual void testo(std::string_view /*chiaro*/, std::uint64_t /*posizione*/) {}
    // At the '/' that closes the record.
    virtual void record(const SintesiRecord & /*record*/) {}
    // The end of the file, `dimensione` bytes long.
    virtual void fine(std::uint64_t /*dimensione*/) {}
};
void OsservaMassime(FileAperto &sorgente, OsservatoreMassime &osservatore);

} // namespace legge
