// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up's choice of a law, and its one recovery: after any failure but a file held by
// another program, Option.dat is rewritten with the day mode and the law is asked for once more.
#include "finestra/formload.h"

#include "sistema/errorefile.h"

#include <exception>

namespace legge {

namespace {

void MostraNumero(FinestraAvvio &finestra, const Orologio &orologio, SorgenteCasuale &casuale)
{
    int numero = NumeroDelGiorno(orologio.oggi());
    // Seeded on every start, whatever the mode, so that a draw depends on the time of
    // day only.
    casuale.semina(-orologio.secondiDallaMezzanotte());
    if (finestra.modo() == ModoCasuale)
        numero = NumeroCasuale(casuale.estrai());
    finestra.MostraLegge(numero);
}

} // namespace

int NumeroCasuale(float r)
{
    // In single precision the largest r below 1 times 365 rounds up to 365.
    return static_cast<int>(static_cast<double>(r) * 365.0) + 1;
}

void Form_Load(FinestraAvvio &finestra, const std::filesystem::path &cartella,
               const Orologio &orologio, SorgenteCasuale &casuale)
{
    finestra.RendiInPrimoPiano();
    finestra.UsaCasuale(casuale);
    const auto opzioni = cartella / NomeFileOpzioni;
    try {
        // A missing or empty Option.dat throws here: that is how a first run creates it.
        if (const auto modo = LeggiModo(opzioni))
            finestra.ImpostaModo(*modo);
        MostraNumero(finestra, orologio, casuale);
    } catch (const std::exception &errore) {
        // A file that another program holds would keep it for the second pass too: waiting
        // for it again would only double the time before the message.
        if (const auto *file = dynamic_cast<const ErroreFile *>(&errore);
            file != nullptr && file->tipo() == ErroreFile::Tipo::Bloccato)
            throw;
        // The mode already applied stays for this run; only the stored one is reset.
        ScriviModoPredefinito(opzioni);
        MostraNumero(finestra, orologio, casuale);
    }
}

} // namespace legge
