// SPDX-License-Identifier: GPL-3.0-or-later
// The window's start-up facing the same broken, hostile or missing files as the core, and
// a user without rights. Each start runs in a process of its own (tests/aiutofinestra),
// which builds the real Form1 and runs the real start-up but prints, instead of showing,
// what the user would see: a message box on offscreen would wait for ever.
#include "leggi/cp1252.h"
#include "leggi/massime.h"
#include "opzioni/modo.h"
#include "supporto/prova.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

using namespace legge;

namespace {

// Qt's strings over the shared helpers.
std::filesystem::path percorsoDi(const QString &percorso)
{
    return QFile::encodeName(percorso).toStdString();
}

std::string_view vista(const QByteArray &dati)
{
    return {dati.constData(), std::size_t(dati.size())};
}

QByteArray ba(const std::string &s)
{
    return QByteArray::fromStdString(s);
}

const QByteArray Giorno = ba(prova::Giorno);
const QByteArray Casuale = ba(prova::Casuale);

QByteArray leggi(const QString &percorso, const QByteArray &seManca)
{
    return ba(prova::leggi(percorsoDi(percorso), seManca.toStdString()));
}

bool scrivi(const QString &percorso, const QByteArray &dati)
{
    return prova::scrivi(percorsoDi(percorso), vista(dati));
}

QByteArray codifica(const QByteArray &testo)
{
    return ba(prova::codifica(testo.toStdString()));
}

bool cambiaPermessi(const QString &percorso, mode_t permessi)
{
    return prova::cambiaPermessi(percorsoDi(percorso), permessi);
}

QStringList voci(const QString &cartella)
{
    QStringList elenco;
    for (const auto &voce : prova::voci(percorsoDi(cartella)))
        elenco << QFile::decodeName(voce.c_str());
    return elenco;
}

const QString Manca = QStringLiteral("<manca>");
const QString Cartella = QStringLiteral("<cartella>");
const QString Binario = QStringLiteral("<binario>");
const QString Fifo = QStringLiteral("<fifo>");

QString motivo(int codice)
{
    return QString::fromStdString(std::system_category().message(codice));
}

// One law for every number the start-up can ask for, in Windows-1252 and in clear.
QByteArray raccolta()
{
    QByteArray testo = "Raccolta di prova\r\n";
    for (int n = 1; n <= 366; ++n)
        testo += QStringLiteral("/%1 Legge %2\r\nTesto della legge %2, con \xE8.")
                     .arg(n, 3, 10, QLatin1Char('0'))
                     .arg(n)
                     .toLatin1();
    return testo + "/500 Legge 500\r\nTesto della legge 500, con \xE8./";
}

QString titoloDi(int n)
{
    return QStringLiteral("  Legge %1").arg(n);
}

QString testoDi(int n)
{
    return QStringLiteral("\nTesto della legge %1, con è.").arg(n);
}

const QString TitoloIniziale = QStringLiteral("Una Legge al Giorno");
const QString Inizio = QStringLiteral("Impossibile mostrare la legge: il programma termina.");

// What one start left on the user's screen.
struct Avvio {
    int codice = -1; // -1: crashed or hung
    QString esito;   // "mostrata" or "errore"
    QString titolo;
    QString modo;
    int numero = 0;
    QString testo; // of Label1, or of the message
    QString diagnostica;
};

// Writes `contenuto` as the file `nome`: Manca leaves it out, Cartella makes a directory,
// Fifo a named pipe with no writer.
bool prepara(const QString &cartella, const QString &nome, const QString &contenuto,
             const QByteArray &dati)
{
    const QString percorso = QDir(cartella).filePath(nome);
    if (contenuto == Manca)
        return true;
    if (contenuto == Cartella)
        return QDir(cartella).mkdir(nome) && scrivi(percorso + "/dentro", "resta");
    if (contenuto == Fifo)
        return prova::creaFifo(percorsoDi(percorso));
    return scrivi(percorso, dati);
}

} // namespace

class TestRobustezzaFinestra : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void avvio_data();
    void avvio();
    void opzioniCollegate_data();
    void opzioniCollegate();
    void massimeCasuali100MB();
    void utenteSenzaPermessi_data();
    void utenteSenzaPermessi();
    void programmaVero();

private:
    Avvio avvia(const QString &cartella, const QString &data, bool comeNobody = false,
                int attesaMs = 60000);
    static void verificaErrore(const Avvio &avvio, const QString &file, const QString &motivo);

    std::optional<prova::CopiaEseguibile> m_aiuto;
};

void TestRobustezzaFinestra::initTestCase()
{
    m_aiuto.emplace(LEGGE_AIUTO_FINESTRA);
}

Avvio TestRobustezzaFinestra::avvia(const QString &cartella, const QString &data, bool comeNobody,
                                    int attesaMs)
{
    std::vector<std::string> comando{m_aiuto->str(), "--data", data.toStdString(), "--secondi",
                                     "3723"};
    if (comeNobody)
        comando = prova::comeNobody(comando);
    prova::Processo p(comando, percorsoDi(cartella));

    Avvio avvio;
    if (!p.attendi(std::chrono::milliseconds(attesaMs))) {
        p.uccidi();
        p.attendi(std::chrono::seconds(30));
        avvio.diagnostica = QStringLiteral("bloccato");
        return avvio;
    }
    avvio.diagnostica = QString::fromLocal8Bit(p.errori);
    avvio.codice = p.codice();
    if (avvio.codice < 0)
        return avvio;
    const QString uscita = QString::fromStdString(p.uscita);
    avvio.esito = uscita.section('\n', 0, 0);
    if (avvio.esito == "mostrata") {
        avvio.titolo = uscita.section('\n', 1, 1);
        avvio.modo = uscita.section('\n', 2, 2);
        avvio.numero = uscita.section('\n', 3, 3).toInt();
        avvio.testo = uscita.section('\n', 4);
    } else {
        avvio.testo = uscita.section('\n', 1);
    }
    return avvio;
}

// The message names the file by its full path and gives the system's reason.
void TestRobustezzaFinestra::verificaErrore(const Avvio &avvio, const QString &file,
                                            const QString &motivo)
{
    QCOMPARE(avvio.esito, "errore");
    QCOMPARE(avvio.codice, 1);
    QVERIFY2(avvio.testo.startsWith(Inizio), qPrintable(avvio.testo));
    QVERIFY2(avvio.testo.contains(QStringLiteral("File: ") + file + '\n'), qPrintable(avvio.testo));
    QVERIFY2(avvio.testo.endsWith(QStringLiteral("Motivo: ") + motivo), qPrintable(avvio.testo));
}

// 3 May 2023 asks for law 123, 2 August for law 214. The start-up reads the files in the
// process's current directory; what follows it shows on screen or in the message.
void TestRobustezzaFinestra::avvio_data()
{
    QTest::addColumn<QString>("opzioni"); // Manca, Cartella, Fifo, Binario, or the bytes
    QTest::addColumn<QString>("massime"); // Manca, Cartella, Fifo, or the text in clear
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("titolo"); // shown; or the file the message names
    QTest::addColumn<QString>("testo");  // of the label; or the reason
    QTest::addColumn<QString>("opzioniDopo");
    QTest::addColumn<QString>("massimeDopo"); // "=": unchanged

    const QString giorno = QString::fromLatin1(Giorno);
    const QString casuale = QString::fromLatin1(Casuale);
    const QString tutte = QString::fromLatin1(raccolta());
    const QString maggio = "2023-05-03";
    const QString agosto = "2023-08-02";

    QTest::newRow("Option.dat mancante: creato")
        << Manca << tutte << maggio << titoloDi(123) << testoDi(123) << giorno << "=";
    QTest::newRow("Option.dat vuoto: riscritto")
        << "" << tutte << maggio << titoloDi(123) << testoDi(123) << giorno << "=";
    QTest::newRow("Option.dat un LF solo: lasciato com'è")
        << "\n"
        << tutte << maggio << titoloDi(123) << testoDi(123) << "\n"
        << "=";
    QTest::newRow("Option.dat 10 MB binari: lasciato com'è")
        << Binario << tutte << maggio << titoloDi(123) << testoDi(123) << Binario << "=";
    // Rewriting Option.dat keeps whatever stands at its path, or refuses.
    QTest::newRow("Option.dat cartella: errore")
        << Cartella << tutte << maggio << "Option.dat"
        << "è una cartella, non un file: la lascio com'è" << Cartella << "=";
    // Opening a pipe with no writer would wait for ever.
    QTest::newRow("Option.dat FIFO: lasciata, errore")
        << Fifo << tutte << maggio << "Option.dat"
        << "è una FIFO, non un file: la lascio com'è" << Fifo << "=";

    const QString intera = "/122 Ieri\r\nieri/123 Oggi\r\noggi/124 Domani\r\ndomani/";
    QTest::newRow("Massime.dat mancante: creato vuoto")
        << giorno << Manca << maggio << TitoloIniziale << "" << giorno << "";
    QTest::newRow("Massime.dat vuoto")
        << giorno << "" << maggio << TitoloIniziale << "" << giorno << "=";
    QTest::newRow("Massime.dat senza barre")
        << giorno << QString(4096, 'x') << maggio << TitoloIniziale << "" << giorno << "=";
    QTest::newRow("troncato nella legge del giorno")
        << giorno << intera.left(intera.indexOf("oggi") + 2) << maggio << TitoloIniziale << ""
        << giorno << "=";
    QTest::newRow("troncato nel numero della legge del giorno")
        << giorno << intera.left(intera.indexOf("123") + 2) << maggio << TitoloIniziale << ""
        << giorno << "=";
    QTest::newRow("troncato nella legge seguente")
        << giorno << intera.left(intera.indexOf("domani") + 2) << maggio << "  Oggi"
        << "\noggi" << giorno << "=";
    QTest::newRow("legge del giorno fatta del solo numero")
        << giorno << "/123/" << maggio << TitoloIniziale << "123" << giorno << "=";
    QTest::newRow("Massime.dat cartella: ripristino, poi errore")
        << casuale << Cartella << maggio << "Massime.dat" << motivo(EISDIR) << giorno << Cartella;
    QTest::newRow("Massime.dat FIFO: ripristino, poi errore")
        << casuale << Fifo << maggio << "Massime.dat"
        << "non è un file regolare" << giorno << Fifo;

    const QString strani = "/000 Zero\r\nzero/-12 Meno\r\nmeno/-123 Meno\r\nmeno/"
                           "2147483648 Grande\r\ngrande/99999999999999999999 Enorme\r\nx/";
    QTest::newRow("numeri 0, negativi, oltre 2^31")
        << giorno << strani << maggio << TitoloIniziale << "" << giorno << "=";
    // Only the first three characters are the number: 2147483648 is law 214.
    QTest::newRow("oltre 2^31, il giorno 214")
        << giorno << strani << agosto << "  2147483648 Grande"
        << "\ngrande" << giorno << "=";
}

void TestRobustezzaFinestra::avvio()
{
    QFETCH(QString, opzioni);
    QFETCH(QString, massime);
    QFETCH(QString, data);
    QFETCH(QString, titolo);
    QFETCH(QString, testo);
    QFETCH(QString, opzioniDopo);
    QFETCH(QString, massimeDopo);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QByteArray datiOpzioni = opzioni.toLatin1();
    if (opzioni == Binario) {
        datiOpzioni = ba(prova::byteCasuali(10 * 1024 * 1024, 10));
    }
    const QByteArray datiMassime = codifica(massime.toLatin1());
    QVERIFY(prepara(dir.path(), "Option.dat", opzioni, datiOpzioni));
    QVERIFY(prepara(dir.path(), "Massime.dat", massime, datiMassime));

    const Avvio avvio = avvia(dir.path(), data);
    QVERIFY2(avvio.codice >= 0, qPrintable(avvio.diagnostica));
    if (titolo.endsWith(".dat")) {
        verificaErrore(avvio, dir.filePath(titolo), testo);
    } else {
        QCOMPARE(avvio.esito, "mostrata");
        QCOMPARE(avvio.codice, 0);
        QCOMPARE(avvio.titolo, titolo);
        QCOMPARE(avvio.testo, testo);
        QCOMPARE(avvio.modo, opzioni == QString::fromLatin1(Casuale) ? "casuale" : "giorno");
    }
    if (QTest::currentTestFailed())
        return;

    const auto controlla = [&](const QString &nome, const QString &dopo, const QByteArray &prima) {
        const QString percorso = dir.filePath(nome);
        if (dopo == Cartella)
            QCOMPARE(voci(percorso), QStringList{"dentro"});
        else if (dopo == Fifo)
            QCOMPARE(QFileInfo(percorso).isFile(), false);
        else if (dopo == "=")
            QCOMPARE(leggi(percorso, "<manca>"), prima);
        else if (dopo == Binario)
            QCOMPARE(leggi(percorso, "<manca>"), datiOpzioni);
        else
            QCOMPARE(leggi(percorso, "<manca>"), dopo.toLatin1());
    };
    controlla("Option.dat", opzioniDopo, datiOpzioni);
    controlla("Massime.dat", massimeDopo, datiMassime);
    // No temporary file or anything else left behind.
    QCOMPARE(voci(dir.path()), (QStringList{"Massime.dat", "Option.dat"}));
}

// 100 MB of random bytes, with a record 123 planted near the end so that the scan crosses
// nearly all of them and the window gets random bytes to show: it shows what the lookup
// finds, converted from Windows-1252, and neither hangs nor crashes.
void TestRobustezzaFinestra::massimeCasuali100MB()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath("Massime.dat");
    QByteArray dati = ba(prova::byteCasuali(100 * 1024 * 1024, 2023));
    const QByteArray piantato = codifica("/123 Casuale ");
    dati.replace(dati.size() - 4096, piantato.size(), piantato);
    dati.back() = codifica("/").at(0); // a '/' that closes it
    QVERIFY(scrivi(file, dati));
    QVERIFY(scrivi(dir.filePath("Option.dat"), Giorno));

    const Legge attesa = CercaLegge(file.toStdString(), 123, SeManca::Errore);
    const Avvio avvio = avvia(dir.path(), "2023-05-03", false, 300000);
    QVERIFY2(avvio.codice >= 0, qPrintable(avvio.diagnostica));
    QCOMPARE(avvio.esito, "mostrata");
    QCOMPARE(avvio.codice, 0);
    QCOMPARE(avvio.numero, 123);
    QVERIFY(attesa.trovata);
    QVERIFY(!attesa.corpo.empty());
    QCOMPARE(avvio.testo, QString::fromStdString(Cp1252InUtf8(attesa.corpo)));
    QCOMPARE(avvio.titolo, attesa.titolo ? QStringLiteral("  ") +
                                               QString::fromStdString(Cp1252InUtf8(*attesa.titolo))
                                         : TitoloIniziale);
    QCOMPARE(leggi(dir.filePath("Option.dat"), "<manca>"), Giorno);
    QCOMPARE(leggi(file, "<manca>"), dati);
}

// Rights that root would ignore, so the start runs as nobody. `cartella` is the working
// directory's mode; the files belong to root.
void TestRobustezzaFinestra::utenteSenzaPermessi_data()
{
    QTest::addColumn<int>("cartella");
    QTest::addColumn<QString>("opzioni"); // Manca, or the bytes
    QTest::addColumn<int>("permessiOpzioni");
    QTest::addColumn<bool>("massime"); // present, holding a law for every day
    QTest::addColumn<int>("permessiMassime");
    QTest::addColumn<QString>("errore"); // the file named in the message; empty: law shown
    QTest::addColumn<QByteArray>("opzioniDopo");

    const QString giorno = QString::fromLatin1(Giorno);
    const QString casuale = QString::fromLatin1(Casuale);
    QTest::newRow("sola lettura, vuota: non si può creare Option.dat")
        << 0555 << Manca << 0 << false << 0 << "Option.dat" << QByteArray("<manca>");
    QTest::newRow("sola lettura, i due file: nulla scritto")
        << 0555 << giorno << 0644 << true << 0644 << "" << Giorno;
    QTest::newRow("sola lettura, i due file, modo casuale: nulla scritto")
        << 0555 << casuale << 0644 << true << 0644 << "" << Casuale;
    QTest::newRow("sola lettura, solo Massime.dat")
        << 0555 << Manca << 0 << true << 0644 << "Option.dat" << QByteArray("<manca>");
    QTest::newRow("sola lettura, solo Option.dat: il ripristino non può scrivere")
        << 0555 << casuale << 0644 << false << 0 << "Option.dat" << Casuale;
    QTest::newRow("sola lettura, solo Option.dat scrivibile: ripristino, poi errore")
        << 0555 << casuale << 0666 << false << 0 << "Massime.dat" << Giorno;
    QTest::newRow("Massime.dat illeggibile: ripristino, poi errore")
        << 0777 << casuale << 0644 << true << 0000 << "Massime.dat" << Giorno;
    QTest::newRow("Massime.dat illeggibile, sola lettura")
        << 0555 << giorno << 0644 << true << 0000 << "Option.dat" << Giorno;
}

void TestRobustezzaFinestra::utenteSenzaPermessi()
{
    if (!prova::nobodyDisponibile())
        QSKIP("serve root e setpriv per agire come nobody");
    QFETCH(int, cartella);
    QFETCH(QString, opzioni);
    QFETCH(int, permessiOpzioni);
    QFETCH(bool, massime);
    QFETCH(int, permessiMassime);
    QFETCH(QString, errore);
    QFETCH(QByteArray, opzioniDopo);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString fileOpzioni = dir.filePath("Option.dat");
    const QString fileMassime = dir.filePath("Massime.dat");
    const QByteArray leggi123 = codifica(raccolta());
    if (opzioni != Manca) {
        QVERIFY(scrivi(fileOpzioni, opzioni.toLatin1()));
        QVERIFY(cambiaPermessi(fileOpzioni, mode_t(permessiOpzioni)));
    }
    if (massime) {
        QVERIFY(scrivi(fileMassime, leggi123));
        QVERIFY(cambiaPermessi(fileMassime, mode_t(permessiMassime)));
    }
    QVERIFY(cambiaPermessi(dir.path(), mode_t(cartella)));
    const QStringList prima = voci(dir.path());

    const Avvio avvio = avvia(dir.path(), "2023-05-03", true);
    QVERIFY(cambiaPermessi(dir.path(), 0700)); // so that it can be removed
    QVERIFY2(avvio.codice >= 0, qPrintable(avvio.diagnostica));
    if (errore.isEmpty()) {
        QCOMPARE(avvio.esito, "mostrata");
        QCOMPARE(avvio.codice, 0);
        QCOMPARE(avvio.modo, opzioni == QString::fromLatin1(Casuale) ? "casuale" : "giorno");
        QVERIFY(avvio.numero >= 1 && avvio.numero <= 366);
        QCOMPARE(avvio.titolo, titoloDi(avvio.numero));
        QCOMPARE(avvio.testo, testoDi(avvio.numero));
    } else {
        verificaErrore(avvio, dir.filePath(errore), motivo(EACCES));
    }
    QCOMPARE(voci(dir.path()), prima);
    QCOMPARE(leggi(fileOpzioni, "<manca>"), opzioniDopo);
    if (massime)
        QCOMPARE(leggi(fileMassime, "<manca>"), leggi123);
}

// The program itself, as a user starts it for the first time: it must come up and stay up
// (a message box would too, so the files it leaves tell the two apart).
void TestRobustezzaFinestra::programmaVero()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QProcess p;
    p.setWorkingDirectory(dir.path());
    auto ambiente = QProcessEnvironment::systemEnvironment();
    ambiente.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(ambiente);
    p.start(QStringLiteral(LEGGE_PROGRAMMA), QStringList());
    QVERIFY(p.waitForStarted(30000));

    const QString opzioni = dir.filePath("Option.dat");
    const QString massime = dir.filePath("Massime.dat");
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(massime) || p.state() != QProcess::Running, 30000);
    QTest::qWait(1000);
    const bool inVita = p.state() == QProcess::Running;
    p.kill();
    p.waitForFinished(30000);
    QVERIFY2(inVita, qPrintable(QStringLiteral("terminato con %1: %2")
                                    .arg(p.exitCode())
                                    .arg(QString::fromLocal8Bit(p.readAllStandardError()))));
    QCOMPARE(leggi(opzioni, "<manca>"), Giorno);
    QCOMPARE(leggi(massime, "<manca>"), QByteArray());
    QCOMPARE(voci(dir.path()), (QStringList{"Massime.dat", "Option.dat"}));
}

QTEST_GUILESS_MAIN(TestRobustezzaFinestra)
// An empty Option.dat kept elsewhere through a link, or under two names: the start-up's
// recovery writes the default marker into the file itself and leaves the names as they were.
void TestRobustezzaFinestra::opzioniCollegate_data()
{
    QTest::addColumn<bool>("collegamento");
    QTest::newRow("collegamento simbolico") << true;
    QTest::newRow("due nomi") << false;
}

void TestRobustezzaFinestra::opzioniCollegate()
{
    QFETCH(bool, collegamento);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir("dotfiles"));
    const QString vero = dir.filePath("dotfiles/opzioni");
    const QString opzioni = dir.filePath("Option.dat");
    QVERIFY(scrivi(vero, ""));
    if (collegamento)
        QVERIFY(QFile::link("dotfiles/opzioni", opzioni));
    else
        std::filesystem::create_hard_link(percorsoDi(vero), percorsoDi(opzioni));
    QVERIFY(scrivi(dir.filePath("Massime.dat"), codifica(raccolta())));

    const Avvio avvio = avvia(dir.path(), "2023-05-03");
    QVERIFY2(avvio.codice >= 0, qPrintable(avvio.diagnostica));
    QCOMPARE(avvio.esito, "mostrata");
    QCOMPARE(avvio.titolo, titoloDi(123));
    QCOMPARE(QFileInfo(opzioni).isSymLink(), collegamento);
    QCOMPARE(leggi(vero, "<manca>"), ba(prova::Giorno));
    QCOMPARE(leggi(opzioni, "<manca>"), ba(prova::Giorno));
    QCOMPARE(voci(dir.filePath("dotfiles")), QStringList{"opzioni"});
}

#include "tst_robustezza_finestra.moc"
