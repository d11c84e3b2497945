// SPDX-License-Identifier: GPL-3.0-or-later
// massime verifica's checks: what may be wrong in a law file, found in one pass whose memory
// does not grow with the file.
#pragma once

#include "sistema/file.h"
#include <cstddef>
#include <cstdint>

#include <functional>
#include <optional>
#include <string>

namespace massime {

// What can be wrong in a law file, seen from the reader who wrote it: a law the window
// will never show, or will show differently from how it was written.
enum class TipoProblema {
    NumeroRipetuto,
    NumeroMancante,
    NumeroFuoriIntervallo,
    CampoNumero,
    SenzaTitolo,
    TitoloSenzaMaiuscola,
    CorpoVuoto,
    TestoDopoUltimaBarra,
    ByteIndefinito,
};

struct Problema {
    TipoProblema tipo;
    std::optional<std::size_t> record;      // 1 for the first record; none outside records
    std::optional<std::uint64_t> posizione; // byte offset in the file
    std::optional<std::string> numero;      // the record's number field, in UTF-8
    std::string messaggio;                  // in Italian, for people
};

// Hands every problem to `segnala` as soon as it is certain, in file order, missing numbers
// last, and returns how many records the file has. What it holds meanwhile does not grow
// with the file. Throws legge::ErroreFile when the file cannot be read.
std::size_t VerificaMassime(legge::FileAperto &sorgente,
                            const std::function<void(const Problema &)> &segnala);

// Stable names of the kinds, for machine-readable output.
const char *NomeTipo(TipoProblema tipo);

} // namespace massime
