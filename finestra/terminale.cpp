// SPDX-License-Identifier: GPL-3.0-or-later
// The start's words on a terminal: apart from the rest, so that a program with no terminal
// does not carry them.
#include "finestra/partenza.h"
#include "finestra/testi.h"
#include "sistema/errorefile.h"
#include "sistema/flussi.h"

#include <exception>

namespace legge {

void ScriviSuErrore(std::string_view testo)
{
    try {
        ErroreStandard().scrivi(testo);
    } catch (const std::exception &) {
    }
}

std::optional<int> DiSulTerminale(const Partenza &partenza)
{
    for (const Messaggio &messaggio : partenza.subito()) {
        if (messaggio.tono == Tono::Avviso || messaggio.tono == Tono::Errore) {
            ScriviSuErrore(messaggio.testo);
            continue;
        }
        try {
            UscitaStandard().scrivi(messaggio.testo);
        } catch (const ErroreFile &errore) {
            if (messaggio.tono == Tono::Risposta) {
                ScriviSuErrore(TestoUscitaNonScritta(partenza.programma(), MotivoErrore(errore)));
                return 1;
            }
        }
    }
    return partenza.fine();
}

} // namespace legge
