// SPDX-License-Identifier: GPL-3.0-or-later
// The Qt window, for what only a real window shows: the menu's marks, the pictures at each scale,
// the height on a real screen and frame, the keys, the colours and the message boxes.
#include "finestra/avvia.h"
#include "finestra/casuale.h"
#include "finestra/testi.h"
#include "leggi/massime.h"
#include "qt/form1.h"
#include "qt/immagini.h"
#include "qt/messaggi.h"
#include "sistema/errorefile.h"
#include "supporto/finti.h"
#include "supporto/prova.h"

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
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
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

    void Avvisa(const std::string &testo) override { avvisi << QString::fromStdString(testo); }
};

QMenu *menuOpzioni(const Form1 &f)
{
    return f.menuBar()->actions().value(0)->menu();
}

// Item `indice` of the mode items, 1 for the first.
QAction *voceModo(const Form1 &f, int indice)
{
    return menuOpzioni(f)->actions().value(indice - 1);
}

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
    void clic();
    void menuSegueIlFile();
    void mostraLegge_data();
    void mostraLegge();
    void titoloLetterale();
    void leggeNonTrovata();
    void immaginiAlleScale_data();
    void immaginiAlleScale();
    void altezzaSegueIlTesto();
    void bannerFinoInFondo();
    void altezzaLimitataDalloSchermo_data();
    void altezzaLimitataDalloSchermo();
    void parolaPiuLungaDellaRiga_data();
    void parolaPiuLungaDellaRiga();
    void testoScuroConOgniTema_data();
    void testoScuroConOgniTema();
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
    QCOMPARE(f.findChild<QScrollArea *>("Scorrimento")->geometry(), QRect(8, 0, 401, 69));
    QCOMPARE(label1(f)->size(), QSize(401, 69));
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
    QCOMPARE(menu[0]->text(), QStringLiteral("&Opzioni"));
    QCOMPARE(QKeySequence::mnemonic(menu[0]->text()), QKeySequence(Qt::ALT | Qt::Key_O));
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

// Which mode a click stores, and when, is decided below the window (tst_finestra): here, the
// items reach it and their marks follow, while the law on screen stays.
void TestForm1::clic()
{
    const QString percorso = m_dir->filePath("Option.dat");
    QVERIFY(scrivi(percorso, segno(SegnoGiorno)));
    QVERIFY(scriviMassime(m_dir->path(), "/001 Prova\r\nTesto./"));
    Form1DiProva f(CartellaDiLavoro());
    f.finestra().MostraLegge(1);
    const QString testo = label1(f)->text();

    voceModo(f, 2)->trigger();
    QCOMPARE(contenuto(percorso), segno(SegnoCasuale));
    QVERIFY(!voceModo(f, 1)->isChecked());
    QVERIFY(voceModo(f, 2)->isChecked());
    QCOMPARE(f.windowTitle(), QStringLiteral("  Prova"));
    QCOMPARE(label1(f)->text(), testo);

    // A click on the checked item must not uncheck it.
    voceModo(f, 2)->trigger();
    QVERIFY(voceModo(f, 2)->isChecked());
    QVERIFY(f.avvisi.isEmpty());
}

// The marks follow the stored mode when the menu opens.
void TestForm1::menuSegueIlFile()
{
    QVERIFY(scrivi(m_dir->filePath("Option.dat"), segno(SegnoCasuale)));
    Form1 f(CartellaDiLavoro());
    emit menuOpzioni(f)->aboutToShow();
    QVERIFY(!voceModo(f, 1)->isChecked());
    QVERIFY(voceModo(f, 2)->isChecked());
}

void TestForm1::mostraLegge_data()
{
    QTest::addColumn<QByteArray>("massime"); // Windows-1252
    QTest::addColumn<QString>("titolo");
    QTest::addColumn<QString>("testo");

    QTest::newRow("con titolo") << QByteArray("/007 Prova\r\nUna riga.\r\nDue righe./") << "  Prova"
                                << "\nUna riga.\nDue righe.";
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
    f.finestra().MostraLegge(7);

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
    f.finestra().MostraLegge(1);
    f.winId();
    QCOMPARE(f.windowHandle()->title(), QStringLiteral("  Modificato [*] davvero"));
}

void TestForm1::leggeNonTrovata()
{
    QVERIFY(scriviMassime(m_dir->path(), "/001 Prova\r\nx/"));
    Form1 f(CartellaDiLavoro());
    const QSize prima = f.size();
    const QPoint banner = image1(f)->pos();
    const QImage senzaSfondo = f.centralWidget()->grab().toImage();
    f.finestra().MostraLegge(2);
    // The background is drawn from the first call on, law or no law.
    QVERIFY(f.centralWidget()->grab().toImage() != senzaSfondo);
    QCOMPARE(image1(f)->pixmap().deviceIndependentSize(), QSizeF(450, 30));
    QCOMPARE(f.windowTitle(), QStringLiteral("Una Legge al Giorno"));
    QVERIFY(label1(f)->text().isEmpty());
    QCOMPARE(f.size(), prima);
    QCOMPARE(image1(f)->pos(), banner);
}

void TestForm1::immaginiAlleScale_data()
{
    QTest::addColumn<qreal>("rapporto");
    QTest::addColumn<qreal>("scala"); // of the copy chosen

    QTest::newRow("100 %") << 1.0 << 1.0;
    QTest::newRow("125 %: la copia più nitida") << 1.25 << 1.5;
    QTest::newRow("150 %") << 1.5 << 1.5;
    QTest::newRow("175 %") << 1.75 << 2.0;
    QTest::newRow("200 %") << 2.0 << 2.0;
    QTest::newRow("300 %: la più grande") << 3.0 << 2.0;
}

// Every copy takes the same room in the layout, only with more pixels in it.
void TestForm1::immaginiAlleScale()
{
    QFETCH(qreal, rapporto);
    QFETCH(qreal, scala);

    const struct {
        const char *nome;
        QSize dimensione;
    } immagini[] = {{"sfondo", {450, 450}}, {"banner", {450, 30}}, {"icona", {32, 32}}};
    for (const auto &immagine : immagini) {
        const QPixmap p = ImmagineAllaScala(QString::fromLatin1(immagine.nome), rapporto);
        QVERIFY2(!p.isNull(), immagine.nome);
        QCOMPARE(p.devicePixelRatio(), scala);
        QCOMPARE(p.size(), immagine.dimensione * scala);
        QCOMPARE(p.deviceIndependentSize(), QSizeF(immagine.dimensione));
    }
    const QList<QSize> icone = IconaDelProgramma().availableSizes();
    for (const QSize lato : {QSize(32, 32), QSize(48, 48), QSize(64, 64)})
        QVERIFY(icone.contains(lato));
}

void TestForm1::altezzaSegueIlTesto()
{
    const QByteArray lunga = "/001 Lunga\r\n" + QByteArray(30, 'x').append(' ').repeated(40) + "/";
    QVERIFY(scriviMassime(m_dir->path(), lunga + "002 Corta\r\nx/"));
    Form1 f(CartellaDiLavoro());
    const int creazione = f.height();
    f.finestra().MostraLegge(1);
    const int alta = f.height();
    QVERIFY(alta > creazione);
    f.finestra().MostraLegge(2);
    QVERIFY(f.height() < creazione);
    QCOMPARE(f.height(), label1(f)->height() + 77);
    QCOMPARE(f.width(), 416);
}

// Where the frame leaves the client taller than the text and the banner need (no frame here;
// a thin one at 200 %), the banner's strip runs to the bottom edge; a screen narrower than the
// window (offscreen at 200 %: 400 pixels) takes the banner's width along with the window's.
void TestForm1::bannerFinoInFondo()
{
    QVERIFY(scriviMassime(m_dir->path(), "/001 Prova\r\nUna riga./"));
    Form1 f(CartellaDiLavoro());
    f.finestra().MostraLegge(1);
    f.Centra();
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    const int ristretta = 416 - f.width();
    QVERIFY(f.frameGeometry().width() <= f.screen()->availableGeometry().width());
    QLabel *banner = image1(f);
    QCOMPARE(banner->width(), 417 - ristretta);
    QCOMPARE(banner->y(), label1(f)->height() + 3);
    QCOMPARE(banner->geometry().bottom(), f.centralWidget()->height() - 1);
    QVERIFY(banner->height() > 33);

    // Blue across the strip, the picture's words at the top, down to the last row.
    const QImage area = f.centralWidget()->grab().toImage();
    const qreal scala = area.devicePixelRatio();
    const auto blu = [&](int x, int y) {
        const QColor c = area.pixelColor(int(x * scala), int(y * scala));
        return c.blue() > c.red() + 40;
    };
    QVERIFY(blu(2, banner->y() + 2));
    QVERIFY(blu(banner->width() - 3, banner->y() + 2));
    QVERIFY(blu(2, f.centralWidget()->height() - 1));
    QVERIFY(blu(banner->width() - 3, f.centralWidget()->height() - 1));
}

void TestForm1::altezzaLimitataDalloSchermo_data()
{
    QTest::addColumn<QByteArray>("corpo");

    QTest::newRow("molte righe") << QByteArray("riga di testo\r\n").repeated(200);
    QTest::newRow("un paragrafo lunghissimo") << QByteArray("parola ").repeated(3000);
}

// A law taller than the screen: the window stops at the screen's height and the text scrolls.
void TestForm1::altezzaLimitataDalloSchermo()
{
    QFETCH(QByteArray, corpo);

    QVERIFY(scriviMassime(m_dir->path(), "/001 Lunghissima\r\n" + corpo + "/"));
    Form1 f(CartellaDiLavoro());
    f.finestra().MostraLegge(1);
    f.Centra();
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    const QRect schermo = f.screen()->availableGeometry();
    QVERIFY2(f.height() <= schermo.height(), qPrintable(QString::number(f.height())));
    QVERIFY(f.height() > schermo.height() / 2);
    QVERIFY(schermo.contains(f.frameGeometry()));
    QCOMPARE(f.width(), 416);

    auto *scorrimento = f.findChild<QScrollArea *>("Scorrimento");
    QVERIFY(scorrimento);
    QLabel *label = label1(f);
    QVERIFY(scorrimento->verticalScrollBar()->maximum() > 0);
    QCOMPARE(scorrimento->verticalScrollBar()->maximum(),
             label->height() - scorrimento->viewport()->height());
    // The scroll bar takes its room from the text, not from beyond the window's edge.
    QCOMPARE(label->width(), scorrimento->viewport()->width());
    QVERIFY(scorrimento->geometry().right() < 416);
    QCOMPARE(label->height(), label->heightForWidth(label->width()));
    // The outer height is the label's plus 1150 twips (77 pixels), whatever frame the window got.
    QCOMPARE(f.frameGeometry().height(), scorrimento->height() + 77);
    QCOMPARE(image1(f)->y(), scorrimento->height() + 3);
    QVERIFY(image1(f)->geometry().bottom() < f.centralWidget()->height());

    // The keys that move through a long law.
    f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    QScrollBar *barra = scorrimento->verticalScrollBar();
    const std::pair<QKeyCombination, bool> tasti[] = {{Qt::Key_End, true},
                                                      {Qt::CTRL | Qt::Key_Home, false},
                                                      {Qt::CTRL | Qt::Key_End, true},
                                                      {Qt::Key_Home, false}};
    for (const auto &[tasto, allaFine] : tasti) {
        QTest::keyClick(&f, tasto.key(), tasto.keyboardModifiers());
        QCOMPARE(barra->value(), allaFine ? barra->maximum() : 0);
    }
}

void TestForm1::parolaPiuLungaDellaRiga_data()
{
    QTest::addColumn<QByteArray>("corpo");
    QTest::addColumn<bool>("parolaLunga");

    // '/' would end the law.
    QTest::newRow("indirizzo") << "www.esempio.it?pagina=" + QByteArray(150, 'x') << true;
    QTest::newRow("numero") << QByteArray(200, '7') << true;
    QTest::newRow("parole normali")
        << QByteArray("Chi va piano va sano e va lontano. ").repeated(8) << false;
}

void TestForm1::parolaPiuLungaDellaRiga()
{
    QFETCH(QByteArray, corpo);
    QFETCH(bool, parolaLunga);

    QVERIFY(scriviMassime(m_dir->path(), "/001 Prova\r\n" + corpo + "/"));
    Form1 f(CartellaDiLavoro());
    f.finestra().MostraLegge(1);
    QLabel *label = label1(f);
    const QFontMetrics fm(label->font());
    const QString testo = label->text();
    if (parolaLunga) {
        // Every character must find room: after the empty first line, the word takes as
        // many lines as it needs.
        const int righe = 1 + (fm.horizontalAdvance(testo.mid(1)) + 400) / 401;
        QVERIFY2(label->height() >= righe * fm.height(),
                 qPrintable(QStringLiteral("%1 < %2 righe").arg(label->height()).arg(righe)));
    } else {
        // Text of ordinary words wraps where it always did.
        QCOMPARE(label->height(),
                 fm.boundingRect(QRect(0, 0, 401, 10000), Qt::TextWordWrap, testo).height());
    }
}

void TestForm1::testoScuroConOgniTema_data()
{
    QTest::addColumn<bool>("scuro");
    QTest::newRow("tema chiaro") << false;
    QTest::newRow("tema scuro") << true;
}

// The background picture is pale on every desktop, so the text on it must stay dark.
void TestForm1::testoScuroConOgniTema()
{
    QFETCH(bool, scuro);

    const QPalette prima = QApplication::palette();
    const auto ripristina = qScopeGuard([&] { QApplication::setPalette(prima); });
    if (scuro) {
        QPalette tema;
        for (auto ruolo : {QPalette::Window, QPalette::Base, QPalette::Button})
            tema.setColor(ruolo, QColor(0x20, 0x20, 0x20));
        for (auto ruolo : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            tema.setColor(ruolo, QColor(0xf0, 0xf0, 0xf0));
        QApplication::setPalette(tema);
    }
    // Tall enough for the window to reach past the bottom of the background picture.
    QVERIFY(scriviMassime(
        m_dir->path(), "/001 Prova\r\n" + QByteArray("MMMMMMMMMMMMMMMM\r\n").repeated(44) + "/"));
    Form1 f(CartellaDiLavoro());
    f.finestra().MostraLegge(1);
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QVERIFY(f.centralWidget()->height() > 460);
    const QImage area = f.centralWidget()->grab().toImage();

    int piuScuro = 255;
    for (int y = 0; y < label1(f)->height(); y += 1)
        for (int x = 8; x < 409; ++x)
            piuScuro = std::min(piuScuro, qGray(area.pixel(x, y)));
    QVERIFY2(piuScuro < 80, qPrintable(QString::number(piuScuro)));
    // Next to the text, above and below the picture's lower edge.
    QVERIFY(qGray(area.pixel(412, 100)) > 200);
    QVERIFY(qGray(area.pixel(412, 455)) > 200);
}

void TestForm1::avvioCompleto()
{
    // The start-up on the real window, in an empty directory: a first run.
    prova::OrologioFermo orologio; // 3 May 2023
    orologio.secondi = 60.f;
    GeneratoreCasuale casuale;
    Form1 f(CartellaDiLavoro());
    Form_Load(f.finestra(), CartellaDiLavoro(), orologio, casuale);
    QCOMPARE(f.finestra().numeroGiorno(), std::optional(123));
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
        f.finestra().MostraLegge(1);
        QCOMPARE(f.windowTitle(), QStringLiteral("  Prova"));
        f.finestra().Casuale_Click(ModoCasuale);
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
    QVERIFY(scriviMassime(m_dir->path(), "/001 Prova <b>\r\nTesto &amp;./002 Seconda\r\nAltro./"));
    Form1 f(CartellaDiLavoro());
    f.finestra().MostraLegge(1);
    f.show();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    // Which law comes next is decided below the window (tst_finestra): here, the keys reach
    // it, and the screen reader hears the law that came.
    QTest::keyClick(&f, Qt::Key_Right);
    QCOMPARE(f.windowTitle(), QStringLiteral("  Seconda"));
    QCOMPARE(label1(f)->text(), QStringLiteral("\nAltro."));
    QCOMPARE(f.accessibleName(), QStringLiteral("Seconda"));
    QCOMPARE(f.frameGeometry().height(), label1(f)->height() + 77);
    QTest::keyClick(&f, Qt::Key_Left);
    QCOMPARE(f.windowTitle(), QStringLiteral("  Prova <b>"));
    QTest::keyClick(&f, Qt::Key_Right);
    QTest::keyClick(&f, Qt::Key_Home);
    QCOMPARE(f.windowTitle(), QStringLiteral("  Prova <b>"));
    QCOMPARE(f.accessibleDescription(), QStringLiteral("\nTesto &amp;."));
    QTest::keySequence(&f, QKeySequence::Copy);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Prova <b>\nTesto &amp;."));
    QTest::keyClick(&f, Qt::Key_F10);
    QTRY_VERIFY(f.findChild<QMenu *>("Opzioni")->isVisible());
    QTest::keyClick(f.findChild<QMenu *>("Opzioni"), Qt::Key_Escape);
    QTRY_VERIFY(!f.findChild<QMenu *>("Opzioni")->isVisible());
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
