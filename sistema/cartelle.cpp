// SPDX-License-Identifier: GPL-3.0-or-later
// The folder rules written once, over the system's primitives: the XDG fallback, making a
// folder with its parents, looking at a path, copying a file.
#include "sistema/cartelle.h"

#include "sistema/argomenti.h"
#include "sistema/file.h"
#include "sistema/nativo.h"

#include <vector>

namespace legge {

namespace {

std::string spiegazione(const std::string &variabile, const std::optional<std::string> &casa)
{
    if (!casa)
        return "HOME is not set and " + variabile + " gives no absolute path";
    return "HOME (" + *casa + ") is not absolute and " + variabile + " gives no absolute path";
}

} // namespace

ErroreCasa::ErroreCasa(std::string variabile, std::optional<std::string> casa)
    : std::runtime_error(spiegazione(variabile, casa)), m_variabile(std::move(variabile)),
      m_casa(std::move(casa))
{
}

std::filesystem::path CartellaXdg(std::string_view variabile,
                                  std::optional<std::string_view> valore,
                                  std::optional<std::string_view> casa,
                                  const std::filesystem::path &predefinita)
{
    // The rule speaks of POSIX paths; a relative value is to be ignored, not resolved.
    if (valore && valore->starts_with('/'))
        return PercorsoUtf8(*valore);
    if (!casa || casa->empty())
        throw ErroreCasa(std::string(variabile), std::nullopt);
    if (!casa->starts_with('/'))
        throw ErroreCasa(std::string(variabile), std::string(*casa));
    return PercorsoUtf8(*casa) / predefinita;
}

void CreaCartelle(const std::filesystem::path &richiesta)
{
    // "a/b/" names the folder b, whose parent is a.
    const std::filesystem::path cartella = richiesta.has_filename() || !richiesta.has_parent_path()
                                               ? richiesta
                                               : richiesta.parent_path();
    nativo::Codice errore = nativo::CreaCartella(cartella);
    if (errore == 0)
        return;
    if (nativo::Mancante(errore)) {
        const std::filesystem::path sopra = cartella.parent_path();
        if (!sopra.empty() && sopra != cartella) {
            CreaCartelle(sopra);
            errore = nativo::CreaCartella(cartella);
            if (errore == 0)
                return;
        }
    }
    // Another start may have made it meanwhile; anything else there is not ours to replace.
    if (nativo::GiaPresente(errore)) {
        nativo::Stato stato;
        if (nativo::StatoDi(cartella, stato) == 0 && stato.esiste) {
            if (stato.nonFile == ErroreFile::Tipo::Cartella)
                return;
            throw ErroreFile(cartella, ErroreFile::Tipo::NonCartella,
                             ErroreFile::Operazione::Scrittura);
        }
    }
    throw ErroreFile::daSistema(cartella, errore);
}

std::filesystem::path CartellaCorrente()
{
    std::filesystem::path cartella;
    return nativo::CartellaCorrente(cartella) == 0 ? cartella : std::filesystem::path();
}

Presenza Guarda(const std::filesystem::path &percorso)
{
    nativo::Stato stato;
    // A missing folder on the way means a missing file here (Windows tells them apart).
    const nativo::Codice errore = nativo::StatoDi(percorso, stato);
    if (errore != 0 && !nativo::Mancante(errore))
        throw ErroreFile::daSistema(percorso, errore);
    Presenza presenza;
    presenza.esiste = errore == 0 && stato.esiste;
    presenza.fileRegolare = stato.esiste && !stato.nonFile;
    presenza.collegamento = stato.collegamento;
    presenza.dimensione = stato.dimensione;
    presenza.destinazione = stato.destinazione;
    return presenza;
}

bool RimuoviFile(const std::filesystem::path &percorso)
{
    const nativo::Codice errore = nativo::RimuoviFile(percorso);
    if (errore != 0 && !nativo::Mancante(errore))
        throw ErroreFile::daSistema(percorso, errore);
    return errore == 0;
}

void CopiaFile(const std::filesystem::path &da, const std::filesystem::path &a)
{
    FileAperto sorgente = ApriFileDati(da);
    if (!sorgente)
        throw ErroreFile::mancante(da);
    std::string contenuto;
    std::vector<char> blocco(DimensioneBlocco);
    while (const std::size_t letti = sorgente.leggi(blocco.data(), blocco.size()))
        contenuto.append(blocco.data(), letti);
    SostituisciFile(a, contenuto);
}

} // namespace legge
