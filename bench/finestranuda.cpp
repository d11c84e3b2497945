// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick for bench/startup: the program's window with its parts and nothing else:
// no file read, no logic.

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>

namespace {

class Area : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.drawPixmap(0, 0, m_sfondo);
    }

private:
    QPixmap m_sfondo{QStringLiteral(":/sfondo.png")};
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow finestra(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint);
    finestra.setWindowTitle(QStringLiteral("  Legge dell'attesa"));
    finestra.setWindowIcon(QIcon(QStringLiteral(":/icona.png")));
    QMenu *menu = finestra.menuBar()->addMenu(QStringLiteral("Opzioni"));
    for (const char *voce : {"Una Legge al Giorno", "Legge Casuale", "-------------------------",
                             "Le modifiche avranno", "effetto alla prossima", "esecuzione."})
        menu->addAction(QString::fromLatin1(voce));
    auto *area = new Area(&finestra);
    finestra.setCentralWidget(area);
    auto *label = new QLabel(area);
    label->setWordWrap(true);
    label->setText(QStringLiteral("\nSe aspetti l'autobus, arriva quello della direzione "
                                  "opposta; se attraversi la strada per prenderlo, arriva "
                                  "anche il tuo. Chi ha fretta trova sempre il semaforo rosso."));
    label->setGeometry(8, 0, 401, label->heightForWidth(401));
    auto *banner = new QLabel(area);
    banner->setScaledContents(true);
    banner->setPixmap(QPixmap(QStringLiteral(":/banner.png")));
    banner->setGeometry(0, label->height() + 3, 417, 33);
    finestra.setFixedSize(416, label->height() + 77);
    finestra.show();
    return app.exec();
}
