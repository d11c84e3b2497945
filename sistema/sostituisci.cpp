// SPDX-License-Identifier: GPL-3.0-or-later
// The atomic replace and its in-place fallback, written once over the system's primitives.
#include "sistema/file.h"
#include "sistema/nativo.h"

#include <algorithm>

namespace legge {

namespace {

using nativo::Codice;

[[noreturn]] void lancia(const std::filesystem::path &percorso, Codice codice)
{
    throw ErroreFile::daSistema(percorso, codice);
}

[[noreturn]] void rifiuta(const std::filesystem::path &percorso, ErroreFile::Tipo tipo)
{
    throw ErroreFile(percorso, tipo, ErroreFile::Operazione::Scrittura);
}

// Overwrites the file where it stands: the only way to reach every one of its names, the
// way past a program that keeps it from being replaced, and the last resort where the
// directory takes no new file (`erroreTemporaneo` says why it did not).
void scriviSulPosto(const std::filesystem::path &percorso,
                    const std::filesystem::path &destinazione, std::string_view contenuto,
                    Codice erroreTemporaneo)
{
    nativo::Aperto file;
    if (const Codice errore = nativo::ApriSulPosto(destinazione, file)) {
        // The file does not exist either: the directory's refusal is the real cause.
        lancia(percorso,
               nativo::Mancante(errore) && erroreTemporaneo != 0 ? erroreTemporaneo : errore);
    }
    std::uint64_t dimensione = 0;
    std::optional<ErroreFile::Tipo> nonFile;
    if (const Codice errore = nativo::Descrivi(file.get(), dimensione, nonFile))
        lancia(percorso, errore);
    if (nonFile)
        rifiuta(percorso, *nonFile);
    // The bytes that the new content is about to overwrite, so that a failure part-way can
    // put them back; without read access there is nothing to keep. A small file is kept
    // whole, so that even a failure after cutting its tail can be undone.
    const auto vecchiaDimensione = static_cast<std::size_t>(dimensione);
    const std::string vecchio = nativo::LeggiDallInizio(
        file.get(), vecchiaDimensione <= 64 * 1024 ? vecchiaDimensione
                                                   : std::min(contenuto.size(), vecchiaDimensione));

    // Overwrite first and cut the tail afterwards: overwriting bytes that exist needs no
    // new space on the disk, and on failure the old bytes go back where they were, after
    // the old length, so that they never need new space either.
    Codice errore = nativo::ScriviDa(file.get(), contenuto, 0);
    if (errore == 0)
        errore = nativo::Tronca(file.get(), contenuto.size());
    if (errore == 0)
        errore = nativo::Sincronizza(file.get());
    if (errore != 0 && nativo::Tronca(file.get(), dimensione) == 0 &&
        nativo::ScriviDa(file.get(), vecchio, 0) == 0)
        nativo::Sincronizza(file.get());
    const Codice chiusura = file.chiudi();
    if (errore == 0)
        errore = chiusura;
    if (errore != 0)
        lancia(percorso, errore);
}

} // namespace

void SostituisciFile(const std::filesystem::path &percorso, std::string_view contenuto)
{
    nativo::Stato stato;
    if (const Codice errore = nativo::StatoDi(percorso, stato))
        lancia(percorso, errore);
    if (stato.esiste && stato.nonFile)
        rifiuta(percorso, *stato.nonFile);
    if (stato.esiste && stato.solaLettura)
        rifiuta(percorso, ErroreFile::Tipo::SolaLettura);
    if (stato.esiste && stato.piuNomi) {
        scriviSulPosto(percorso, stato.destinazione, contenuto, 0);
        return;
    }

    nativo::Aperto temporaneo;
    std::filesystem::path nomeTemporaneo;
    if (const Codice errore = nativo::CreaTemporaneo(stato, temporaneo, nomeTemporaneo)) {
        if (nativo::RifiutoDellaCartella(errore)) {
            scriviSulPosto(percorso, stato.destinazione, contenuto, errore);
            return;
        }
        lancia(percorso, errore);
    }

    Codice errore = nativo::ConservaAttributi(temporaneo.get(), stato);
    if (errore == 0)
        errore = nativo::ScriviDa(temporaneo.get(), contenuto, 0);
    if (errore == 0)
        errore = nativo::Sincronizza(temporaneo.get());
    const Codice chiusura = temporaneo.chiudi();
    if (errore == 0)
        errore = chiusura;
    if (errore == 0)
        errore = nativo::Rinomina(nomeTemporaneo, stato.destinazione);
    if (errore == 0) {
        // Makes the rename itself durable; failing here loses nothing that was not already
        // visible, so it is not worth an error.
        nativo::SincronizzaCartella(stato.destinazione);
        return;
    }
    nativo::Rimuovi(nomeTemporaneo);
    if (stato.esiste && nativo::TrattenutoDaAltri(errore)) {
        // Held open by someone: what they hold is the file itself, so write it there.
        scriviSulPosto(percorso, stato.destinazione, contenuto, 0);
        return;
    }
    lancia(percorso, errore);
}

} // namespace legge
