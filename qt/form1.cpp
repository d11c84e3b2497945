// SPDX-License-Identifier: GPL-3.0-or-later
// The Qt window built to the shared layout: twips turned into pixels, the window manager's frame
// taken into account, the keys and the menu wired to the shared behaviour.
#include "qt/form1.h"

#include "finestra/disposizione.h"
#include "finestra/testi.h"
#include "qt/etichetta.h"
#include "qt/fuoridallabarra.h"
#include "qt/immagini.h"
#include "qt/messaggi.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QShowEvent>
#include <QStyle>

#include <algorithm>
#include <functional>
#include <utility>

namespace legge {

namespace {

const QString Bitmap101 = QStringLiteral("sfondo");
const QString Bitmap102 = QStringLiteral("banner");

// The background picture is always pale, whatever the desktop's theme: the text on it keeps
// the colour it has on a light desktop, and so does the window where the picture ends.
const QColor TestoScuro(Qt::black);
const QColor FondoChiaro(0xf0, 0xf0, 0xf0);

QString Testo(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

// "[*]" in a window title is Qt's placeholder for the modified mark and would vanish;
// doubled, it is shown as written.
QString TitoloLetterale(QString titolo)
{
    return titolo.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
}

} // namespace

// The client area: the background picture at its own size, clipped, never stretched.
class Form1::Area : public QWidget {
public:
    explicit Area(Form1 *finestra) : QWidget(finestra), m_finestra(finestra) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (m_finestra->m_sfondo.isNull())
            return;
        QPainter p(this);
        p.fillRect(rect(), FondoChiaro);
        p.drawPixmap(0, 0, m_finestra->m_sfondo);
    }

private:
    Form1 *m_finestra;
};

// The banner: its picture across the whole width, as tall as its proportions make it, and
// its last row drawn on down to the window's bottom edge, where a thin frame leaves room.
class Form1::Striscia : public QLabel {
public:
    using QLabel::QLabel;

    // 0 fills the whole strip with the picture.
    void ImpostaAltezzaImmagine(int altezza)
    {
        m_altezzaImmagine = altezza;
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const QPixmap immagine = pixmap();
        if (immagine.isNull())
            return;
        QPainter p(this);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        const int alta = m_altezzaImmagine > 0 ? std::min(m_altezzaImmagine, height()) : height();
        p.drawPixmap(QRect(0, 0, width(), alta), immagine);
        if (alta < height())
            p.drawPixmap(QRect(0, alta, width(), height() - alta), immagine,
                         QRect(0, immagine.height() - 1, immagine.width(), 1));
    }

private:
    int m_altezzaImmagine = 0;
};

Form1::Form1(std::filesystem::path cartella, QWidget *parent)
    : QMainWindow(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_finestra(*this, std::move(cartella))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(Testo(TitoloMessaggi));
    setWindowIcon(IconaDelProgramma());

    auto *opzioni = menuBar()->addMenu(Testo(MenuOpzioni));
    opzioni->setObjectName(QStringLiteral("Opzioni"));
    // The height rule counts the menu bar as part of the window, so it must stay here
    // rather than move to a desktop-wide menu.
    menuBar()->setNativeMenuBar(false);
    for (std::size_t i = 0; i < TabellaModi.size(); ++i) {
        QAction *voce = opzioni->addAction(Testo(TabellaModi[i].etichetta));
        voce->setCheckable(true);
        const Modo modo = TabellaModi[i].modo;
        connect(voce, &QAction::triggered, this, [this, modo] { m_finestra.Casuale_Click(modo); });
        m_voci[i] = voce;
    }
    for (const std::string_view nota : NotaMenu)
        opzioni->addAction(Testo(nota))->setEnabled(false);
    MostraModo(m_finestra.modo());
    connect(opzioni, &QMenu::aboutToShow, this, [this] { m_finestra.ApriMenu(); });

    m_area = new Area(this);
    setCentralWidget(m_area);

    // A law taller than the screen scrolls here, while the window stays on the screen.
    m_scorrimento = new QScrollArea(m_area);
    m_scorrimento->setObjectName(QStringLiteral("Scorrimento"));
    m_scorrimento->setFrameShape(QFrame::NoFrame);
    m_scorrimento->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scorrimento->viewport()->setAutoFillBackground(false);
    m_scorrimento->setGeometry(Pixel(Label1Sinistra), 0, Pixel(Label1Larghezza),
                               Pixel(Label1Altezza));
    m_label1 = new Etichetta;
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->resize(m_scorrimento->size());
    m_scorrimento->setWidget(m_label1);
    m_label1->setAutoFillBackground(false);
    QPalette colori = m_label1->palette();
    colori.setColor(QPalette::WindowText, TestoScuro);
    m_label1->setPalette(colori);

    m_image1 = new Striscia(m_area);
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setGeometry(0, Pixel(Image1Alto), Pixel(Image1Larghezza), Pixel(Image1Altezza));

    setFixedSize(LarghezzaArea, menuBar()->sizeHint().height() + AltezzaArea);
    layout()->activate();

    auto *esci = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esci, &QShortcut::activated, this, &QWidget::close);
    auto *copia = new QShortcut(QKeySequence::Copy, this);
    connect(copia, &QShortcut::activated, this, &Form1::copia);
    // The desktop's keys: F10 opens the menu; End and Ctrl+End take a long law to its end,
    // Ctrl+Home back to its start, for Home belongs to the browsing below.
    auto *menu = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menu, &QShortcut::activated, this,
            [this, opzioni] { menuBar()->setActiveAction(opzioni->menuAction()); });
    QScrollBar *barra = m_scorrimento->verticalScrollBar();
    const auto allaFine = [barra] { barra->setValue(barra->maximum()); };
    const auto allInizio = [barra] { barra->setValue(barra->minimum()); };
    for (const QKeySequence &tasto :
         {QKeySequence(Qt::Key_End), QKeySequence(Qt::CTRL | Qt::Key_End)})
        connect(new QShortcut(tasto, this), &QShortcut::activated, this, allaFine);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Home), this), &QShortcut::activated, this,
            allInizio);

    // Through the collection; Home is the start's law.
    const std::pair<Qt::Key, std::function<void()>> sfoglia[] = {
        {Qt::Key_Right, [this] { m_finestra.Sfoglia(Direzione::Avanti); }},
        {Qt::Key_Left, [this] { m_finestra.Sfoglia(Direzione::Indietro); }},
        {Qt::Key_Home, [this] { m_finestra.TornaAllInizio(); }},
    };
    for (const auto &[tasto, azione] : sfoglia)
        connect(new QShortcut(QKeySequence(tasto), this), &QShortcut::activated, this, azione);
}

void Form1::RendiInPrimoPiano()
{
    const QRect geometria = geometry();
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setGeometry(geometria);
}

void Form1::MostraModo(Modo modo)
{
    // Qt has already toggled an item that was clicked; the marks follow the mode alone.
    for (std::size_t i = 0; i < TabellaModi.size(); ++i)
        m_voci[i]->setChecked(TabellaModi[i].modo == modo);
}

void Form1::MostraImmagini()
{
    m_sfondo = ImmagineAllaScala(Bitmap101, devicePixelRatio());
    m_image1->setPixmap(ImmagineAllaScala(Bitmap102, devicePixelRatio()));
    m_area->update();
}

void Form1::MostraTesto(const std::optional<std::string> &didascalia, const std::string &titolo,
                        const std::string &testo)
{
    if (didascalia)
        setWindowTitle(TitoloLetterale(Testo(*didascalia)));
    const QString nome = Testo(titolo);
    const QString descrizione = Testo(testo);
    m_label1->setText(descrizione);
    // Another law, read from its top.
    m_scorrimento->verticalScrollBar()->setValue(0);
    setAccessibleName(nome);
    setAccessibleDescription(descrizione);
    m_label1->setAccessibleName(nome);
    m_label1->setAccessibleDescription(descrizione);
}

MisureFinestra Form1::Misure() const
{
    MisureFinestra misure;
    misure.margine = Pixel(MargineVerticale);
    misure.distanzaBanner = Pixel(DistanzaBanner);
    // At a large scale on a small screen the window would be wider than the screen: it
    // gives up that much width, and the text wraps narrower.
    const int eccesso = this->eccesso();
    misure.larghezzaTesto = Pixel(Label1Larghezza) - eccesso;
    misure.larghezzaAccantoBarra =
        LarghezzaArea - eccesso - Pixel(Label1Sinistra) - larghezzaBarra();
    misure.altezzaMassima = altezzaMassima();
    misure.attorno = cornice().height() + menuBar()->sizeHint().height();
    misure.bannerLarghezza = Pixel(Image1Larghezza);
    misure.bannerAltezza = Pixel(Image1Altezza);
    misure.riduzione = eccesso;
    return misure;
}

int Form1::AltezzaTesto(int larghezza) const
{
    return m_label1->heightForWidth(larghezza);
}

int Form1::larghezzaBarra() const
{
    return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr,
                                m_scorrimento->verticalScrollBar());
}

void Form1::Applica(const Disposizione &d)
{
    m_label1->resize(d.larghezzaTesto, d.altezzaTesto);
    m_scorrimento->resize(d.larghezzaTesto + (d.scorre ? larghezzaBarra() : 0), d.altezzaVisibile);
    // The height rule gives the window's outer height, title bar included, as on Windows: the
    // label's height plus a fixed 1150 twips, the outer height of a Windows tool window's
    // caption and menu and the banner, or more where this frame is taller. The frame the
    // window manager really drew comes off it, and the banner, placed under the label, runs
    // to where the window ends. Until the window is framed there is nothing to take off;
    // moveEvent lays the window out again once the frame is known.
    m_corniceUsata = cornice();
    setFixedSize(LarghezzaArea - eccesso(),
                 std::max(d.altezzaFinestra - m_corniceUsata.height(), 1));
    layout()->activate();
    m_image1->setGeometry(0, d.bannerAlto, d.bannerLarghezza,
                          std::max(d.altezzaArea - d.bannerAlto, d.bannerAltezza));
    m_image1->ImpostaAltezzaImmagine(d.bannerAltezza);
}

QSize Form1::cornice() const
{
    return frameGeometry().size() - size();
}

int Form1::eccesso() const
{
    const QScreen *schermo = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!schermo)
        return 0;
    return std::clamp(LarghezzaArea + cornice().width() - schermo->availableGeometry().width(), 0,
                      LarghezzaArea / 2);
}

int Form1::altezzaMassima() const
{
    const QScreen *schermo = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!schermo)
        return QWIDGETSIZE_MAX;
    // The rule counts the whole frame. Until the window manager has framed the window, its
    // title bar is still to come on top of the height asked for: a generous guess, corrected
    // once the frame is there.
    const int cornice = this->cornice().height();
    return schermo->availableGeometry().height() -
           (cornice > 0 ? 0 : 2 * fontMetrics().height() + 8);
}

void Form1::Avvisa(const std::string &testo)
{
    MostraMessaggio(this, QMessageBox::Warning, Testo(testo));
}

void Form1::Centra()
{
    const QScreen *schermo = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!schermo)
        return;
    // Centred, and never past the top or left edge of what the screen leaves free.
    const QRect libero = schermo->availableGeometry();
    QRect riquadro = frameGeometry();
    riquadro.moveCenter(libero.center());
    move(std::max(riquadro.left(), libero.left()), std::max(riquadro.top(), libero.top()));
}

void Form1::copia()
{
    if (const std::string testo = m_finestra.TestoDaCopiare(); !testo.empty())
        QGuiApplication::clipboard()->setText(Testo(testo));
}

void Form1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // Qt::Tool alone leaves the window in some task bars. Qt sends this before it maps the
    // window, while the window's state is still the program's to set.
    if (!event->spontaneous()) {
        TieniFuoriDallaBarra(windowHandle());
        // Some window managers map a new window without the focus, and then Esc and Ctrl+C
        // reach another program until the user clicks here.
        activateWindow();
    }
}

void Form1::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    // The window manager's frame is known now, or has changed: the outer height, and the
    // width on a narrow screen, are fitted to it.
    // Only a frame unlike the one the layout used: a window manager that will not take the
    // size asked for must not start a loop.
    if (m_finestra.leggeMostrata() && cornice() != m_corniceUsata) {
        m_finestra.Ridisponi();
        Centra();
    }
}

void Form1::closeEvent(QCloseEvent *event)
{
    QMainWindow::closeEvent(event);
    // A tool window does not count as the last window when Qt decides whether to quit.
    if (event->isAccepted())
        QCoreApplication::quit();
}

} // namespace legge
