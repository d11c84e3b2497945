// SPDX-License-Identifier: GPL-3.0-or-later
#include "avvio/avvia.h"
#include "avvio/cartellautente.h"
#include "avvio/casuale.h"
#include "avvio/rigadicomando.h"
#include "avvio/testi.h"
#include "qt/form1.h"
#include "qt/immagini.h"
#include "qt/messaggi.h"
#include "sistema/cartelle.h"
#include "sistema/errorefile.h"
#include "sistema/flussi.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <string>
#include <string_view>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

std::string NomeProgramma(const char *argv0)
{
    const std::string_view percorso = argv0 ? argv0 : "";
    const auto barra = percorso.rfind('/');
    const auto nome = barra == std::string_view::npos ? percorso : percorso.substr(barra + 1);
    return nome.empty() ? std::string("leggealgiorno") : std::string(nome);
}

std::string g_programma;

// False when the text did not all arrive (a full disk, a closed pipe).
bool Scrivi(std::FILE *uscita, const std::string &testo)
{
    const bool scritto = std::fwrite(testo.data(), 1, testo.size(), uscita) == testo.size();
    return std::fflush(uscita) == 0 && scritto && !std::ferror(uscita);
}

// The help and the version: exit status 1 when they could not be written.
int Rispondi(const std::string &testo)
{
    if (Scrivi(stdout, testo))
        return 0;
    const int codice = errno;
    Scrivi(stderr, legge::TestoUscitaNonScritta(
                       g_programma, legge::MotivoErrore(legge::ErroreFile::daSistema(
                                        std::string(legge::NomeUscitaStandard), codice))));
    return 1;
}

std::string_view Variabile(const char *nome)
{
    const char *valore = std::getenv(nome);
    return valore ? valore : "";
}

// While Qt connects to the display: Qt ends the program on a fatal message, with advice
// meant for whoever packaged it. Until then the other messages wait, so that a failed start
// says one thing, in Italian.
std::vector<std::pair<QtMsgType, QString>> g_messaggiInAttesa;

void TrattieniMessaggi(QtMsgType tipo, const QMessageLogContext &, const QString &testo)
{
    if (tipo == QtFatalMsg) {
        // Qt names the plugin it did not find before giving up: then the display is not
        // what failed, the variable is.
        const bool sconosciuta =
            std::any_of(g_messaggiInAttesa.begin(), g_messaggiInAttesa.end(), [](const auto &m) {
                return m.second.contains(QStringLiteral("Could not find the Qt platform plugin"));
            });
        const std::string_view piattaforma = Variabile("QT_QPA_PLATFORM");
        Scrivi(stderr, sconosciuta && !piattaforma.empty()
                           ? legge::TestoPiattaformaSconosciuta(g_programma, piattaforma)
                           : legge::TestoSenzaSchermo(g_programma));
        std::_Exit(1);
    }
    g_messaggiInAttesa.emplace_back(tipo, testo);
}

// An X server may take the connection and never answer; Qt would wait for it for ever.
// How long a display may take to let Qt start before the program gives up.
constexpr auto AttesaSchermo = std::chrono::seconds(5);

class GuardiaSchermo {
public:
    GuardiaSchermo()
        : m_guardia([this] {
              std::unique_lock blocco(m_mutex);
              if (!m_pronto.wait_for(blocco, AttesaSchermo, [this] { return m_fatto; })) {
                  Scrivi(stderr, legge::TestoSenzaSchermo(g_programma));
                  std::_Exit(1);
              }
          })
    {
    }
    ~GuardiaSchermo() { basta(); }
    void basta()
    {
        {
            const std::lock_guard blocco(m_mutex);
            m_fatto = true;
        }
        m_pronto.notify_one();
        if (m_guardia.joinable())
            m_guardia.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_pronto;
    bool m_fatto = false;
    std::thread m_guardia;
};

} // namespace

int main(int argc, char **argv)
{
    g_programma = NomeProgramma(argc > 0 ? argv[0] : nullptr);
    const auto riga = legge::LeggiRigaDiComando(argc, argv);
    switch (riga.richiesta) {
    case legge::Richiesta::Aiuto:
        return Rispondi(legge::TestoAiuto(g_programma));
    case legge::Richiesta::Versione:
        return Rispondi(legge::TestoVersione(LEGGE_VERSIONE));
    case legge::Richiesta::Sbagliata:
        Scrivi(stderr, legge::TestoArgomentoSbagliato(g_programma, riga.argomento));
        return 2;
    case legge::Richiesta::AvvioAutomatico:
        if (!riga.attiva) {
            Scrivi(stderr, legge::TestoValoreAvvioAutomatico(g_programma, riga.argomento));
            return 2;
        }
        try {
            const auto voce = legge::VoceAvvioAutomatico();
            const auto modello = legge::ModelloAvvioAutomatico(legge::ProgrammaInEsecuzione());
            Scrivi(stdout, legge::TestoAvvioAutomatico(
                               legge::ImpostaAvvioAutomatico(*riga.attiva, modello, voce), voce));
            return 0;
        } catch (const std::exception &errore) {
            Scrivi(stderr, legge::TestoErrore(legge::AvvioAutomaticoNonCambiato, errore) + "\n");
            return 1;
        }
    case legge::Richiesta::Avvia:
        break;
    }

    // The user's folder comes first, before Qt reads anything from the working directory.
    // What goes wrong is told on standard error at once, for a terminal, and in a message
    // box once Qt is up, for whoever started it from the menu.
    std::optional<std::string> errorePreparazione;
    QString avviso;
    if (riga.cartellaUtente) {
        try {
            const auto pronta = legge::PreparaCartellaUtente();
            if (pronta.collegamentoInterrotto) {
                const std::string testo = legge::TestoCollegamentoInterrotto(
                    pronta.cartella, *pronta.collegamentoInterrotto);
                Scrivi(stderr, legge::TestoAttenzione(g_programma, testo));
                avviso = QString::fromStdString(testo);
            }
        } catch (const std::exception &errore) {
            errorePreparazione = legge::TestoErrore(legge::CartellaNonPronta, errore);
            Scrivi(stderr, *errorePreparazione + "\n");
        }
        // The option is ours: Qt would take it for one it does not know.
        argc = static_cast<int>(std::remove_if(argv + 1, argv + argc, [](const char *a) {
                                    return std::string_view(a) == "--cartella-utente";
                                }) -
                                argv);
        argv[argc] = nullptr;
    }

    // A Wayland window cannot stay above the others; through XWayland it can.
    if (legge::PreferisciXWayland(Variabile("QT_QPA_PLATFORM"), Variabile("WAYLAND_DISPLAY"),
                                  Variabile("DISPLAY")))
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);

    const QtMessageHandler precedente = qInstallMessageHandler(TrattieniMessaggi);
    auto guardia = std::make_unique<GuardiaSchermo>();
    QApplication app(argc, argv);
    guardia.reset();
    qInstallMessageHandler(precedente);
    for (const auto &[tipo, testo] : std::exchange(g_messaggiInAttesa, {}))
        precedente(tipo, QMessageLogContext(), testo);
    // Whatever Qt did not take as its own is not ours either.
    if (const QStringList resto = QCoreApplication::arguments(); resto.size() > 1) {
        Scrivi(stderr, legge::TestoArgomentoSbagliato(g_programma, resto[1].toStdString()));
        return 2;
    }

    QApplication::setApplicationName(QStringLiteral("leggealgiorno"));
    QApplication::setApplicationVersion(QStringLiteral(LEGGE_VERSIONE));
    // The desktop pairs the window with its menu entry and icon through this name.
    QApplication::setDesktopFileName(QStringLiteral(LEGGE_ID_APP));
    QApplication::setWindowIcon(legge::IconaDelProgramma());

    if (errorePreparazione) {
        legge::MostraMessaggio(nullptr, QMessageBox::Critical,
                               QString::fromStdString(*errorePreparazione));
        return 1;
    }

    const auto cartella = legge::CartellaDiLavoro();
    legge::Form1 form1(cartella);
    legge::OrologioDiSistema orologio;
    legge::GeneratoreCasuale casuale;
    if (const auto errore = legge::Avvia(form1.finestra(), cartella, orologio, casuale)) {
        QString testo = QString::fromStdString(*errore);
        if (!avviso.isEmpty())
            testo = avviso + QStringLiteral("\n\n") + testo;
        legge::MostraMessaggio(nullptr, QMessageBox::Critical, testo);
        return 1;
    }
    form1.Centra();
    form1.show();
    if (!avviso.isEmpty()) {
        QTimer::singleShot(0, &form1,
                           [&] { legge::MostraMessaggio(&form1, QMessageBox::Warning, avviso); });
    }
    return app.exec();
}
