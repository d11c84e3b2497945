// SPDX-License-Identifier: GPL-3.0-or-later
#include "avvio/avvia.h"

#include "avvio/testi.h"

#include <exception>
#include <system_error>

namespace legge {

std::filesystem::path CartellaDiLavoro()
{
    std::error_code errore;
    auto cartella = std::filesystem::current_path(errore);
    return errore ? std::filesystem::path() : cartella;
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
