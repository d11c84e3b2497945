// SPDX-License-Identifier: GPL-3.0-or-later
// massime cerca: the laws whose title or text hold a piece of text, whatever its case and
// accents, found in one pass over the file that keeps no more than a few lines of it.

#include "strumento/comandi.h"

#include "leggi/cp1252.h"
#include "leggi/ricerca.h"
#include "sistema/flussi.h"
#include "strumento/json.h"
#include "strumento/testi.h"
#include "strumento/uscita.h"

#include <algorithm>
#include <optional>
#include <string>

namespace massime {

namespace {

constexpr char Puntini = '\x85'; // the ellipsis, in Windows-1252

// A law's words on one line, whatever they hold.
std::string SuUnaRiga(const std::string &cp1252)
{
    std::string testo = cp1252;
    std::replace(testo.begin(), testo.end(), '\n', ' ');
    // The blank lines around a law's text say nothing on one line.
    testo.erase(0, testo.find_first_not_of(' '));
    testo.erase(testo.find_last_not_of(' ') + 1);
    return legge::SenzaControlli(legge::Cp1252InUtf8(testo), legge::Controlli::CodiciSuUnaRiga);
}

} // namespace

int ComandoCerca(const Argomenti &argomenti)
{
    ControllaPosizionali(argomenti, 1, 2);
    const std::string &cercato = argomenti.posizionali[0];
    const std::string normale = legge::NormalizzaTestoDaCercare(cercato);
    const legge::ConversioneInCp1252 conversione = legge::Utf8InCp1252(normale);
    if (!conversione.riuscita) {
        if (conversione.carattere == 0)
            throw ErroreUso{testi::TestoDaCercareNonUtf8()};
        throw ErroreUso{testi::CarattereFuoriDaCp1252(
            Utf8DiUnCarattere(normale, conversione.posizione), conversione.carattere)};
    }
    std::string ago = legge::PiegaCp1252(conversione.testo);
    // The file's CRs are dropped before the comparison; so are the text's.
    std::erase(ago, '\r');
    if (ago.empty())
        throw ErroreUso{testi::TestoDaCercareVuoto()};

    Sorgente sorgente(FileDaLeggere(argomenti, 1));
    Uscita &uscita = UscitaComandi();
    std::size_t trovate = 0;
    if (argomenti.json)
        uscita.testo("{\"cercato\": " + StringaJson(cercato) +
                     ", \"file\": " + StringaJson(sorgente.nomeGrezzo()) + ", \"leggi\": [");
    legge::CercaNelleMassime(sorgente.file(), ago, [&](const legge::LeggeTrovata &t) {
        std::optional<std::string> titolo = t.titolo;
        if (titolo && t.titoloTagliato)
            *titolo += Puntini;
        const std::string contesto = (t.tagliatoPrima ? std::string(1, Puntini) : std::string()) +
                                     t.contesto + (t.tagliatoDopo ? std::string(1, Puntini) : "");
        if (argomenti.json) {
            uscita.testo((trovate ? ",\n  " : "\n  ") + std::string("{\"numero\": ") +
                         StringaJson(legge::Cp1252InUtf8(t.campoNumero)) +
                         ", \"record\": " + std::to_string(t.record) + ", \"titolo\": " +
                         (titolo ? StringaJson(legge::Cp1252InUtf8(*titolo)) : "null") +
                         ", \"contesto\": " + StringaJson(legge::Cp1252InUtf8(contesto)) + "}");
        } else {
            uscita.testo(testi::RigaTrovata(
                SuUnaRiga(t.campoNumero), titolo ? std::optional(SuUnaRiga(*titolo)) : std::nullopt,
                SuUnaRiga(contesto)));
        }
        ++trovate;
    });
    if (argomenti.json)
        uscita.testo(trovate ? "\n]}\n" : "]}\n");
    if (trovate == 0) {
        uscita.svuota();
        legge::ErroreStandard().scriviTesto(
            testi::NessunaLeggeContiene(Citazione(cercato), sorgente.nome()));
        return NonTrovatoOProblemi;
    }
    return Riuscito;
}

} // namespace massime
