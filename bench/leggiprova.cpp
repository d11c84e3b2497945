#include "leggiprova.h"

#include "laws/massime.h"

#include <cstdio>
#include <fstream>

bool ScriviMassimeDiProva(const std::string &cartella, std::size_t lunghezza)
{
    static const char *const Testo =
        "Se aspetti l'autobus, arriva quello della direzione opposta; se attraversi "
        "la strada per prenderlo, arriva anche il tuo. Chi ha fretta trova sempre "
        "il semaforo rosso, e chi non ne ha lo trova sempre verde. ";
    std::string dati = "Leggi di prova";
    auto aggiungi = [&](int numero) {
        char campo[8];
        std::snprintf(campo, sizeof campo, "%03d", numero);
        dati += "/";
        dati += campo;
        dati += " Legge dell'attesa\r\n";
        std::string corpo;
        while (corpo.size() < lunghezza)
            corpo += Testo;
        corpo.pop_back();
        dati += corpo;
        dati += "\r\n";
    };
    for (int numero = 1; numero <= 366; ++numero)
        aggiungi(numero);
    aggiungi(500);
    dati += "/";
    legge::InvertiByte(dati.data(), dati.size());
    std::ofstream file(cartella + "/Massime.dat", std::ios::binary | std::ios::trunc);
    file.write(dati.data(), std::streamsize(dati.size()));
    return bool(file.flush());
}
