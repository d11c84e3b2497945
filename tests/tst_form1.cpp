#include "app/avvia.h"
#include "app/casuale.h"
#include "app/messaggi.h"
#include "file/errorefile.h"
#include "laws/massime.h"
#include "ui/form1.h"
#include "ui/messaggi.h"
#include "utilita.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <sys/stat.h>
#include <unistd.h>

using namespace legge;

namespace {

// Qt's strings over the shared helpers.
std::filesystem::path percorsoDi(const QString &percorso)
{
    return QFile::encodeName(percorso).toStdString();
}

QByteArray contenuto(const QString &percorso)
{
    return QByteArray::fromStdString(prova::leggi(percorsoDi(percorso), "<manca>"));
}

bool scrivi(const QString &percorso, const QByteArray &dati)
{
    return prova::scrivi(percorsoDi(percorso), {dati.constData(), std::size_t(dati.size())});
}

// Windows-1252 text, stored complemented as the law file wants it.
bool scriviMassime(const QString &cartella, const QByteArray &testo)
{
    return scrivi(QDir(cartella).filePath("Massime.dat"),
                  QByteArray::fromStdString(prova::codifica(testo.toStdString())));
}

QByteArray segno(std::string_view s)
{
    return QByteArray::fromStdString(prova::segno(s));
}

// Keeps the warnings instead of opening a message box.
class Form1DiProva : public Form1 {
public:
    using Form1::Form1;
    QStringList avvisi;

protected:
    void avvisa(const QString &testo) override { avvisi << testo; }
};

QLabel *label1(const Form1 &f)
{
    return f.findChild<QLabel *>("Label1");
}

QLabel *image1(const Form1 &f)
{
    return f.findChild<QLabel *>("Image1");
}

} // namespace

class TestForm1 : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void finestraAllaCreazione();
    void menu_data();
    void menu();
    void primoPiano();
    void clic_data();
    void clic();
    void clicNonSalvabile();
    void mostraLegge_data();
    void mostraLegge();
    void titoloLetterale();
    void leggeNonTrovata();
    void fileLeggiIlleggibile();
    void altezzaSegueIlTesto();
    void avvioCompleto();
    void cartellaNonUtf8();
    void chiusuraTerminaIlCiclo();
    void mostrataSenzaX11();
    void tastiera();
    void messaggioErrore();

private:
    QTemporaryDir *m_dir = nullptr;
    QString m_prima;
};

void TestForm1::init()
{
    // The window takes its working directory from the current one when it is created.
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_prima = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void TestForm1::cleanup()
{
    QDir::setCurrent(m_prima);
    delete m_dir;
    m_dir = nullptr;
}

void TestForm1::finestraAllaCreazione()
{
    Form1 f(CartellaDiLavoro());
    QCOMPARE(f.windowTitle(), QStringLiteral("Una Legge al Giorno"));
    QCOMPARE(f.centralWidget()->size(), QSize(416, 247));
    QCOMPARE(f.minimumSize(), f.maximumSize());
    QVERIFY(f.windowFlags() & Qt::Tool);
    QVERIFY(!(f.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(f.windowIcon().availableSizes().value(0), QSize(32, 32));
    QCOMPARE(label1(f)->geometry(), QRect(8, 0, 401, 69));
    QCOMPARE(image1(f)->geometry(), QRect(0, 216, 417, 33));
    QVERIFY(label1(f)->text().isEmpty());
    QVERIFY(!label1(f)->autoFillBackground());
}

void TestForm1::menu_data()
{
    QTest::addColumn<int>("riga");
    QTest::addColumn<QString>("testo");
    QTest::addColumn<bool>("abilitata");
    QTest::addColumn<bool>("spuntata");

    QTest::newRow("Una Legge al Giorno") << 0 << "Una Legge al Giorno" << true << true;
    QTest::newRow("Legge Casuale") << 1 << "Legge Casuale" << true << false;
    QTest::newRow("trattini") << 2 << QString(25, u'-') << false << false;
    QTest::newRow("nota 1") << 3 << "Le modifiche avranno" << false << false;
    QTest::newRow("nota 2") << 4 << "effetto alla prossima" << false << false;
    QTest::newRow("nota 3") << 5 << "esecuzione." << false << false;
}

void TestForm1::menu()
{
    QFETCH(int, riga);
    QFETCH(QString, testo);
    QFETCH(bool, abilitata);
    QFETCH(bool, spuntata);

    Form1 f(CartellaDiLavoro());
    const QList<QAction *> menu = f.menuBar()->actions();
    QCOMPARE(menu.size(), 1);
    QCOMPARE(menu[0]->text(), QStringLiteral("Opzioni"));
    const QList<QAction *> voci = menu[0]->menu()->actions();
    QCOMPARE(voci.size(), 6);
    QAction *voce = voci[riga];
    QCOMPARE(voce->text(), testo);
    QCOMPARE(voce->isEnabled(), abilitata);
    QCOMPARE(voce->isChecked(), spuntata);
    QVERIFY(!voce->isSeparator());
}

void TestForm1::primoPiano()
{
    Form1 f(CartellaDiLavoro());
    const QRect prima = f.geometry();
    f.RendiInPrimoPiano();
    QVERIFY(f.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(f.windowFlags() & Qt::Tool);
    QCOMPARE(f.geometry(), prima);
}

void TestForm1::clic_data()
{
    QTest::addColumn<QByteArray>("opzioni");
    QTest::addColumn<Modo>("modo");
    QTest::addColumn<int>("voce");
    QTest::addColumn<QByteArray>("opzioniDopo");
    QTest::addColumn<Modo>("modoDopo");

    const QByteArray giorno = segno(SegnoGiorno);
    const QByteArray casuale = segno(SegnoCasuale);
    const QByteArray altro("qualcos'altro\r\n");
    QTest::newRow("giorno -> casuale") << giorno << ModoGiorno << 2 << casuale << ModoCasuale;
    QTest::newRow("casuale -> giorno") << casuale << ModoCasuale << 1 << giorno << ModoGiorno;
    QTest::newRow("voce già spuntata: giorno") << altro << ModoGiorno << 1 << altro << ModoGiorno;
    QTest::newRow("voce già spuntata: casuale")
        << altro << ModoCasuale << 2 << altro << ModoCasuale;
    QTest::newRow("senza Option.dat") << QByteArray() << ModoGiorno << 2 << casuale << ModoCasuale;
}

void TestForm1::clic()
{
    QFETCH(QByteArray, opzioni);
    QFETCH(Modo, modo);
    QFETCH(int, voce);
    QFETCH(QByteArray, opzioniDopo);
    QFETCH(Modo, modoDopo);

    const QString percorso = m_dir->filePath("Option.dat");
    if (!opzioni.isEmpty())
        QVERIFY(scrivi(percorso, opzioni));
    QVERIFY(scriviMassime(m_dir->path(), "/001 Prova\r\nTesto./"));
    Form1DiProva f(CartellaDiLavoro());
    f.ImpostaModo(modo);
    f.MostraLegge(1);
    const QString titolo = f.windowTitle();
    const QString testo = label1(f)->text();

    f.voceModo(voce)->trigger();

    QCOMPARE(contenuto(percorso), opzioniDopo);
    QCOMPARE(f.modo(), modoDopo);
    QCOMPARE(f.voceModo(1)->isChecked(), modoDopo == ModoGiorno);
    QCOMPARE(f.voceModo(2)->isChecked(), modoDopo == ModoCasuale);
    // The law on screen stays.
    QCOMPARE(f.windowTitle(), titolo);
    QCOMPARE(label1(f)->text(), testo);
    QVERIFY(f.avvisi.isEmpty());
}

void TestForm1::clicNonSalvabile()
{
    // Root can write anywhere, but not a file over a directory.
    QVERIFY(QDir(m_dir->path()).mkdir("Option.dat"));
    Form1DiProva f(CartellaDiLavoro());
    f.voceModo(2)->trigger();

    QCOMPARE(f.modo(), ModoGiorno);
    QVERIFY(f.voceModo(1)->isChecked());
    QVERIFY(!f.voceModo(2)->isChecked());
    QVERIFY(QFileInfo(m_dir->filePath("Option.dat")).isDir());
    QCOMPARE(f.avvisi.size(), 1);
    QVERIFY2(f.avvisi[0].contains(QDir(m_dir->path()).filePath("Option.dat")),
             qPrintable(f.avvisi[0]));
}

void TestForm1::mostraLegge_data()
{
    QTest::addColumn<QByteArray>("massime"); // Windows-1252
    QTest::addColumn<QString>("titolo");
    QTest::addColumn<QString>("testo");

    QTest::newRow("con titolo") << QByteArray("/007 Prova\r\nUna riga.\r\nDue righe./") << "  Prova"
                                << "\nUna riga.\nDue righe.";
    QTest::newRow("senza titolo") << QByteArray("/007 solo testo senza a capo/")
                                  << "Una Legge al Giorno"
                                  << "007 solo testo senza a capo";
    QTest::newRow("accenti") << QByteArray("/007 Perch\xe9 \x80\r\nCos\xec \x93va\x94./")
                             << QString::fromUtf8("  Perché €")
                             << QString::fromUtf8("\nCosì “va”.");
    QTest::newRow("testo che sembra HTML")
        << QByteArray("/007 Tag <b>grassetto &amp;\r\n<img src=x> &lt;i&gt; <br>a & b/")
        << "  Tag <b>grassetto &amp;"
        << "\n<img src=x> &lt;i&gt; <br>a & b";
}

void TestForm1::mostraLegge()
{
    QFETCH(QByteArray, massime);
    QFETCH(QString, titolo);
    QFETCH(QString, testo);

    QVERIFY(scriviMassime(m_dir->path(), massime));
    Form1 f(CartellaDiLavoro());
    f.MostraLegge(7);

    QCOMPARE(f.windowTitle(), titolo);
    QLabel *label = label1(f);
    QCOMPARE(label->text(), testo);
    QCOMPARE(label->textFormat(), Qt::PlainText);
    QCOMPARE(label->height(), label->heightForWidth(401));
    QCOMPARE(label->width(), 401);
    // Outer height = label + 1150 twips; banner top = label bottom + 50 twips.
    QCOMPARE(f.height(), label->height() + 77);
    QCOMPARE(f.width(), 416);
    QCOMPARE(image1(f)->y(), label->height() + 3);
    QVERIFY(image1(f)->geometry().bottom() < f.centralWidget()->height());
    QCOMPARE(f.accessibleDescription(), testo);
}

void TestForm1::titoloLetterale()
{
    QVERIFY(scriviMassime(m_dir->path(), "/001 Modificato [*] davvero\r\nx/"));
    Form1 f(CartellaDiLavoro());
    f.MostraLegge(1);
    f.winId();
    QCOMPARE(f.windowHandle()->title(), QStringLiteral("  Modificato [*] davvero"));
}

void TestForm1::leggeNonTrovata()
{
    QVERIFY(scriviMassime(m_dir->path(), "/001 Prova\r\nx/"));
    Form1 f(CartellaDiLavoro());
    const QSize prima = f.size();
    const QPoint banner = image1(f)->pos();
    QVERIFY(f.sfondo().isNull());
    f.MostraLegge(2);
    QVERIFY(!f.sfondo().isNull());
    QCOMPARE(f.sfondo().size(), QSize(450, 450));
    QCOMPARE(image1(f)->pixmap().size(), QSize(450, 30));
    QCOMPARE(f.windowTitle(), QStringLiteral("Una Legge al Giorno"));
    QVERIFY(label1(f)->text().isEmpty());
    QCOMPARE(f.size(), prima);
    QCOMPARE(image1(f)->pos(), banner);
}

void TestForm1::fileLeggiIlleggibile()
{
    QVERIFY(QDir(m_dir->path()).mkdir("Massime.dat"));
    Form1 f(CartellaDiLavoro());
    QVERIFY_THROWS_EXCEPTION(ErroreFile, f.MostraLegge(1));
    QCOMPARE(f.windowTitle(), QStringLiteral("Una Legge al Giorno"));
}

void TestForm1::altezzaSegueIlTesto()
{
    const QByteArray lunga = "/001 Lunga\r\n" + QByteArray(30, 'x').append(' ').repeated(40) + "/";
    QVERIFY(scriviMassime(m_dir->path(), lunga + "002 Corta\r\nx/"));
    Form1 f(CartellaDiLavoro());
    const int creazione = f.height();
    f.MostraLegge(1);
    const int alta = f.height();
    QVERIFY(alta > creazione);
    f.MostraLegge(2);
    QVERIFY(f.height() < creazione);
    QCOMPARE(f.height(), label1(f)->height() + 77);
    QCOMPARE(f.width(), 416);
}

void TestForm1::avvioCompleto()
{
    // The start-up on the real window, in an empty directory: a first run.
    prova::OrologioFermo orologio; // 3 May 2023
    orologio.secondi = 60.f;
    GeneratoreCasuale casuale;
    Form1 f(CartellaDiLavoro());
    Form_Load(f, CartellaDiLavoro(), orologio, casuale);
    QCOMPARE(f.numeroGiorno(), std::optional(123));
    QVERIFY(f.windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(contenuto(m_dir->filePath("Option.dat")), segno(SegnoGiorno));
    QCOMPARE(contenuto(m_dir->filePath("Massime.dat")), QByteArray());
    QCOMPARE(f.windowTitle(), QStringLiteral("Una Legge al Giorno"));
}

// A directory name is bytes, and need not be UTF-8 (a Latin-1 name from an old disk or
// archive): the files are still looked up, and written, in that very directory.
void TestForm1::cartellaNonUtf8()
{
    const std::filesystem::path cartella =
        (QFile::encodeName(m_dir->path()) + "/citt\xE0").toStdString();
    QVERIFY(::mkdir(cartella.c_str(), 0755) == 0);
    // QTemporaryDir could not name it to remove it.
    const auto rimuovi = qScopeGuard([&] {
        QDir::setCurrent(m_prima);
        std::filesystem::remove_all(cartella);
    });
    QVERIFY(::chdir(cartella.c_str()) == 0);
    QVERIFY(prova::scrivi(cartella / "Massime.dat", prova::codifica("/001 Prova\r\nTesto./")));

    {
        Form1DiProva f(CartellaDiLavoro());
        f.MostraLegge(1);
        QCOMPARE(f.windowTitle(), QStringLiteral("  Prova"));
        f.Casuale_Click(2);
        QCOMPARE(f.avvisi, QStringList());
    }
    QCOMPARE(QByteArray::fromStdString(prova::leggi(cartella / "Option.dat", "<manca>")),
             segno(SegnoCasuale));
}

void TestForm1::chiusuraTerminaIlCiclo()
{
    Form1 f(CartellaDiLavoro());
    f.RendiInPrimoPiano();
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QTimer::singleShot(0, &f, &QWidget::close);
    // Should closing not end the loop, this ends it with a telling status.
    QTimer::singleShot(5000, &f, [] { QCoreApplication::exit(99); });
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(!f.isVisible());
}

// The task-bar state is X11's alone; elsewhere showing the window must stay silent, apart
// from the offscreen plugin's own notices about what it cannot do.
void TestForm1::mostrataSenzaX11()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral("^(?!This plugin does not support)")));
    Form1 f(CartellaDiLavoro());
    f.RendiInPrimoPiano();
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    f.hide();
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
}

void TestForm1::tastiera()
{
    QVERIFY(scriviMassime(m_dir->path(), "/001 Prova <b>\r\nTesto &amp;./"));
    Form1 f(CartellaDiLavoro());
    f.MostraLegge(1);
    f.show();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    QTest::keySequence(&f, QKeySequence::Copy);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Prova <b>\nTesto &amp;."));
    QTest::keyClick(&f, Qt::Key_Escape);
    QVERIFY(!f.isVisible());
}

void TestForm1::messaggioErrore()
{
    const ErroreFile errore(m_dir->filePath("Massime.dat").toStdString(), "Permesso negato");
    const QString testo = QString::fromStdString(TestoErrore(AvvioFallito, errore));
    QVERIFY(testo.contains(QDir(m_dir->path()).filePath("Massime.dat")));
    QVERIFY(testo.contains(QStringLiteral("Permesso negato")));

    QString mostrato;
    Qt::TextFormat formato = Qt::AutoText;
    QTimer::singleShot(0, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible()) {
                mostrato = box->text();
                formato = box->textFormat();
                box->accept();
            }
        }
    });
    MostraMessaggio(nullptr, QMessageBox::Critical, QStringLiteral("<b>x</b> & y"));
    QCOMPARE(mostrato, QStringLiteral("<b>x</b> & y"));
    QCOMPARE(formato, Qt::PlainText);
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
