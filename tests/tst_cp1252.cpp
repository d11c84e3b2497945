#include "laws/cp1252.h"

#include <QStringDecoder>
#include <QTest>

using namespace legge;

class TestCp1252 : public QObject {
    Q_OBJECT

private slots:
    void ogniByte();
    void andataERitorno();
    void nonRappresentabile_data();
    void nonRappresentabile();
};

// Qt on Debian decodes windows-1252 through ICU, which is the reference for the undefined
// bytes too: every single byte must come out the same.
void TestCp1252::ogniByte()
{
    QStringDecoder riferimento("windows-1252");
    QVERIFY(riferimento.isValid());
    for (int b = 0; b < 256; ++b) {
        const char byte = char(b);
        const QString atteso = riferimento.decode(QByteArray(1, byte));
        const std::string utf8 = Cp1252InUtf8(std::string_view(&byte, 1));
        QCOMPARE(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())), atteso);
        QCOMPARE(char32_t(atteso.at(0).unicode()), CarattereCp1252(static_cast<unsigned char>(b)));
    }
}

void TestCp1252::andataERitorno()
{
    std::string tutti;
    for (int b = 0; b < 256; ++b)
        tutti += char(b);
    const auto ritorno = Utf8InCp1252(Cp1252InUtf8(tutti));
    QVERIFY(ritorno.riuscita);
    QVERIFY(ritorno.testo == tutti);
}

void TestCp1252::nonRappresentabile_data()
{
    QTest::addColumn<QString>("testo");
    QTest::addColumn<int>("riga");
    QTest::addColumn<int>("colonna");
    QTest::addColumn<int>("posizione");
    QTest::newRow("freccia") << QString("abc\nè→") << 2 << 2 << 6;
    QTest::newRow("emoji") << QString("ok\n\n  \U0001F600") << 3 << 3 << 6;
    QTest::newRow("C1 definito in cp1252") << QString("x\u0080") << 1 << 2 << 1;
}

void TestCp1252::nonRappresentabile()
{
    QFETCH(QString, testo);
    QFETCH(int, riga);
    QFETCH(int, colonna);
    QFETCH(int, posizione);
    const QByteArray utf8 = testo.toUtf8();
    const auto esito = Utf8InCp1252(std::string_view(utf8.constData(), std::size_t(utf8.size())));
    QVERIFY(!esito.riuscita);
    QCOMPARE(int(esito.riga), riga);
    QCOMPARE(int(esito.colonna), colonna);
    QCOMPARE(int(esito.posizione), posizione);
    QVERIFY(esito.testo.empty());
}

QTEST_GUILESS_MAIN(TestCp1252)
#include "tst_cp1252.moc"
