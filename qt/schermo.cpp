// SPDX-License-Identifier: GPL-3.0-or-later
// Bringing Qt up on a display that may be missing, refuse, or never answer.
#include "qt/schermo.h"

#include "finestra/partenza.h"
#include "finestra/rigadicomando.h"
#include "finestra/testi.h"
#include "qt/immagini.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace legge {

namespace {

std::string g_programma;

std::string_view Variabile(const char *nome)
{
    const char *valore = std::getenv(nome);
    return valore ? valore : "";
}

// While Qt connects to the display: Qt ends the program on a fatal message, with advice
// meant for whoever packaged it. Until then the other messages wait, so that a failed start
// says one thing, in Italian.
std::vector<std::pair<QtMsgType, QString>> g_messaggiInAttesa;
QtMessageHandler g_precedente = nullptr;

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
        ScriviSuErrore(sconosciuta && !piattaforma.empty()
                           ? TestoPiattaformaSconosciuta(g_programma, piattaforma)
                           : TestoSenzaSchermo(g_programma));
        std::_Exit(1);
    }
    g_messaggiInAttesa.emplace_back(tipo, testo);
}

// An X server may take the connection and never answer; Qt would wait for it for ever.
// How long a display may take to let Qt start before the program gives up.
constexpr auto AttesaSchermo = std::chrono::seconds(5);

std::mutex g_mutex;
std::condition_variable g_pronto;
bool g_fatto = false;
std::thread g_guardia;

} // namespace

Schermo::Schermo(int &argc, char **argv, const std::string &programma, bool cartellaUtente)
{
    g_programma = programma;
    // The option is ours: Qt would take it for one it does not know.
    if (cartellaUtente) {
        argc =
            static_cast<int>(std::remove_if(argv + 1, argv + argc,
                                            [](const char *a) {
                                                return std::string_view(a) == "--cartella-utente";
                                            }) -
                             argv);
        argv[argc] = nullptr;
    }

    // A Wayland window cannot stay above the others; through XWayland it can.
    if (PreferisciXWayland(Variabile("QT_QPA_PLATFORM"), Variabile("WAYLAND_DISPLAY"),
                           Variabile("DISPLAY")))
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);

    g_precedente = qInstallMessageHandler(TrattieniMessaggi);
    g_guardia = std::thread([] {
        std::unique_lock blocco(g_mutex);
        if (!g_pronto.wait_for(blocco, AttesaSchermo, [] { return g_fatto; })) {
            ScriviSuErrore(TestoSenzaSchermo(g_programma));
            std::_Exit(1);
        }
    });
}

Schermo::~Schermo()
{
    Basta();
}

void Schermo::Basta()
{
    {
        const std::lock_guard blocco(g_mutex);
        g_fatto = true;
    }
    g_pronto.notify_one();
    if (g_guardia.joinable())
        g_guardia.join();
}

std::optional<int> Schermo::Pronto()
{
    Basta();
    qInstallMessageHandler(g_precedente);
    for (const auto &[tipo, testo] : std::exchange(g_messaggiInAttesa, {}))
        g_precedente(tipo, QMessageLogContext(), testo);
    // Whatever Qt did not take as its own is not ours either.
    if (const QStringList resto = QCoreApplication::arguments(); resto.size() > 1) {
        ScriviSuErrore(TestoArgomentoSbagliato(g_programma, resto[1].toStdString()));
        return 2;
    }

    // Said once, at the start: the window works, only not above the others.
    if (!PrimoPianoPossibile(QGuiApplication::platformName().toStdString()))
        ScriviSuErrore(TestoAttenzione(g_programma, PrimoPianoImpossibile));

    QApplication::setApplicationName(QStringLiteral("leggealgiorno"));
    QApplication::setApplicationVersion(QStringLiteral(LEGGE_VERSIONE));
    // The desktop pairs the window with its menu entry and icon through this name.
    QApplication::setDesktopFileName(QStringLiteral(LEGGE_ID_APP));
    QApplication::setWindowIcon(IconaDelProgramma());
    return std::nullopt;
}

} // namespace legge
