#include "laws/errorefile.h"
#include "settings/modo.h"
#include "utilita.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace legge;
using namespace prova;

Q_DECLARE_METATYPE(std::optional<Modo>)

class TestModo : public QObject {
    Q_OBJECT

private slots:
    void lettura_data();
    void lettura();
    void letturaFallita_data();
    void letturaFallita();
    void scrittura_data();
    void scrittura();
    void segniDistinti();
    void discoPienoLasciaIlVecchioFile();
    void destinazioneCartella();
};

void TestModo::lettura_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<std::optional<Modo>>("atteso");

    const std::optional<Modo> nessuno;
    QTest::newRow("giorno CR LF") << "giorno.dat" << std::optional(ModoGiorno);
    QTest::newRow("casuale CR LF") << "casuale.dat" << std::optional(ModoCasuale);
    QTest::newRow("senza fine riga") << "casuale-senza-fine-riga.dat" << std::optional(ModoCasuale);
    QTest::newRow("LF solo resta nella riga") << "casuale-lf.dat" << nessuno;
    QTest::newRow("righe in più ignorate")
        << "casuale-righe-extra.dat" << std::optional(ModoCasuale);
    QTest::newRow("CR senza LF") << "giorno-cr-solo.dat" << std::optional(ModoGiorno);
    QTest::newRow("segno troncato") << "casuale-troncato.dat" << nessuno;
    QTest::newRow("segno allungato") << "casuale-allungato.dat" << nessuno;
    QTest::newRow("riga sconosciuta") << "sconosciuto.dat" << nessuno;
    QTest::newRow("prima riga vuota") << "riga-vuota.dat" << nessuno;
}

void TestModo::lettura()
{
    QFETCH(QString, fixture);
    QFETCH(std::optional<Modo>, atteso);
    const QString percorso = QFINDTESTDATA("data/opzioni/" + fixture);
    QVERIFY(!percorso.isEmpty());
    const QByteArray prima = leggi(percorso);
    QCOMPARE(LeggiModo(percorso.toStdString()), atteso);
    QCOMPARE(leggi(percorso), prima);
}

void TestModo::letturaFallita_data()
{
    QTest::addColumn<QString>("caso");
    QTest::newRow("file vuoto") << "vuoto";
    QTest::newRow("file mancante") << "mancante";
    QTest::newRow("cartella al posto del file") << "cartella";
}

void TestModo::letturaFallita()
{
    QFETCH(QString, caso);
    QTemporaryDir dir;
    const QString percorso = dir.filePath("Option.dat");
    if (caso == "vuoto")
        QVERIFY(scrivi(percorso, {}));
    else if (caso == "cartella")
        QVERIFY(QDir(dir.path()).mkdir("Option.dat"));

    try {
        LeggiModo(percorso.toStdString());
        QFAIL("nessun errore");
    } catch (const ErroreFile &e) {
        QCOMPARE(QString::fromStdString(e.percorso().string()), percorso);
        QVERIFY(!e.motivo().empty());
        QVERIFY(QString::fromStdString(e.what()).contains(percorso));
    }
}

void TestModo::scrittura_data()
{
    QTest::addColumn<Modo>("modo");
    QTest::addColumn<QByteArray>("atteso");
    QTest::addColumn<bool>("esistente");
    QTest::newRow("giorno, nuovo") << ModoGiorno << ba(SegnoGiorno) + "\r\n" << false;
    QTest::newRow("casuale, nuovo") << ModoCasuale << ba(SegnoCasuale) + "\r\n" << false;
    QTest::newRow("giorno su lungo") << ModoGiorno << ba(SegnoGiorno) + "\r\n" << true;
    QTest::newRow("casuale su lungo") << ModoCasuale << ba(SegnoCasuale) + "\r\n" << true;
}

void TestModo::scrittura()
{
    QFETCH(Modo, modo);
    QFETCH(QByteArray, atteso);
    QFETCH(bool, esistente);
    QTemporaryDir dir;
    const QString percorso = dir.filePath("Option.dat");
    if (esistente)
        QVERIFY(scrivi(percorso, QByteArray(4096, 'x')));

    ScriviModo(percorso.toStdString(), modo);
    QCOMPARE(leggi(percorso), atteso);
    QCOMPARE(LeggiModo(percorso.toStdString()), std::optional(modo));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"Option.dat"});
}

void TestModo::segniDistinti()
{
    QCOMPARE(SegnoGiorno.size(), 12u);
    QCOMPARE(SegnoCasuale.size(), 14u);
    for (const auto s : {SegnoGiorno, SegnoCasuale}) {
        QVERIFY(s.find_first_of("\r\n") == std::string_view::npos);
        QVERIFY(std::count_if(s.begin(), s.end(), [](char c) { return (unsigned char)c > 127; }) >=
                3);
    }
}

// A full disk is simulated with a file-size limit of zero in a child process: every write
// then fails with EFBIG, which root cannot override.
void TestModo::discoPienoLasciaIlVecchioFile()
{
    QTemporaryDir dir;
    const QString percorso = dir.filePath("Option.dat");
    const QByteArray vecchio = ba(SegnoGiorno) + "\r\nseconda riga\r\n";
    QVERIFY(scrivi(percorso, vecchio));

    const pid_t figlio = fork();
    QVERIFY(figlio >= 0);
    if (figlio == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limite{0, 0};
        setrlimit(RLIMIT_FSIZE, &limite);
        try {
            ScriviModo(percorso.toStdString(), ModoCasuale);
        } catch (const ErroreFile &) {
            _exit(0);
        }
        _exit(1);
    }
    int stato = 0;
    QCOMPARE(waitpid(figlio, &stato, 0), figlio);
    QVERIFY(WIFEXITED(stato));
    QCOMPARE(WEXITSTATUS(stato), 0); // the failure reached the caller
    QCOMPARE(leggi(percorso), vecchio);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"Option.dat"});
}

void TestModo::destinazioneCartella()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("Option.dat/dentro"));
    const QString percorso = dir.filePath("Option.dat");
    QVERIFY_THROWS_EXCEPTION(ErroreFile, ScriviModoPredefinito(percorso.toStdString()));
    QVERIFY(QFileInfo(percorso + "/dentro").isDir());
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"Option.dat"});
}

QTEST_GUILESS_MAIN(TestModo)
#include "tst_modo.moc"
