// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt/form1.h"

#include "avvio/messaggi.h"
#include "avvio/opzioni.h"
#include "sistema/errorefile.h"
#include "laws/cp1252.h"
#include "laws/massime.h"
#include "avvio/disposizione.h"
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
#include <utility>

namespace legge {

namespace {

const QString Bitmap101 = QStringLiteral("sfondo");
const QString Bitmap102 = QStringLiteral("banner");

// The background picture is always pale, whatever the desktop's theme: the text on it keeps
// the colour it has on a light desktop, and so does the window where the picture ends.
const QColor TestoScuro(Qt::black);
const QColor FondoChiaro(0xf0, 0xf0, 0xf0);

QString Testo(const std::string &cp1252)
{
    return QString::fromUtf8(Cp1252InUtf8(cp1252));
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

Form1::Form1(std::filesystem::path cartella, QWidget *parent)
    : QMainWindow(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_cartella(std::move(cartella))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Una Legge al Giorno"));
    setWindowIcon(IconaDelProgramma());

    auto *opzioni = menuBar()->addMenu(QStringLiteral("Opzioni"));
    opzioni->setObjectName(QStringLiteral("Opzioni"));
    // The height rule counts the menu bar as part of the window, so it must stay here
    // rather than move to a desktop-wide menu.
    menuBar()->setNativeMenuBar(false);
    const QString voci[] = {QStringLiteral("Una Legge al Giorno"), QStringLiteral("Legge Casuale")};
    for (int i = 0; i < 2; ++i) {
        QAction *voce = opzioni->addAction(voci[i]);
        voce->setCheckable(true);
        connect(voce, &QAction::triggered, this, [this, i] { Casuale_Click(i + 1); });
        m_casuale[std::size_t(i)] = voce;
    }
    // The note is text, not a separator line, and cannot be chosen.
    for (const char *nota : {"-------------------------", "Le modifiche avranno",
                             "effetto alla prossima", "esecuzione."}) {
        opzioni->addAction(QString::fromLatin1(nota))->setEnabled(false);
    }
    mostraModo();
    // Another copy of the program may have changed the stored mode since this one started.
    connect(opzioni, &QMenu::aboutToShow, this,
            [this] { ImpostaModo(ModoDelMenu(m_cartella, m_modo)); });

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

    m_image1 = new QLabel(m_area);
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setScaledContents(true);
    m_image1->setGeometry(0, Pixel(Image1Alto), Pixel(Image1Larghezza), Pixel(Image1Altezza));

    setFixedSize(LarghezzaArea, menuBar()->sizeHint().height() + AltezzaArea);
    layout()->activate();

    auto *esci = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esci, &QShortcut::activated, this, &QWidget::close);
    auto *copia = new QShortcut(QKeySequence::Copy, this);
    connect(copia, &QShortcut::activated, this, &Form1::copia);
}

void Form1::RendiInPrimoPiano()
{
    const QRect geometria = geometry();
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setGeometry(geometria);
}

void Form1::ImpostaModo(Modo modo)
{
    m_modo = modo;
    mostraModo();
}

void Form1::mostraModo()
{
    m_casuale[0]->setChecked(m_modo == ModoGiorno);
    m_casuale[1]->setChecked(m_modo == ModoCasuale);
}

void Form1::MostraLegge(int numeroGiorno)
{
    m_numeroGiorno = numeroGiorno;
    m_sfondo = ImmagineAllaScala(Bitmap101, devicePixelRatio());
    m_image1->setPixmap(ImmagineAllaScala(Bitmap102, devicePixelRatio()));
    m_area->update();

    const Legge legge = CercaLegge(m_cartella / NomeFileMassime, numeroGiorno);
    if (!legge.trovata)
        return;

    m_titolo = legge.titolo ? Testo(*legge.titolo) : QString();
    if (legge.titolo)
        setWindowTitle(QStringLiteral("  ") + TitoloLetterale(m_titolo));
    m_testo = Testo(legge.corpo);
    m_label1->setText(m_testo);

    setAccessibleName(m_titolo);
    setAccessibleDescription(m_testo);
    m_label1->setAccessibleName(m_titolo);
    m_label1->setAccessibleDescription(m_testo);

    adattaAltezza();
}

void Form1::adattaAltezza()
{
    // The window's height follows the text, up to what the screen can show whole.
    int larghezza = Pixel(Label1Larghezza);
    int altezzaLabel = m_label1->heightForWidth(larghezza);
    int visibile = altezzaLabel;
    int barra = 0;
    const int massima = altezzaMassima() - Pixel(MargineVerticale);
    if (altezzaLabel > massima) {
        barra = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr,
                                     m_scorrimento->verticalScrollBar());
        larghezza = LarghezzaArea - Pixel(Label1Sinistra) - barra;
        altezzaLabel = m_label1->heightForWidth(larghezza);
        visibile = std::max(massima, 0);
    }
    m_label1->resize(larghezza, altezzaLabel);
    m_scorrimento->resize(larghezza + barra, visibile);

    setFixedHeight(visibile + Pixel(MargineVerticale));
    layout()->activate();
    m_image1->move(m_image1->x(), visibile + Pixel(DistanzaBanner));
}

int Form1::altezzaMassima() const
{
    const QScreen *schermo = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!schermo)
        return QWIDGETSIZE_MAX;
    int cornice = frameGeometry().height() - height();
    // Until the window manager has framed the window its title bar is unknown: a generous
    // guess, corrected once the frame is there.
    if (cornice <= 0)
        cornice = 2 * fontMetrics().height() + 8;
    return schermo->availableGeometry().height() - cornice;
}

void Form1::Casuale_Click(int indice)
{
    // A failed write leaves the stored mode as it was, so the marks must too: the user can
    // try again once the cause is fixed.
    try {
        m_modo = SalvaModoScelto(m_cartella, indice);
    } catch (const std::exception &errore) {
        avvisa(QString::fromStdString(TestoErrore(ModoNonSalvato, errore)));
    }
    // Qt has already toggled the item that was clicked.
    mostraModo();
}

void Form1::avvisa(const QString &testo)
{
    MostraMessaggio(this, QMessageBox::Warning, testo);
}

void Form1::Centra()
{
    const QScreen *schermo = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!schermo)
        return;
    QRect riquadro = frameGeometry();
    riquadro.moveCenter(schermo->availableGeometry().center());
    move(riquadro.topLeft());
}

void Form1::copia()
{
    if (m_titolo.isEmpty() && m_testo.isEmpty())
        return;
    // The body starts with the line break that ended the title.
    QGuiApplication::clipboard()->setText(m_titolo + m_testo);
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
    // The window manager's frame turned out taller than guessed.
    const QScreen *schermo = screen();
    if (!m_testo.isEmpty() && schermo &&
        frameGeometry().height() > schermo->availableGeometry().height()) {
        adattaAltezza();
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
