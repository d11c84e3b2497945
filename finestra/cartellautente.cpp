// SPDX-License-Identifier: GPL-3.0-or-later
// The user's data folder: decided, made and seeded with the installed collection.
#include "finestra/cartellautente.h"

#include "sistema/cartelle.h"
#include "sistema/file.h"

namespace legge {

namespace {

std::filesystem::path installato(const std::filesystem::path &programma, const char *nome)
{
    // The build names the folder relative to the program's own, as it installs them.
    return programma.parent_path() / LEGGE_CARTELLA_INSTALLATA / nome;
}

} // namespace

std::filesystem::path RaccoltaInstallata(const std::filesystem::path &programma)
{
    return installato(programma, "Massime.dat").lexically_normal();
}

std::filesystem::path ModelloAvvioAutomatico(const std::filesystem::path &programma)
{
    return installato(programma, LEGGE_ID_APP ".desktop").lexically_normal();
}

CartellaPronta PreparaCartella(const std::filesystem::path &cartella,
                               const std::filesystem::path &raccolta)
{
    CreaCartelle(cartella);
    CartellaPronta pronta{cartella, std::nullopt};
    const std::filesystem::path massime = cartella / "Massime.dat";
    const Presenza presenza = Guarda(massime);
    if (presenza.collegamento && !presenza.esiste) {
        // Filling it would create a file wherever it leads, perhaps on a disk not mounted yet.
        pronta.collegamentoInterrotto = presenza.destinazione;
        return pronta;
    }
    // The program leaves an empty Massime.dat behind when it starts without one: it holds
    // no law, so nothing of the user's is lost in filling it.
    if (presenza.esiste && (!presenza.fileRegolare || presenza.dimensione > 0))
        return pronta;
    CopiaFile(raccolta, massime);
    return pronta;
}

CartellaPronta PreparaCartellaUtente()
{
    const std::filesystem::path programma = ProgrammaInEsecuzione();
    return PreparaCartella(CartellaDatiUtente() / LEGGE_CARTELLA_DATI,
                           RaccoltaInstallata(programma));
}

AvvioAutomatico ImpostaAvvioAutomatico(bool attiva, const std::filesystem::path &modello,
                                       const std::filesystem::path &voce)
{
    if (attiva) {
        // Written through, it would make a file wherever the user's link leads, perhaps by
        // mistake: a link to nothing is theirs to mend.
        if (const Presenza presenza = Guarda(voce); presenza.collegamento && !presenza.esiste)
            throw ErroreFile::mancante(presenza.destinazione);
        CreaCartelle(voce.parent_path());
        CopiaFile(modello, voce);
        return AvvioAutomatico::Attivato;
    }
    return RimuoviFile(voce) ? AvvioAutomatico::Disattivato : AvvioAutomatico::GiaDisattivato;
}

std::filesystem::path VoceAvvioAutomatico()
{
    return CartellaConfigurazioneUtente() / "autostart" / LEGGE_ID_APP ".desktop";
}

} // namespace legge
