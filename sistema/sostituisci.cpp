// SPDX-License-Identifier: GPL-3.0-or-later
// The atomic replace and its in-place fallback, and the bounded wait for a file's lock that
// keeps readers and writers of the same file apart, written once over the system's primitives.
#include "sistema/blocco.h"
#include "sistema/file.h"
#include "sistema/nativo.h"

#include <algorithm>
#include <memory>

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
                    Codice erroreTemporaneo, const Attesa &attesa)
{
    nativo::Aperto file;
    if (const Codice errore = nativo::ApriSulPosto(destinazione, file)) {
        // The file does not exist either: the directory's refusal is the real cause.
        lancia(percorso,
               nativo::Mancante(errore) && erroreTemporaneo != 0 ? erroreTemporaneo : errore);
    }
    // Two writers overwriting the same bytes at once would leave pieces of both, and a
    // reader meanwhile would see a mix of old and new.
    Blocca(file.get(), true, percorso, attesa, ErroreFile::Operazione::Scrittura);
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
    if (errore == 0)
        nativo::ApriAlProprietario(file.get());
    const Codice chiusura = file.chiudi();
    if (errore == 0)
        errore = chiusura;
    if (errore != 0)
        lancia(percorso, errore);
}

// The content of a temporary file just written, for the in-place fallback.
std::string rileggi(const std::filesystem::path &percorso, const std::filesystem::path &nome)
{
    nativo::Aperto file;
    std::uint64_t dimensione = 0;
    std::optional<ErroreFile::Tipo> nonFile;
    Codice errore = nativo::ApriSulPosto(nome, file);
    if (errore == 0)
        errore = nativo::Descrivi(file.get(), dimensione, nonFile);
    std::string dati;
    if (errore == 0)
        dati = nativo::LeggiDallInizio(file.get(), static_cast<std::size_t>(dimensione));
    file.chiudi();
    nativo::Rimuovi(nome);
    if (errore != 0)
        lancia(percorso, errore);
    if (dati.size() != dimensione)
        lancia(percorso, nativo::CodiceMancante());
    return dati;
}

// Finishes a temporary file that holds the new content and puts it in the place of the
// old one; `errore` is that of writing it.
void metti(const std::filesystem::path &percorso, const nativo::Stato &stato,
           nativo::Aperto &temporaneo, const std::filesystem::path &nomeTemporaneo, Codice errore,
           const Attesa &attesa)
{
    if (errore == 0)
        errore = nativo::ConservaAttributi(temporaneo.get(), stato);
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
    if (stato.esiste && nativo::TrattenutoDaAltri(errore)) {
        // Held open by someone: what they hold is the file itself, so write it there.
        scriviSulPosto(percorso, stato.destinazione, rileggi(percorso, nomeTemporaneo), 0, attesa);
        return;
    }
    nativo::Rimuovi(nomeTemporaneo);
    lancia(percorso, errore);
}

// What stands at `percorso`, refused unless it is a file that may be replaced or nothing.
nativo::Stato statoDaSostituire(const std::filesystem::path &percorso)
{
    nativo::Stato stato;
    if (const Codice errore = nativo::StatoDi(percorso, stato))
        lancia(percorso, errore);
    if (stato.esiste && stato.nonFile)
        rifiuta(percorso, *stato.nonFile);
    if (stato.esiste && stato.solaLettura)
        rifiuta(percorso, ErroreFile::Tipo::SolaLettura);
    return stato;
}

} // namespace

void Blocca(nativo::Maniglia file, bool esclusivo, const std::filesystem::path &percorso,
            const Attesa &attesa, ErroreFile::Operazione operazione)
{
    // Tried again and again rather than waited for in one call: a call that waits cannot
    // be given up after a while on every system, and a wait without end freezes a window.
    const auto inizio = std::chrono::steady_clock::now();
    bool annunciato = false;
    for (;;) {
        const Codice esito = nativo::ProvaABloccare(file, esclusivo);
        if (esito == 0 || !nativo::Occupato(esito))
            return;
        const auto trascorso = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - inizio);
        if (trascorso >= attesa.limite)
            throw ErroreFile(percorso, ErroreFile::Tipo::Bloccato, operazione);
        if (!annunciato && attesa.annuncia && trascorso >= attesa.avviso) {
            annunciato = true;
            attesa.annuncia(percorso, nativo::ChiBlocca(file));
        }
        nativo::Dormi(std::min(std::chrono::milliseconds(25), attesa.limite - trascorso));
    }
}

void BloccaPerLeggere(const FileAperto &file, const Attesa &attesa)
{
    const nativo::Maniglia maniglia = AccessoNativo::nativo(file);
    if (nativo::PiuNomi(maniglia))
        Blocca(maniglia, false, file.percorso(), attesa, ErroreFile::Operazione::Lettura);
}

FileAperto ApriFileDatiIntero(const std::filesystem::path &percorso, const Attesa &attesa)
{
    FileAperto file = ApriFileDati(percorso);
    if (file)
        BloccaPerLeggere(file, attesa);
    return file;
}

void SostituisciFile(const std::filesystem::path &percorso, std::string_view contenuto,
                     const Attesa &attesa)
{
    const nativo::Stato stato = statoDaSostituire(percorso);
    if (stato.esiste && stato.piuNomi) {
        scriviSulPosto(percorso, stato.destinazione, contenuto, 0, attesa);
        return;
    }

    nativo::Aperto temporaneo;
    std::filesystem::path nomeTemporaneo;
    if (const Codice errore = nativo::CreaTemporaneo(stato, temporaneo, nomeTemporaneo)) {
        if (nativo::RifiutoDellaCartella(errore)) {
            scriviSulPosto(percorso, stato.destinazione, contenuto, errore, attesa);
            return;
        }
        lancia(percorso, errore);
    }

    metti(percorso, stato, temporaneo, nomeTemporaneo,
          nativo::ScriviDa(temporaneo.get(), contenuto, 0), attesa);
}

SostituzioneFile::SostituzioneFile(std::filesystem::path percorso, Attesa attesa)
    : m_percorso(std::move(percorso)), m_attesa(std::move(attesa)),
      m_temporaneo(std::make_unique<nativo::Aperto>())
{
    const nativo::Stato stato = statoDaSostituire(m_percorso);
    if (const Codice errore = nativo::CreaTemporaneo(stato, *m_temporaneo, m_nomeTemporaneo)) {
        // Written in place at the end, as SostituisciFile would; until then it waits here.
        if (!nativo::RifiutoDellaCartella(errore))
            lancia(m_percorso, errore);
        m_inMemoria = true;
    }
}

SostituzioneFile::~SostituzioneFile()
{
    if (m_temporaneo->valido()) {
        m_temporaneo->chiudi();
        nativo::Rimuovi(m_nomeTemporaneo);
    }
}

void SostituzioneFile::scrivi(std::string_view dati)
{
    if (m_inMemoria) {
        m_memoria += dati;
        return;
    }
    if (const Codice errore = nativo::ScriviDa(m_temporaneo->get(), dati, m_scritti))
        lancia(m_percorso, errore);
    m_scritti += dati.size();
}

void SostituzioneFile::conferma()
{
    if (m_inMemoria) {
        SostituisciFile(m_percorso, m_memoria, m_attesa);
        return;
    }
    // What stands at the path now, not when the writing began.
    nativo::Stato stato;
    if (const Codice errore = nativo::StatoDi(m_percorso, stato))
        lancia(m_percorso, errore);
    if (stato.esiste && stato.nonFile)
        rifiuta(m_percorso, *stato.nonFile);
    if (stato.esiste && stato.piuNomi) {
        m_temporaneo->chiudi();
        scriviSulPosto(m_percorso, stato.destinazione, rileggi(m_percorso, m_nomeTemporaneo), 0,
                       m_attesa);
        return;
    }
    metti(m_percorso, stato, *m_temporaneo, m_nomeTemporaneo, 0, m_attesa);
}

} // namespace legge
