// SPDX-License-Identifier: GPL-3.0-or-later
// Message boxes under the program's title, for the window's warnings and the start-up's failures.
#include "qt/messaggi.h"

#include "finestra/testi.h"

#include <QApplication>
#include <QPointer>

namespace legge {

void MostraMessaggio(QWidget *parent, QMessageBox::Icon icona, const QString &testo)
{
    // Some window managers give the focus to no window when a box closes, and never to a
    // tool window: the keys would reach nothing until a click. The window that had the
    // keyboard, or else the one the box belongs to, asks for it back.
    QPointer<QWidget> attiva = QApplication::activeWindow();
    if (!attiva && parent)
        attiva = parent->window();
    QMessageBox box(icona,
                    QString::fromUtf8(TitoloMessaggi.data(), qsizetype(TitoloMessaggi.size())),
                    testo, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
    if (attiva && attiva->isVisible())
        attiva->activateWindow();
}

} // namespace legge
