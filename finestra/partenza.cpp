// SPDX-License-Identifier: GPL-3.0-or-later
// The start shared by the front-ends: from the command line to the window's first law.
#include "finestra/partenza.h"

#include "finestra/avvia.h"
#include "finestra/testi.h"
#include "sistema/cartelle.h"
#include "sistema/errorefile.h"

#include <exception>
#include <string_view>
#include <utility>

namespace legge {

namespace {

// The Windows window goes by one name, whatever its file is called; on a terminal, the
// program is named as it was typed.
std::string NomeProgramma(const std::vector<std::string> &argomenti, Regole regole)
{
    const std::string_view percorso =
        regole == Regole::Qt && !argomenti.empty() ? std::string_view(argomenti[0]) : "";
    const auto barra = percorso.rfind('/');
    const auto nome = barra == std::string_view::npos ? percorso : percorso.substr(barra + 1);
    return nome.empty() ? std::string("leggealgiorno") : std::string(nome);
}

} // namespace

Partenza::Partenza(const std::vector<std::string> &argomenti, Regole regole,
                   const std::function<CartellaPronta()> &prepara)
    : m_programma(NomeProgramma(argomenti, regole))
{
    const RigaDiComando riga = LeggiRigaDiComando(argomenti, regole);
    switch (riga.richiesta) {
    case Richiesta::Aiuto:
        Rispondi(Tono::Risposta,
                 regole == Regole::Windows ? TestoAiutoWindows() : TestoAiuto(m_programma), 0);
        return;
    case Richiesta::Versione:
        Rispondi(Tono::Risposta, TestoVersione(LEGGE_VERSIONE), 0);
        return;
    case Richiesta::Sbagliata:
        Rispondi(Tono::Errore, TestoArgomentoSbagliato(m_programma, riga.argomento), 2);
        return;
    case Richiesta::AvvioAutomatico:
        CambiaAvvioAutomatico(riga);
        return;
    case Richiesta::Avvia:
        break;
    }
    m_cartellaUtente = riga.cartellaUtente;
    if (m_cartellaUtente)
        Prepara(regole, prepara);
    else
        m_cartella = CartellaDiLavoro();
}

void Partenza::Rispondi(Tono tono, std::string testo, int esito)
{
    m_subito.push_back({tono, std::move(testo)});
    m_fine = esito;
}

void Partenza::CambiaAvvioAutomatico(const RigaDiComando &riga)
{
    if (!riga.attiva) {
        Rispondi(Tono::Errore,
                 riga.argomento.empty() ? TestoValoreAvvioAutomaticoMancante(m_programma)
                                        : TestoValoreAvvioAutomatico(m_programma, riga.argomento),
                 2);
        return;
    }
    try {
        const auto voce = VoceAvvioAutomatico();
        const auto modello = ModelloAvvioAutomatico(ProgrammaInEsecuzione());
        const EsitoAvvioAutomatico esito = ImpostaAvvioAutomatico(*riga.attiva, modello, voce);
        std::string testo = TestoAvvioAutomatico(esito, voce, m_programma);
        // Asked to start at login, an entry left in place that starts nothing is a failure.
        if (esito.esito == AvvioAutomatico::Mantenuto && !esito.mantenuta.avviaQualcosa())
            Rispondi(Tono::Avviso, std::move(testo), 1);
        else
            Rispondi(Tono::Informazione, std::move(testo), 0);
    } catch (const std::exception &errore) {
        Rispondi(Tono::Errore, TestoErrore(AvvioAutomaticoNonCambiato, errore) + "\n", 1);
    }
}

// A terminal hears at once what went wrong, and whoever started the program from the menu
// sees it in a box once the toolkit is up. Windows has no terminal: its boxes come at once.
void Partenza::Prepara(Regole regole, const std::function<CartellaPronta()> &prepara)
{
    try {
        const CartellaPronta pronta = prepara();
        m_cartella = pronta.cartella;
        if (!pronta.collegamentoInterrotto)
            return;
        std::string testo =
            TestoCollegamentoInterrotto(pronta.cartella, *pronta.collegamentoInterrotto);
        if (regole == Regole::Windows) {
            m_subito.push_back({Tono::Avviso, std::move(testo)});
        } else {
            m_subito.push_back({Tono::Avviso, TestoAttenzione(m_programma, testo)});
            m_avviso = std::move(testo);
        }
    } catch (const std::exception &errore) {
        std::string testo = TestoErrore(CartellaNonPronta, errore);
        if (regole == Regole::Windows) {
            Rispondi(Tono::Errore, std::move(testo), 1);
        } else {
            m_subito.push_back({Tono::Errore, testo + "\n"});
            m_errore = std::move(testo);
        }
    }
}

std::optional<std::string> Partenza::Avvia(FinestraAvvio &finestra, const Orologio &orologio,
                                           SorgenteCasuale &casuale) const
{
    if (m_errore)
        return m_errore;
    std::optional<std::string> errore = legge::Avvia(finestra, m_cartella, orologio, casuale);
    // The warning may be why the law is missing: both go in the one box.
    if (errore && m_avviso)
        return *m_avviso + "\n\n" + *errore;
    return errore;
}

} // namespace legge
