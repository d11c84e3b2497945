#include "app/casuale.h"
#include "app/formload.h"
#include "laws/errorefile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <set>

using namespace legge;

namespace {

QByteArray segno(std::string_view s)
{
    return QByteArray(s.data(), qsizetype(s.size())) + "\r\n";
}

QByteArray contenuto(const QString &percorso)
{
    QFile f(percorso);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<manca>");
}

// Records what the start-up asks of the window; MostraLegge fails as many times as told.
class FinestraFinta : public FinestraAvvio {
public:
    explicit FinestraFinta(std::filesystem::path cartella) : m_cartella(std::move(cartella)) {}
    void RendiInPrimoPiano() override
    {
        primoPiano++;
        eventi << "primo piano";
    }
    Modo modo() const override { return m_modo; }
    void ImpostaModo(Modo modo) override { m_modo = modo; }
    void MostraLegge(int numeroGiorno) override
    {
        numeri << numeroGiorno;
        eventi << "mostra";
        if (fallimenti > 0) {
            fallimenti--;
            throw ErroreFile(m_cartella / "Massime.dat", "guasto di prova");
        }
    }

    int primoPiano = 0;
    int fallimenti = 0;
    QList<int> numeri;
    QStringList eventi;

private:
    std::filesystem::path m_cartella;
    Modo m_modo = ModoGiorno;
};

class OrologioFermo : public Orologio {
public:
    Data data{2023, 5, 3};
    float secondi = 3723.f; // 01:02:03
    Data oggi() const override { return data; }
    float secondiDallaMezzanotte() const override { return secondi; }
};

// Hands out the given draws in turn and keeps the seeds.
class CasualeFinto : public SorgenteCasuale {
public:
    QList<float> estrazioni;
    QList<float> semi;
    int estratte = 0;
    void semina(float seme) override { semi << seme; }
    float estrai() override { return estrazioni.value(estratte++, 0.f); }
};

} // namespace

class TestFormLoad : public QObject {
    Q_OBJECT

private slots:
    void percorsi_data();
    void percorsi();
    void ventinoveFebbraio();
    void secondoPassaggioFallito();
    void opzioniIllegibiliEInscrivibili();
    void numeroCasuale_data();
    void numeroCasuale();
    void generatore();
};

void TestFormLoad::percorsi_data()
{
    QTest::addColumn<QByteArray>("opzioni"); // "<manca>": no file
    QTest::addColumn<int>("fallimenti");     // of MostraLegge
    QTest::addColumn<QByteArray>("opzioniDopo");
    QTest::addColumn<Modo>("modoDopo");
    QTest::addColumn<QList<int>>("numeri");
    QTest::addColumn<int>("estratte");

    const QByteArray giorno = segno(SegnoGiorno);
    const QByteArray casuale = segno(SegnoCasuale);
    // 3 May 2023 is day 123; the draws are 0.5 (number 183) and then 0.25 (number 92).
    QTest::newRow("prima esecuzione")
        << QByteArray("<manca>") << 0 << giorno << ModoGiorno << QList<int>{123} << 0;
    QTest::newRow("Option.dat vuoto")
        << QByteArray() << 0 << giorno << ModoGiorno << QList<int>{123} << 0;
    QTest::newRow("modo giorno") << giorno << 0 << giorno << ModoGiorno << QList<int>{123} << 0;
    QTest::newRow("riga sconosciuta lasciata com'è")
        << QByteArray("qualcos'altro\r\n") << 0 << QByteArray("qualcos'altro\r\n") << ModoGiorno
        << QList<int>{123} << 0;
    QTest::newRow("modo casuale") << casuale << 0 << casuale << ModoCasuale << QList<int>{183} << 1;
    QTest::newRow("legge illeggibile, modo giorno")
        << giorno << 1 << giorno << ModoGiorno << QList<int>{123, 123} << 0;
    QTest::newRow("legge illeggibile, modo casuale: nuova estrazione")
        << casuale << 1 << giorno << ModoCasuale << QList<int>{183, 92} << 2;
    QTest::newRow("riga sconosciuta e legge illeggibile")
        << QByteArray("qualcos'altro") << 1 << giorno << ModoGiorno << QList<int>{123, 123} << 0;
}

void TestFormLoad::percorsi()
{
    QFETCH(QByteArray, opzioni);
    QFETCH(int, fallimenti);
    QFETCH(QByteArray, opzioniDopo);
    QFETCH(Modo, modoDopo);
    QFETCH(QList<int>, numeri);
    QFETCH(int, estratte);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString percorso = dir.filePath("Option.dat");
    if (opzioni != "<manca>") {
        QFile f(percorso);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(opzioni);
    }
    FinestraFinta finestra(dir.path().toStdString());
    finestra.fallimenti = fallimenti;
    OrologioFermo orologio;
    CasualeFinto casuale;
    casuale.estrazioni = {0.5f, 0.25f};

    Form_Load(finestra, dir.path().toStdString(), orologio, casuale);

    QCOMPARE(contenuto(percorso), opzioniDopo);
    QCOMPARE(finestra.modo(), modoDopo);
    QCOMPARE(finestra.numeri, numeri);
    QCOMPARE(casuale.estratte, estratte);
    // Topmost once, before anything else; seeded on every pass, whatever the mode.
    QCOMPARE(finestra.eventi.value(0), QStringLiteral("primo piano"));
    QCOMPARE(finestra.primoPiano, 1);
    QCOMPARE(casuale.semi, QList<float>(numeri.size(), -3723.f));
}

void TestFormLoad::ventinoveFebbraio()
{
    QTemporaryDir dir;
    FinestraFinta finestra(dir.path().toStdString());
    OrologioFermo orologio;
    orologio.data = {2024, 2, 29};
    orologio.secondi = 0.f;
    CasualeFinto casuale;
    Form_Load(finestra, dir.path().toStdString(), orologio, casuale);
    QCOMPARE(finestra.numeri, QList<int>{500});
    QCOMPARE(casuale.semi.value(0), -0.f);
}

void TestFormLoad::secondoPassaggioFallito()
{
    QTemporaryDir dir;
    {
        QFile f(dir.filePath("Option.dat"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(segno(SegnoCasuale));
    }
    FinestraFinta finestra(dir.path().toStdString());
    finestra.fallimenti = 2;
    OrologioFermo orologio;
    CasualeFinto casuale;
    try {
        Form_Load(finestra, dir.path().toStdString(), orologio, casuale);
        QFAIL("nessun errore");
    } catch (const ErroreFile &errore) {
        QCOMPARE(QString::fromStdString(errore.percorso().string()),
                 QDir(dir.path()).filePath("Massime.dat"));
    }
    QCOMPARE(finestra.numeri.size(), 2);
    QCOMPARE(contenuto(dir.filePath("Option.dat")), segno(SegnoGiorno));
}

void TestFormLoad::opzioniIllegibiliEInscrivibili()
{
    // A directory named Option.dat can be neither read nor replaced, even by root: the
    // recovery's own write fails and that failure reaches the caller.
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("Option.dat"));
    FinestraFinta finestra(dir.path().toStdString());
    OrologioFermo orologio;
    CasualeFinto casuale;
    QVERIFY_THROWS_EXCEPTION(ErroreFile,
                             Form_Load(finestra, dir.path().toStdString(), orologio, casuale));
    QVERIFY(finestra.numeri.isEmpty());
}

void TestFormLoad::numeroCasuale_data()
{
    QTest::addColumn<float>("r");
    QTest::addColumn<int>("numero");
    QTest::newRow("zero") << 0.f << 1;
    QTest::newRow("metà") << 0.5f << 183;
    QTest::newRow("appena sotto 1/365") << std::nextafter(1.f / 365.f, 0.f) << 1;
    QTest::newRow("il più grande sotto 1") << std::nextafter(1.f, 0.f) << 365;
}

void TestFormLoad::numeroCasuale()
{
    QFETCH(float, r);
    QFETCH(int, numero);
    QCOMPARE(NumeroCasuale(r), numero);
}

void TestFormLoad::generatore()
{
    GeneratoreCasuale a, b;
    a.semina(-3723.f);
    b.semina(-3723.f);
    std::set<int> numeri;
    for (int i = 0; i < 20000; ++i) {
        const float r = a.estrai();
        QCOMPARE(b.estrai(), r);
        QVERIFY(r >= 0.f && r < 1.f);
        numeri.insert(NumeroCasuale(r));
    }
    // Every law can come up.
    QCOMPARE(numeri.size(), std::size_t(365));

    // A different second of the day gives a different law sequence.
    b.semina(-3724.f);
    a.semina(-3723.f);
    QVERIFY(a.estrai() != b.estrai());
}

QTEST_GUILESS_MAIN(TestFormLoad)
#include "tst_formload.moc"
