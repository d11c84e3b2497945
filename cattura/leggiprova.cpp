// SPDX-License-Identifier: GPL-3.0-or-later
// The sample collection: one made-up law, whole sentences only, stored under every number.
#include "cattura/leggiprova.h"

#include "tests/supporto/codifica.h"

#include <fstream>

bool ScriviMassimeDiProva(const std::string &cartella, std::size_t lunghezza)
{
    static const char *const Testo =
        "Se aspetti l'autobus, arriva quello della direzione opposta; se attraversi "
        "la strada per prenderlo, arriva anche il tuo. Chi ha fretta trova sempre "
        "il semaforo rosso, e chi non ne ha lo trova sempre verde. ";
    std::string corpo;
    while (corpo.size() < lunghezza)
        corpo += Testo;
    corpo.pop_back();
    corpo += "\n";
    std::string dati = CodificaMassime("Leggi di prova");
    for (int numero = 1; numero <= 366; ++numero)
        dati += CodificaRecord(numero, "Legge dell'attesa", corpo);
    dati += CodificaRecord(500, "Legge dell'attesa", corpo);
    dati += ChiusuraMassime();
    std::ofstream file(cartella + "/Massime.dat", std::ios::binary | std::ios::trunc);
    file.write(dati.data(), std::streamsize(dati.size()));
    return bool(file.flush());
}
