#include "laws/errorefile.h"
#include "laws/massime.h"
#include "utilita.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace legge;
using namespace prova;

namespace {

QString scriviMassime(const QTemporaryDir &dir, const QByteArray &testo)
{
    const QString percorso = dir.filePath("Massime.dat");
    QFile f(percorso);
    if (!f.open(QIODevice::WriteOnly) || f.write(codifica(testo)) != testo.size())
        return {};
    return percorso;
}

// Collects every record, to check what the scan hands over.
class Raccoglitore : public VisitatoreMassime {
public:
    bool vuoiTesto(std::string_view) override { return true; }
    bool record(const Record &r) override
    {
        posizioni.append(qint64(r.posizione));
        testi.append(ba(r.testo));
        return true;
    }
    void coda(std::uint64_t posizione, std::uint64_t lunghezza) override
    {
        posizioneCoda = qint64(posizione);
        lunghezzaCoda = qint64(lunghezza);
    }
    QList<qint64> posizioni;
    QList<QByteArray> testi;
    qint64 posizioneCoda = -1;
    qint64 lunghezzaCoda = -1;
};

} // namespace

class TestMassime : public QObject {
    Q_OBJECT

private slots:
    void esempio_data();
    void esempio();
    void ricerca_data();
    void ricerca();
    void valoreNumero_data();
    void valoreNumero();
    void fileMancanteCreato();
    void fileMancanteSenzaCreare();
    void cartellaAlPostoDelFile();
    void confiniDiBlocco_data();
    void confiniDiBlocco();
    void percorso();
};

void TestMassime::esempio_data()
{
    QTest::addColumn<int>("numero");
    QTest::addColumn<bool>("trovata");
    QTest::addColumn<QByteArray>("titolo");
    QTest::addColumn<QByteArray>("corpo");
    QTest::newRow("prima") << 1 << true << QByteArray("Legge di prova")
                           << QByteArray("\nTesto della legge.");
    QTest::newRow("seconda") << 2 << true << QByteArray("Seconda") << QByteArray("\nAltro testo.");
    QTest::newRow("assente") << 3 << false << QByteArray() << QByteArray();
}

void TestMassime::esempio()
{
    QFETCH(int, numero);
    QFETCH(bool, trovata);
    QFETCH(QByteArray, titolo);
    QFETCH(QByteArray, corpo);
    const QString file = QFINDTESTDATA("data/massime/esempio.dat");
    QVERIFY(!file.isEmpty());
    const Legge legge = CercaLegge(file.toStdString(), numero, SeManca::Errore);
    QCOMPARE(legge.trovata, trovata);
    QCOMPARE(ba(legge.titolo.value_or("")), titolo);
    QCOMPARE(ba(legge.corpo), corpo);
}

void TestMassime::ricerca_data()
{
    QTest::addColumn<QByteArray>("testo");
    QTest::addColumn<int>("numero");
    QTest::addColumn<bool>("trovata");
    QTest::addColumn<bool>("conTitolo");
    QTest::addColumn<QByteArray>("titolo");
    QTest::addColumn<QByteArray>("corpo");

    QTest::newRow("file vuoto") << QByteArray() << 1 << false << false << QByteArray()
                                << QByteArray();
    QTest::newRow("nessuna barra")
        << QByteArray("001 Legge\ntesto") << 1 << false << false << QByteArray() << QByteArray();
    QTest::newRow("CR LF") << QByteArray("/007 Titolo\r\nRiga uno\r\nRiga due/") << 7 << true
                           << true << QByteArray("Titolo") << QByteArray("\nRiga uno\nRiga due");
    QTest::newRow("LF") << QByteArray("/007 Titolo\nRiga uno\nRiga due/") << 7 << true << true
                        << QByteArray("Titolo") << QByteArray("\nRiga uno\nRiga due");
    QTest::newRow("spazi nel numero") << QByteArray("/  7 Sette\nx/") << 7 << true << true
                                      << QByteArray("Sette") << QByteArray("\nx");
    QTest::newRow("tab e LF nel numero") << QByteArray("/\t\n7Sette\nx/") << 7 << true << true
                                         << QByteArray("Sette") << QByteArray("\nx");
    QTest::newRow("CR nel numero non conta") << QByteArray("/\r007 Sette\nx/") << 7 << true << true
                                             << QByteArray("Sette") << QByteArray("\nx");
    QTest::newRow("segno più") << QByteArray("/+07 Sette\nx/") << 7 << true << true
                               << QByteArray("Sette") << QByteArray("\nx");
    QTest::newRow("segno meno") << QByteArray("/-07 Sette\nx/") << 7 << false << false
                                << QByteArray() << QByteArray();
    QTest::newRow("decimale intero") << QByteArray("/7.0Sette\nx/") << 7 << true << true
                                     << QByteArray("Sette") << QByteArray("\nx");
    QTest::newRow("lettere valgono zero")
        << QByteArray("/abc Legge\nx/") << 1 << false << false << QByteArray() << QByteArray();
    QTest::newRow("doppione: vince il primo")
        << QByteArray("/005 Primo\na/005 Secondo\nb/") << 5 << true << true << QByteArray("Primo")
        << QByteArray("\na");
    QTest::newRow("ultimo senza barra") << QByteArray("/001 Uno\na/002 Due\nb") << 2 << false
                                        << false << QByteArray() << QByteArray();
    QTest::newRow("testo prima della prima barra")
        << QByteArray("003 Finto\nx/004 Vero\ny/") << 3 << false << false << QByteArray()
        << QByteArray();
    QTest::newRow("senza a capo") << QByteArray("/009Legge senza a capo/") << 9 << true << false
                                  << QByteArray() << QByteArray("Legge senza a capo");
    QTest::newRow("maiuscola al sesto posto") << QByteArray("/010  Xy\nz/") << 10 << true << true
                                              << QByteArray("Xy") << QByteArray("\nz");
    QTest::newRow("nessuna maiuscola nei primi sei")
        << QByteArray("/011 \xC8 bello\ntesto/") << 11 << true << true
        << QByteArray("011 \xC8 bello") << QByteArray("\ntesto");
    QTest::newRow("record corto senza maiuscola")
        << QByteArray("/5/") << 5 << true << false << QByteArray() << QByteArray("5");
    QTest::newRow("record corto con a capo")
        << QByteArray("/12\n/") << 12 << true << true << QByteArray("12") << QByteArray("\n");
    QTest::newRow("maiuscola dopo il sesto posto")
        << QByteArray("/013 \nsolo Corpo/") << 13 << true << true << QByteArray("013 ")
        << QByteArray("\nsolo Corpo");
    QTest::newRow("ventinove febbraio") << QByteArray("/060 No\nx/500 Bisesto\ny/") << 500 << true
                                        << true << QByteArray("Bisesto") << QByteArray("\ny");
}

void TestMassime::ricerca()
{
    QFETCH(QByteArray, testo);
    QFETCH(int, numero);
    QFETCH(bool, trovata);
    QFETCH(bool, conTitolo);
    QFETCH(QByteArray, titolo);
    QFETCH(QByteArray, corpo);
    QTemporaryDir dir;
    const QString file = scriviMassime(dir, testo);
    QVERIFY(!file.isEmpty());

    const Legge legge = CercaLegge(file.toStdString(), numero);
    QCOMPARE(legge.trovata, trovata);
    QCOMPARE(legge.titolo.has_value(), conTitolo);
    QCOMPARE(ba(legge.titolo.value_or("")), titolo);
    QCOMPARE(ba(legge.corpo), corpo);
}

void TestMassime::valoreNumero_data()
{
    QTest::addColumn<QByteArray>("campo");
    QTest::addColumn<double>("valore");
    QTest::newRow("cifre") << QByteArray("123") << 123.0;
    QTest::newRow("zeri iniziali") << QByteArray("007") << 7.0;
    QTest::newRow("più corto") << QByteArray("5") << 5.0;
    QTest::newRow("vuoto") << QByteArray() << 0.0;
    QTest::newRow("lettere") << QByteArray("abc") << 0.0;
    QTest::newRow("cifra poi lettera") << QByteArray("1a2") << 1.0;
    QTest::newRow("negativo") << QByteArray("-12") << -12.0;
    QTest::newRow("solo segno") << QByteArray("-") << 0.0;
    QTest::newRow("decimale") << QByteArray("1.5") << 1.5;
    QTest::newRow("punto iniziale") << QByteArray(".5") << 0.5;
    QTest::newRow("spazio in mezzo") << QByteArray("1 2") << 12.0;
}

void TestMassime::valoreNumero()
{
    QFETCH(QByteArray, campo);
    QFETCH(double, valore);
    QCOMPARE(ValoreNumero(std::string_view(campo.constData(), std::size_t(campo.size()))), valore);
}

void TestMassime::fileMancanteCreato()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Massime.dat");
    QVERIFY(!CercaLegge(file.toStdString(), 1).trovata);
    QVERIFY(QFileInfo(file).isFile());
    QCOMPARE(QFileInfo(file).size(), 0);
}

void TestMassime::fileMancanteSenzaCreare()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Massime.dat");
    try {
        CercaLegge(file.toStdString(), 1, SeManca::Errore);
        QFAIL("nessun errore");
    } catch (const ErroreFile &e) {
        QCOMPARE(QString::fromStdString(e.percorso().string()), file);
    }
    QVERIFY(!QFileInfo::exists(file));
}

void TestMassime::cartellaAlPostoDelFile()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("Massime.dat"));
    QVERIFY_THROWS_EXCEPTION(ErroreFile, CercaLegge(dir.filePath("Massime.dat").toStdString(), 1));
}

void TestMassime::confiniDiBlocco_data()
{
    QTest::addColumn<int>("prima");
    // The scan reads in blocks of 256 KiB: put the separator, the number field and the
    // body across the boundary in every way.
    const int blocco = 256 * 1024;
    for (int d = -4; d <= 2; ++d)
        QTest::newRow(qPrintable(QStringLiteral("barra a %1").arg(d))) << blocco + d;
}

void TestMassime::confiniDiBlocco()
{
    QFETCH(int, prima);
    QByteArray testo(prima - 1, 'x');
    testo += "/123 Titolo\r\n" + QByteArray(3 * 256 * 1024, 'c') + "/124 Dopo\nd/";
    QTemporaryDir dir;
    const QString file = scriviMassime(dir, testo);
    const Legge legge = CercaLegge(file.toStdString(), 123);
    QVERIFY(legge.trovata);
    QCOMPARE(ba(*legge.titolo), QByteArray("Titolo"));
    QCOMPARE(legge.corpo.size(), 1u + 3 * 256 * 1024);
    QCOMPARE(ba(*CercaLegge(file.toStdString(), 124).titolo), QByteArray("Dopo"));
}

void TestMassime::percorso()
{
    QTemporaryDir dir;
    const QString file = scriviMassime(dir, "xy/001 A\r\nb/002/003 coda");
    Raccoglitore r;
    PercorriMassime(file.toStdString(), r);
    QCOMPARE(r.posizioni, (QList<qint64>{3, 12}));
    QCOMPARE(r.testi, (QList<QByteArray>{"001 A\nb", "002"}));
    QCOMPARE(r.posizioneCoda, 16);
    QCOMPARE(r.lunghezzaCoda, 8);
}

QTEST_GUILESS_MAIN(TestMassime)
#include "tst_massime.moc"
