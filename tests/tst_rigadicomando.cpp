// SPDX-License-Identifier: GPL-3.0-or-later
// The Qt program started with arguments, as from a terminal: what each line answers, Qt's
// options let through, an answer lost to a full disk, and when to prefer XWayland.
#include "finestra/rigadicomando.h"
#include "finestra/testi.h"
#include "supporto/prova.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace legge;

// The program's own command line, as a user types it in a terminal: every answer comes
// before any data file is touched.
class TestRigaDiComando : public QObject {
    Q_OBJECT

private slots:
    void argomenti_data();
    void argomenti();
    void opzioniDiQt();
    void discoPieno();
    void xwayland_data();
    void xwayland();
    void primoPiano_data();
    void primoPiano();

private:
    // Where --avvio-automatico puts its entry, away from the folder that must stay untouched.
    QTemporaryDir m_configurazione;
};

void TestRigaDiComando::argomenti_data()
{
    QTest::addColumn<QStringList>("argomenti");
    QTest::addColumn<QStringList>("ambiente"); // besides an empty one
    QTest::addColumn<int>("esito");
    QTest::addColumn<QString>("uscita"); // found in standard output
    QTest::addColumn<QString>("errore"); // found in standard error, as its one line

    const QStringList schermo{QStringLiteral("QT_QPA_PLATFORM=offscreen")};
    QTest::newRow("--help") << QStringList{"--help"} << schermo << 0 << "Uso: leggealgiorno"
                            << "";
    QTest::newRow("--help senza schermo")
        << QStringList{"--help"} << QStringList() << 0 << "--version"
        << "";
    QTest::newRow("--version") << QStringList{"--version"} << QStringList() << 0
                               << "Una Legge al Giorno " LEGGE_VERSIONE << "";
    QTest::newRow("--help dopo un'opzione di Qt")
        << QStringList{"-style", "fusion", "--help"} << QStringList() << 0 << "Uso:"
        << "";
    QTest::newRow("opzione sconosciuta") << QStringList{"--aiuto"} << schermo << 2 << ""
                                         << "argomento non riconosciuto «--aiuto»";
    QTest::newRow("un file") << QStringList{"Massime.dat"} << schermo << 2 << ""
                             << "«Massime.dat»";
    QTest::newRow("opzione di Qt senza valore") << QStringList{"-platform"} << schermo << 2 << ""
                                                << "«-platform»";
    QTest::newRow("caratteri di controllo") << QStringList{"\x1b[31mrosso"} << schermo << 2 << ""
                                            << "«?[31mrosso»";
    QTest::newRow("--help dopo --cartella-utente")
        << QStringList{"--cartella-utente", "--help"} << QStringList() << 0 << "--cartella-utente"
        << "";
    // The login entry needs no display, and is copied from beside the program.
    const QStringList configurazione{QStringLiteral("XDG_CONFIG_HOME=") + m_configurazione.path()};
    QTest::newRow("--avvio-automatico si") << QStringList{"--avvio-automatico", "si"}
                                           << configurazione << 0 << "Avvio automatico attivato"
                                           << "";
    QTest::newRow("--avvio-automatico=no") << QStringList{"--avvio-automatico=no"} << configurazione
                                           << 0 << "Avvio automatico disattivato"
                                           << "";
    QTest::newRow("--avvio-automatico forse")
        << QStringList{"--avvio-automatico", "forse"} << QStringList() << 2 << ""
        << "valore non valido per --avvio-automatico: «forse»";
    QTest::newRow("--avvio-automatico senza valore")
        << QStringList{"--avvio-automatico"} << QStringList() << 2 << ""
        << "manca il valore di --avvio-automatico (usa si oppure no)";
    QTest::newRow("senza schermo") << QStringList() << QStringList() << 1 << ""
                                   << "nessuno schermo grafico disponibile";
    QTest::newRow("server X che non risponde")
        << QStringList() << QStringList{"DISPLAY=:97"} << 1 << ""
        << "nessuno schermo grafico disponibile";
    // "@muto" is a server that takes the connection and never answers.
    QTest::newRow("server X che accetta e tace")
        << QStringList() << QStringList{"DISPLAY=@muto"} << 1 << ""
        << "nessuno schermo grafico disponibile";
    QTest::newRow("piattaforma sconosciuta")
        << QStringList() << QStringList{"QT_QPA_PLATFORM=nessuna"} << 1 << ""
        << "QT_QPA_PLATFORM chiede la piattaforma grafica «nessuna»";
}

namespace {

// A listening socket on the port of X display :n that never answers; the kernel
// completes the connection by itself.
class ServerMuto {
public:
    ServerMuto()
    {
        for (int n = 50; n < 100 && m_presa < 0; ++n) {
            const int presa = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_in indirizzo{};
            indirizzo.sin_family = AF_INET;
            indirizzo.sin_port = htons(static_cast<std::uint16_t>(6000 + n));
            indirizzo.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (::bind(presa, reinterpret_cast<sockaddr *>(&indirizzo), sizeof indirizzo) == 0 &&
                ::listen(presa, 4) == 0) {
                m_presa = presa;
                m_display = QStringLiteral("DISPLAY=127.0.0.1:%1").arg(n);
            } else {
                ::close(presa);
            }
        }
    }
    ~ServerMuto()
    {
        if (m_presa >= 0)
            ::close(m_presa);
    }
    QString display() const { return m_display; }

private:
    int m_presa = -1;
    QString m_display;
};

} // namespace

void TestRigaDiComando::argomenti()
{
    QFETCH(QStringList, argomenti);
    QFETCH(QStringList, ambiente);
    QFETCH(int, esito);
    QFETCH(QString, uscita);
    QFETCH(QString, errore);

    ServerMuto muto;
    ambiente.replaceInStrings(QStringLiteral("DISPLAY=@muto"), muto.display());
    QTemporaryDir cartella;
    QProcess programma;
    programma.setWorkingDirectory(cartella.path());
    programma.setEnvironment(ambiente << QStringLiteral("HOME=") + cartella.path());
    programma.start(QStringLiteral(LEGGE_PROGRAMMA), argomenti);
    QVERIFY(programma.waitForFinished(20000));
    const QString out = QString::fromUtf8(programma.readAllStandardOutput());
    const QString err = QString::fromUtf8(programma.readAllStandardError());
    QCOMPARE(programma.exitStatus(), QProcess::NormalExit);
    QVERIFY2(programma.exitCode() == esito, qPrintable(out + err));
    QVERIFY2(out.contains(uscita), qPrintable(out));
    if (errore.isEmpty()) {
        QCOMPARE(err, QString());
    } else {
        QVERIFY2(err.contains(errore), qPrintable(err));
        QCOMPARE(err.count(u'\n'), 1);
        QVERIFY(!err.contains(u'\x1b'));
    }
    QVERIFY(prova::voci(cartella.path().toStdString()).empty());
}

// Qt's own options reach Qt: the window opens and the program runs.
void TestRigaDiComando::opzioniDiQt()
{
    QTemporaryDir cartella;
    QProcess programma;
    programma.setWorkingDirectory(cartella.path());
    programma.setEnvironment({QStringLiteral("HOME=") + cartella.path()});
    programma.start(QStringLiteral(LEGGE_PROGRAMMA),
                    {"-platform", "offscreen", "-style=fusion", "--reverse"});
    QVERIFY(programma.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(!prova::leggi(cartella.filePath("Option.dat").toStdString()).empty(),
                             20000);
    QTest::qWait(200);
    QCOMPARE(programma.state(), QProcess::Running);
    programma.kill();
    programma.waitForFinished();
}

// Help or version lost on a full disk is a failure, said on standard error.
void TestRigaDiComando::discoPieno()
{
    if (!QFile::exists(QStringLiteral("/dev/full")))
        QSKIP("no /dev/full");
    for (const QString &opzione : {QStringLiteral("--help"), QStringLiteral("--version")}) {
        QProcess programma;
        programma.setStandardOutputFile(QStringLiteral("/dev/full"));
        programma.start(QStringLiteral(LEGGE_PROGRAMMA), {opzione});
        QVERIFY(programma.waitForFinished(20000));
        QCOMPARE(programma.exitCode(), 1);
        QVERIFY(QString::fromUtf8(programma.readAllStandardError()).contains("standard output"));
    }
}

void TestRigaDiComando::xwayland_data()
{
    QTest::addColumn<QString>("piattaforma");
    QTest::addColumn<QString>("wayland");
    QTest::addColumn<QString>("display");
    QTest::addColumn<bool>("xwayland");

    QTest::newRow("Wayland con XWayland") << ""
                                          << "wayland-0"
                                          << ":0" << true;
    QTest::newRow("Wayland senza XWayland") << ""
                                            << "wayland-0"
                                            << "" << false;
    QTest::newRow("solo X11") << ""
                              << ""
                              << ":0" << false;
    QTest::newRow("scelta dall'utente") << "wayland"
                                        << "wayland-0"
                                        << ":0" << false;
    QTest::newRow("scelta dall'utente: xcb") << "xcb"
                                             << "wayland-0"
                                             << ":0" << false;
}

void TestRigaDiComando::xwayland()
{
    QFETCH(QString, piattaforma);
    QFETCH(QString, wayland);
    QFETCH(QString, display);
    QFETCH(bool, xwayland);
    QCOMPARE(
        PreferisciXWayland(piattaforma.toStdString(), wayland.toStdString(), display.toStdString()),
        xwayland);
}

void TestRigaDiComando::primoPiano_data()
{
    QTest::addColumn<QString>("piattaforma");
    QTest::addColumn<bool>("possibile");

    QTest::newRow("X11, anche attraverso XWayland") << "xcb" << true;
    QTest::newRow("Wayland") << "wayland" << false;
    QTest::newRow("Wayland con EGL") << "wayland-egl" << false;
    QTest::newRow("senza schermo") << "offscreen" << true;
}

void TestRigaDiComando::primoPiano()
{
    QFETCH(QString, piattaforma);
    QFETCH(bool, possibile);
    QCOMPARE(PrimoPianoPossibile(piattaforma.toStdString()), possibile);
}

QTEST_MAIN(TestRigaDiComando)
#include "tst_rigadicomando.moc"
