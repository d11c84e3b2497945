// Inputs and faults that the program must survive: broken and hostile data files, a
// user without rights, a full disk, a process killed while it writes.
#include "laws/errorefile.h"
#include "laws/massime.h"
#include "settings/modo.h"
#include "utilita.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <climits>
#include <cstring>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using namespace legge;
using namespace prova;

Q_DECLARE_METATYPE(std::optional<Modo>)

namespace {

// The hidden temporary files that the atomic write leaves only when it is killed.
QStringList temporanei(const QString &cartella)
{
    return QDir(cartella).entryList({".Option.dat.*"}, QDir::Files | QDir::Hidden | QDir::System);
}

bool creaFifo(const QString &percorso)
{
    return ::mkfifo(QFile::encodeName(percorso).constData(), 0644) == 0;
}

struct Esito {
    int codice = -1;
    QStringList campi; // the helper's line, split at tabs
};

} // namespace

class TestRobustezza : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void opzioni_data();
    void opzioni();
    void massime_data();
    void massime();
    void nessunGiornoTrovaNumeriStrani();
    void fileSpeciali_data();
    void fileSpeciali();
    void massimeCasuali100MB();
    void utenteSenzaPermessi_data();
    void utenteSenzaPermessi();
    void discoPieno_data();
    void discoPieno();
    void discoPienoSulPosto();
    void uccisoDuranteLaScrittura();

private:
    Esito esegui(const QStringList &argomenti, bool comeNobody = false, int attesaMs = 30000);
    bool nobodyDisponibile();

    QTemporaryDir m_bin; // a copy of the helper that any user can run
    QString m_aiuto;
};

void TestRobustezza::initTestCase()
{
    QVERIFY(m_bin.isValid());
    m_aiuto = m_bin.filePath("aiuto");
    QVERIFY(QFile::copy(QStringLiteral(LEGGE_AIUTO), m_aiuto));
    QVERIFY(cambiaPermessi(m_bin.path(), 0755));
    QVERIFY(cambiaPermessi(m_aiuto, 0755));
}

bool TestRobustezza::nobodyDisponibile()
{
    return ::geteuid() == 0 && !QStandardPaths::findExecutable("setpriv").isEmpty();
}

Esito TestRobustezza::esegui(const QStringList &argomenti, bool comeNobody, int attesaMs)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (comeNobody) {
        p.start("setpriv",
                QStringList{"--reuid=nobody", "--regid=nogroup", "--clear-groups", m_aiuto} +
                    argomenti);
    } else {
        p.start(m_aiuto, argomenti);
    }
    Esito esito;
    if (!p.waitForFinished(attesaMs)) {
        p.kill();
        p.waitForFinished();
        return esito; // a hang shows as codice -1
    }
    if (p.exitStatus() == QProcess::NormalExit)
        esito.codice = p.exitCode();
    esito.campi = QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed().split('\t');
    return esito;
}

// Option.dat as found on disk. Reading never changes it; a file that holds no marker is no
// error (the mode stays as it is), one that holds nothing readable is.
void TestRobustezza::opzioni_data()
{
    QTest::addColumn<QString>("caso");
    QTest::addColumn<bool>("errore");
    QTest::addColumn<std::optional<Modo>>("atteso");

    QTest::newRow("mancante") << "mancante" << true << std::optional<Modo>();
    QTest::newRow("vuoto") << "vuoto" << true << std::optional<Modo>();
    QTest::newRow("un LF solo") << "lf" << false << std::optional<Modo>();
    QTest::newRow("10 MB binari") << "binario" << false << std::optional<Modo>();
    QTest::newRow("10 MB dopo il segno")
        << "segno-e-binario" << false << std::optional(ModoCasuale);
    QTest::newRow("cartella") << "cartella" << true << std::optional<Modo>();
}

void TestRobustezza::opzioni()
{
    QFETCH(QString, caso);
    QFETCH(bool, errore);
    QFETCH(std::optional<Modo>, atteso);

    QTemporaryDir dir;
    const QString file = dir.filePath("Option.dat");
    QByteArray dati;
    if (caso == "lf") {
        dati = "\n";
    } else if (caso == "binario" || caso == "segno-e-binario") {
        dati.resize(10 * 1024 * 1024);
        std::mt19937 generatore(6);
        for (auto &b : dati)
            b = char(generatore());
        if (caso == "segno-e-binario")
            dati.replace(0, Casuale.size(), Casuale);
    }
    if (caso == "cartella")
        QVERIFY(QDir(dir.path()).mkdir("Option.dat"));
    else if (caso != "mancante")
        QVERIFY(scrivi(file, dati));

    try {
        const auto modo = LeggiModo(file.toStdString());
        QVERIFY2(!errore, "nessun errore");
        QCOMPARE(modo, atteso);
    } catch (const ErroreFile &e) {
        QVERIFY2(errore, e.what());
        QCOMPARE(QString::fromStdString(e.percorso().string()), file);
        QVERIFY(!e.motivo().empty());
    }
    if (caso == "cartella")
        QVERIFY(QFileInfo(file).isDir());
    else if (caso != "mancante")
        QCOMPARE(leggi(file), dati);
    QCOMPARE(voci(dir.path()), caso == "mancante" ? QStringList() : QStringList{"Option.dat"});
}

// Massime.dat, written in clear here and scrambled on disk.
void TestRobustezza::massime_data()
{
    QTest::addColumn<QByteArray>("testo");
    QTest::addColumn<int>("numero");
    QTest::addColumn<bool>("trovata");
    QTest::addColumn<QByteArray>("titolo");

    const QByteArray intero = "/001 Uno\r\nprimo/002 Due\r\nsecondo/003 Tre\r\nterzo/";
    QTest::newRow("senza barre") << QByteArray(4096, 'x') << 1 << false << QByteArray();
    QTest::newRow("troncato nel numero")
        << intero.left(intero.indexOf("003") + 2) << 2 << true << QByteArray("Due");
    QTest::newRow("troncato nel corpo: l'ultimo si perde")
        << intero.left(intero.indexOf("terzo") + 2) << 3 << false << QByteArray();
    QTest::newRow("troncato nel corpo: i precedenti restano")
        << intero.left(intero.indexOf("terzo") + 2) << 1 << true << QByteArray("Uno");
    QTest::newRow("troncato prima dell'ultima barra")
        << intero.chopped(1) << 3 << false << QByteArray();
    QTest::newRow("numero 0") << QByteArray("/000 Zero\nx/") << 0 << true << QByteArray("Zero");
    QTest::newRow("lettere valgono 0") << QByteArray("/abc\nx/") << 0 << true << QByteArray("abc");
    QTest::newRow("negativo") << QByteArray("/-12 Meno\nx/") << -12 << true << QByteArray("Meno");
    QTest::newRow("negativo non è positivo")
        << QByteArray("/-12 Meno\nx/") << 12 << false << QByteArray();
    QTest::newRow("oltre 2^31: contano tre cifre")
        << QByteArray("/2147483648 Grande\nx/") << 214 << true << QByteArray("2147483648 Grande");
    QTest::newRow("oltre 2^31: il numero intero no")
        << QByteArray("/2147483648 Grande\nx/") << INT_MAX << false << QByteArray();
    QTest::newRow("INT_MIN") << QByteArray("/-21 Meno\nx/") << INT_MIN << false << QByteArray();
    QTest::newRow("record vuoti") << QByteArray("////") << 0 << true << QByteArray();
    QTest::newRow("campo tutto CR")
        << QByteArray("/\r\r\r\r\r\r7 Sette\nx/") << 7 << true << QByteArray("Sette");
}

void TestRobustezza::massime()
{
    QFETCH(QByteArray, testo);
    QFETCH(int, numero);
    QFETCH(bool, trovata);
    QFETCH(QByteArray, titolo);

    QTemporaryDir dir;
    const QString file = dir.filePath("Massime.dat");
    QVERIFY(scrivi(file, codifica(testo)));
    const Legge legge = CercaLegge(file.toStdString(), numero, SeManca::Errore);
    QCOMPARE(legge.trovata, trovata);
    QCOMPARE(ba(legge.titolo.value_or("")), titolo);
}

// Records numbered 0, negative or with more than three digits are never what the program
// shows: none of the numbers it asks for (1 to 366, and 500) reaches them.
void TestRobustezza::nessunGiornoTrovaNumeriStrani()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Massime.dat");
    QVERIFY(scrivi(file, codifica("/000 Zero\nx/-01 Meno\ny/ab Lettere\nz/-366 Meno\nw/"
                                  "0.5 Mezzo\nv/")));
    for (int numero = 1; numero <= 366; ++numero)
        QVERIFY2(!CercaLegge(file.toStdString(), numero).trovata,
                 qPrintable(QString::number(numero)));
    QVERIFY(!CercaLegge(file.toStdString(), 500).trovata);
}

// A data file that is not a regular file must give an error at once: a FIFO would
// otherwise block the start for ever, /dev/zero would never end.
void TestRobustezza::fileSpeciali_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("tipo");
    QTest::newRow("Option.dat FIFO") << "Option.dat"
                                     << "fifo";
    QTest::newRow("Massime.dat FIFO") << "Massime.dat"
                                      << "fifo";
    QTest::newRow("Option.dat -> /dev/zero") << "Option.dat"
                                             << "zero";
    QTest::newRow("Massime.dat -> /dev/zero") << "Massime.dat"
                                              << "zero";
    QTest::newRow("Massime.dat cartella") << "Massime.dat"
                                          << "cartella";
}

void TestRobustezza::fileSpeciali()
{
    QFETCH(QString, file);
    QFETCH(QString, tipo);
    QTemporaryDir dir;
    const QString percorso = dir.filePath(file);
    if (tipo == "fifo")
        QVERIFY(creaFifo(percorso));
    else if (tipo == "zero")
        QVERIFY(QFile::link("/dev/zero", percorso));
    else
        QVERIFY(QDir(dir.path()).mkdir(file));

    const Esito esito = file == "Option.dat"
                            ? esegui({"leggi-modo", percorso}, false, 10000)
                            : esegui({"cerca", percorso, "1", "crea"}, false, 10000);
    QCOMPARE(esito.codice, 3);
    QCOMPARE(esito.campi.value(0), "errore");
    QCOMPARE(esito.campi.value(1), percorso);
    QVERIFY(!esito.campi.value(2).isEmpty());
    QCOMPARE(voci(dir.path()), QStringList{file});
}

// 100 MB of random bytes hold about 400 000 separators and records of every shape. The
// scan must see each record once, and find the same first match as a plain search.
void TestRobustezza::massimeCasuali100MB()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Massime.dat");
    QByteArray dati(100 * 1024 * 1024, Qt::Uninitialized);
    std::mt19937_64 generatore(100);
    for (qsizetype i = 0; i < dati.size(); i += 8) {
        const std::uint64_t v = generatore();
        std::memcpy(dati.data() + i, &v, 8);
    }
    QVERIFY(scrivi(file, dati));

    class Contatore : public VisitatoreMassime {
    public:
        bool vuoiTesto(std::string_view) override { return true; }
        bool record(const Record &) override { return ++conta, true; }
        qsizetype conta = 0;
    } contatore;
    PercorriMassime(file.toStdString(), contatore);
    const qsizetype separatori = dati.count(char(0xD0));
    QVERIFY(separatori > 1000);
    QCOMPARE(contatore.conta, separatori - 1);

    // The first record whose number field reads as a whole number from 1 up, found the
    // plain way: its first three characters after the separator, CRs left out.
    const char sep = char(0xD0);
    qsizetype inizio = dati.indexOf(sep) + 1;
    int numero = 0;
    QByteArray atteso;
    for (qsizetype fine; (fine = dati.indexOf(sep, inizio)) >= 0; inizio = fine + 1) {
        QByteArray testo = codifica(dati.mid(inizio, fine - inizio));
        testo.replace('\r', "");
        const double valore =
            ValoreNumero(std::string_view(testo.constData(), std::size_t(qMin(testo.size(), 3))));
        if (valore >= 1 && valore == int(valore)) {
            numero = int(valore);
            atteso = testo;
            break;
        }
    }
    QVERIFY(numero > 0);
    const Legge legge = CercaLegge(file.toStdString(), numero);
    const Legge attesa = EstraiLegge(atteso.toStdString());
    QVERIFY(legge.trovata);
    QVERIFY(legge.titolo == attesa.titolo);
    QVERIFY(legge.corpo == attesa.corpo);
}

// The working directory belongs to root and is read-only for the user running the
// program; the two files may be missing, root's, or left writable for the user.
void TestRobustezza::utenteSenzaPermessi_data()
{
    QTest::addColumn<QString>("opzioni"); // assente, di root, scrivibile
    QTest::addColumn<QString>("massime"); // assente, leggibile, illeggibile
    QTest::addColumn<QString>("esitoLeggi");
    QTest::addColumn<QString>("esitoScrivi");
    QTest::addColumn<QString>("esitoCerca");
    QTest::addColumn<QByteArray>("opzioniDopo");

    QTest::newRow("senza file") << "assente"
                                << "assente"
                                << "errore"
                                << "errore"
                                << "errore" << QByteArray();
    QTest::newRow("file di root") << "di root"
                                  << "leggibile"
                                  << "casuale"
                                  << "errore"
                                  << "trovata" << Casuale;
    QTest::newRow("Option.dat scrivibile: riscritto sul posto") << "scrivibile"
                                                                << "leggibile"
                                                                << "casuale"
                                                                << "scritto"
                                                                << "trovata" << Giorno;
    QTest::newRow("Massime.dat illeggibile") << "di root"
                                             << "illeggibile"
                                             << "casuale"
                                             << "errore"
                                             << "errore" << Casuale;
}

void TestRobustezza::utenteSenzaPermessi()
{
    if (!nobodyDisponibile())
        QSKIP("serve root e setpriv per agire come nobody");
    QFETCH(QString, opzioni);
    QFETCH(QString, massime);
    QFETCH(QString, esitoLeggi);
    QFETCH(QString, esitoScrivi);
    QFETCH(QString, esitoCerca);
    QFETCH(QByteArray, opzioniDopo);

    QTemporaryDir dir;
    QVERIFY(cambiaPermessi(dir.path(), 0755));
    const QString fileOpzioni = dir.filePath("Option.dat");
    const QString fileMassime = dir.filePath("Massime.dat");
    const QByteArray legge = codifica("/001 Prima\nlegge/");
    if (opzioni != "assente") {
        QVERIFY(scrivi(fileOpzioni, Casuale));
        QVERIFY(cambiaPermessi(fileOpzioni, opzioni == "scrivibile" ? 0666 : 0644));
    }
    if (massime != "assente") {
        QVERIFY(scrivi(fileMassime, legge));
        QVERIFY(cambiaPermessi(fileMassime, massime == "leggibile" ? 0644 : 0000));
    }
    const QStringList prima = voci(dir.path());
    struct stat st {};
    const bool esisteva = ::stat(QFile::encodeName(fileOpzioni).constData(), &st) == 0;
    const ino_t inode = st.st_ino;

    const auto controlla = [&](const Esito &esito, const QString &atteso, const QString &file) {
        QCOMPARE(esito.campi.value(0), atteso);
        QCOMPARE(esito.codice, atteso == "errore" ? 3 : 0);
        if (atteso == "errore") {
            QCOMPARE(esito.campi.value(1), file);
            QVERIFY(!esito.campi.value(2).isEmpty());
        }
    };
    controlla(esegui({"leggi-modo", fileOpzioni}, true), esitoLeggi, fileOpzioni);
    if (QTest::currentTestFailed())
        return;
    controlla(esegui({"scrivi-modo", fileOpzioni, "giorno"}, true), esitoScrivi, fileOpzioni);
    if (QTest::currentTestFailed())
        return;
    controlla(esegui({"cerca", fileMassime, "1", "crea"}, true), esitoCerca, fileMassime);
    if (QTest::currentTestFailed())
        return;

    QCOMPARE(voci(dir.path()), prima);
    QCOMPARE(leggi(fileOpzioni), opzioniDopo);
    if (esisteva) {
        QVERIFY(::stat(QFile::encodeName(fileOpzioni).constData(), &st) == 0);
        QCOMPARE(st.st_ino, inode);
    }
    if (massime != "assente")
        QCOMPARE(leggi(fileMassime), legge);
}

// A full disk, or a quota, while Option.dat is written: the write fails, the old file
// stays byte for byte, and no temporary file is left. A limit large enough for the new
// content shows that it is the limit, not something else, that makes the others fail.
void TestRobustezza::discoPieno_data()
{
    QTest::addColumn<int>("limite");
    QTest::addColumn<bool>("esistente");
    QTest::addColumn<bool>("riesce");
    for (const bool esistente : {true, false}) {
        const char *quale = esistente ? "sopra il vecchio" : "nuovo";
        QTest::addRow("%s, niente spazio", quale) << 0 << esistente << false;
        QTest::addRow("%s, spazio per 5 byte", quale) << 5 << esistente << false;
        QTest::addRow("%s, manca un byte", quale) << int(Casuale.size()) - 1 << esistente << false;
        QTest::addRow("%s, spazio giusto", quale) << int(Casuale.size()) << esistente << true;
    }
}

void TestRobustezza::discoPieno()
{
    QFETCH(int, limite);
    QFETCH(bool, esistente);
    QFETCH(bool, riesce);

    QTemporaryDir dir;
    const QString file = dir.filePath("Option.dat");
    const QByteArray vecchio = Giorno + "una seconda riga che nessuno legge\r\n";
    if (esistente)
        QVERIFY(scrivi(file, vecchio));

    const Esito esito =
        esegui({"--limite-file", QString::number(limite), "scrivi-modo", file, "casuale"});
    if (riesce) {
        QCOMPARE(esito.campi.value(0), "scritto");
        QCOMPARE(leggi(file), Casuale);
    } else {
        QCOMPARE(esito.codice, 3);
        QCOMPARE(esito.campi.value(1), file);
        QVERIFY(!esito.campi.value(2).isEmpty());
        if (esistente)
            QCOMPARE(leggi(file), vecchio);
    }
    QCOMPARE(voci(dir.path()), esistente || riesce ? QStringList{"Option.dat"} : QStringList());
}

// The last resort, rewriting Option.dat in place because the directory is read-only,
// cannot be atomic. When the disk fills up part-way, the old bytes are put back.
void TestRobustezza::discoPienoSulPosto()
{
    if (!nobodyDisponibile())
        QSKIP("serve root e setpriv per agire come nobody");
    QTemporaryDir dir;
    QVERIFY(cambiaPermessi(dir.path(), 0755));
    const QString file = dir.filePath("Option.dat");
    QVERIFY(scrivi(file, Giorno)); // shorter than the new content: the write must grow it
    QVERIFY(cambiaPermessi(file, 0666));

    const Esito esito = esegui(
        {"--limite-file", QString::number(Giorno.size()), "scrivi-modo", file, "casuale"}, true);
    QCOMPARE(esito.codice, 3);
    QCOMPARE(esito.campi.value(1), file);
    QCOMPARE(leggi(file), Giorno);
    QCOMPARE(voci(dir.path()), QStringList{"Option.dat"});
}

// A process killed (SIGKILL, which nothing can catch) at a random moment while it rewrites
// Option.dat over and over. Afterwards the file holds one whole marker line or the other.
// A kill between creating the temporary file and renaming it leaves that one file behind:
// nothing can remove it then. The reader never looks at it.
void TestRobustezza::uccisoDuranteLaScrittura()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Option.dat");
    QVERIFY(scrivi(file, Giorno));
    QRandomGenerator caso(20240601);
    int conTemporaneo = 0;
    for (int giro = 0; giro < 100; ++giro) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(m_aiuto, {"alterna", file});
        QVERIFY(p.waitForReadyRead(30000));
        QThread::usleep(caso.bounded(3000));
        p.kill();
        QVERIFY(p.waitForFinished(30000));

        const QByteArray dopo = leggi(file);
        QVERIFY2(dopo == Giorno || dopo == Casuale, dopo.toHex().constData());
        const QStringList resti = temporanei(dir.path());
        QVERIFY2(resti.size() <= 1, qPrintable(resti.join(' ')));
        if (!resti.isEmpty()) {
            ++conTemporaneo;
            QCOMPARE(LeggiModo(file.toStdString()),
                     std::optional(dopo == Giorno ? ModoGiorno : ModoCasuale));
            QVERIFY(QFile::remove(dir.filePath(resti.first())));
        }
        QCOMPARE(voci(dir.path()), QStringList{"Option.dat"});
    }
    qInfo("%d uccisioni su 100 hanno lasciato un file temporaneo", conTemporaneo);
}

QTEST_GUILESS_MAIN(TestRobustezza)
#include "tst_robustezza.moc"
