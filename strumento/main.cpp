// SPDX-License-Identifier: GPL-3.0-or-later
// massime: writes, reads and checks the law files of Una Legge al Giorno from the shell,
// through the same lookup and conversion the window uses.

#include "parole/parole.h"
#include "sistema/argomenti.h"
#include "sistema/flussi.h"
#include "strumento/comandi.h"
#include "strumento/testi.h"
#include "strumento/uscita.h"

#include <clocale>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace massime;

struct Comando {
    std::string_view nome;
    int (*esegui)(const Argomenti &);
    bool json;
    bool grezzo;
    bool uscita;
    std::string_view (*aiuto)();
    bool tutti = false;
};

constexpr Comando Comandi[] = {
    {"numero", ComandoNumero, false, false, false, testi::AiutoNumero},
    {"mostra", ComandoMostra, true, false, false, testi::AiutoMostra},
    {"decodifica", ComandoDecodifica, false, true, false, testi::AiutoDecodifica},
    {"codifica", ComandoCodifica, false, false, true, testi::AiutoCodifica},
    {"verifica", ComandoVerifica, true, false, false, testi::AiutoVerifica, true},
    {"statistiche", ComandoStatistiche, false, false, false, testi::AiutoStatistiche},
    {"cerca", ComandoCerca, true, false, false, testi::AiutoCerca},
};

void scriviErrore(const std::string &testo)
{
    try {
        legge::ErroreStandard().scriviTesto(testo);
    } catch (const legge::ErroreFile &) {
        // Nowhere left to say it; the exit status still tells.
    }
}

int erroreUso(std::string_view messaggio, std::string_view comando)
{
    // It may repeat an argument, which may hold any byte.
    scriviErrore(
        testi::Messaggio(legge::SenzaControlli(messaggio, legge::Controlli::CodiciSuUnaRiga)));
    scriviErrore(testi::ComeSiUsa(comando));
    return ErroreUsoOFile;
}

// A full disk or a closed pipe on stdout must not pass for success.
int chiudiUscita(int esito)
{
    try {
        UscitaComandi().svuota();
    } catch (const legge::ErroreFile &e) {
        scriviErrore(testi::ErroreSullUscita(e));
        return ErroreUsoOFile;
    }
    return esito;
}

int esegui(const Comando &comando, const std::vector<std::string> &argv)
{
    Argomenti argomenti;
    bool soloPosizionali = false;
    for (std::size_t i = 2; i < argv.size(); ++i) {
        const std::string_view a = argv[i];
        if (soloPosizionali || a.size() < 2 || a[0] != '-') {
            argomenti.posizionali.emplace_back(a);
        } else if (a == "--") {
            soloPosizionali = true;
        } else if (a == "--help" || a == "-h") {
            UscitaComandi().testo(comando.aiuto());
            return chiudiUscita(Riuscito);
        } else if (a == "--json" && comando.json) {
            argomenti.json = true;
        } else if (a == "--tutti" && comando.tutti) {
            argomenti.tutti = true;
        } else if (a == "--grezzo" && comando.grezzo) {
            argomenti.grezzo = true;
        } else if (a.starts_with("-o") && comando.uscita) {
            if (a.size() > 2)
                argomenti.uscita = std::string(a.substr(2));
            else if (i + 1 < argv.size())
                argomenti.uscita = argv[++i];
            else
                return erroreUso(testi::MancaIlFileDiO(), comando.nome);
        } else {
            return erroreUso(testi::OpzioneSconosciuta(a), comando.nome);
        }
    }
    try {
        return chiudiUscita(comando.esegui(argomenti));
    } catch (const ErroreUso &e) {
        return erroreUso(e.messaggio, comando.nome);
    } catch (const legge::ErroreFile &e) {
        if (e.percorso() == legge::NomeUscitaStandard) {
            scriviErrore(testi::ErroreSullUscita(e));
            return ErroreUsoOFile;
        }
        // What was found before the failure is still worth having.
        chiudiUscita(ErroreUsoOFile);
        const std::string nome =
            e.percorso().empty()
                ? testi::NomeVuoto()
                : legge::SenzaControlli(e.percorso().string(), legge::Controlli::CodiciSuUnaRiga);
        scriviErrore(testi::ErroreSulFile(nome, e));
        return ErroreUsoOFile;
    } catch (const std::bad_alloc &) {
        scriviErrore(testi::MemoriaEsaurita());
        return ErroreUsoOFile;
    }
}

} // namespace

int main(int argc, char **argvDelSistema)
{
    // The system's reasons for file errors come in the user's language.
    std::setlocale(LC_ALL, "");

    const std::vector<std::string> argv = legge::ArgomentiUtf8(argc, argvDelSistema);
    if (argv.size() < 2)
        return erroreUso(testi::MancaIlComando(), {});
    const std::string_view primo = argv[1];
    if (primo == "--help" || primo == "-h") {
        UscitaComandi().testo(testi::AiutoGenerale());
        return chiudiUscita(Riuscito);
    }
    if (primo == "--version") {
        UscitaComandi().testo(legge::TestoVersione(LEGGE_VERSIONE));
        return chiudiUscita(Riuscito);
    }
    for (const Comando &comando : Comandi) {
        if (comando.nome == primo)
            return esegui(comando, argv);
    }
    return erroreUso(testi::ComandoSconosciuto(primo), {});
}
