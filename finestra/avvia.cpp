// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up run on a window: a failure that outlives the recovery pass becomes the sentence
// the user reads before the program ends.
#include "finestra/avvia.h"

#include "finestra/testi.h"
#include "sistema/cartelle.h"

#include <exception>

namespace legge {

std::filesystem::path CartellaDiLavoro()
{
    return CartellaCorrente();
}

std::optional<std::string> Avvia(FinestraAvvio &finestra, const std::filesystem::path &cartella,
                                 const Orologio &orologio, SorgenteCasuale &casuale)
{
    try {
        Form_Load(finestra, cartella, orologio, casuale);
    } catch (const std::exception &errore) {
        return TestoErrore(AvvioFallito, errore);
    }
    return std::nullopt;
}

} // namespace legge
