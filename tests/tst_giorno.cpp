#include "laws/giorno.h"

#include <QDate>
#include <QTest>

#include <stdexcept>

using namespace legge;

class TestGiorno : public QObject {
    Q_OBJECT

private slots:
    void numero_data();
    void numero();
    void ogniGiornoDellAnno_data();
    void ogniGiornoDellAnno();
    void meseNonValido();
};

void TestGiorno::numero_data()
{
    QTest::addColumn<int>("anno");
    QTest::addColumn<int>("mese");
    QTest::addColumn<int>("giorno");
    QTest::addColumn<int>("atteso");

    QTest::newRow("capodanno") << 2023 << 1 << 1 << 1;
    QTest::newRow("31 dicembre, anno comune") << 2023 << 12 << 31 << 365;
    QTest::newRow("28 febbraio, anno comune") << 2023 << 2 << 28 << 59;
    QTest::newRow("28 febbraio, bisestile") << 2024 << 2 << 28 << 59;
    QTest::newRow("29 febbraio") << 2024 << 2 << 29 << 500;
    QTest::newRow("1 marzo, bisestile") << 2024 << 3 << 1 << 61;
    QTest::newRow("1 marzo, anno comune") << 2023 << 3 << 1 << 60;
    QTest::newRow("31 dicembre, bisestile") << 2024 << 12 << 31 << 366;
    QTest::newRow("3 maggio, anno comune") << 2023 << 5 << 3 << 123;
    QTest::newRow("1900 non bisestile") << 1900 << 3 << 1 << 60;
    QTest::newRow("2000 bisestile") << 2000 << 2 << 29 << 500;
    QTest::newRow("2100 non bisestile") << 2100 << 12 << 31 << 365;
}

void TestGiorno::numero()
{
    QFETCH(int, anno);
    QFETCH(int, mese);
    QFETCH(int, giorno);
    QFETCH(int, atteso);
    QCOMPARE(NumeroDelGiorno({anno, mese, giorno}), atteso);
}

void TestGiorno::ogniGiornoDellAnno_data()
{
    QTest::addColumn<int>("anno");
    QTest::newRow("comune") << 2023;
    QTest::newRow("bisestile") << 2024;
}

// Walks the calendar with an independent date type: every day of the year gets the next
// number, except that 29 February is 500 and 1 March goes on from 61.
void TestGiorno::ogniGiornoDellAnno()
{
    QFETCH(int, anno);
    const auto mesi = Mesi(anno);
    for (int mese = 1; mese <= 12; ++mese)
        QCOMPARE(mesi[mese], QDate(anno, mese, 1).daysInMonth());

    int numeri = 0;
    for (QDate d(anno, 1, 1); d.year() == anno; d = d.addDays(1), ++numeri) {
        const int atteso = (d.month() == 2 && d.day() == 29) ? 500 : d.dayOfYear();
        QCOMPARE(NumeroDelGiorno({anno, d.month(), d.day()}), atteso);
    }
    QCOMPARE(numeri, QDate::isLeapYear(anno) ? 366 : 365);
}

void TestGiorno::meseNonValido()
{
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, NumeroDelGiorno({2023, 13, 1}));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, NumeroDelGiorno({2023, 0, 1}));
}

QTEST_GUILESS_MAIN(TestGiorno)
#include "tst_giorno.moc"
