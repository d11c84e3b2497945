// SPDX-License-Identifier: GPL-3.0-or-later
// Message boxes under the program's title, for the window's warnings and the start-up's failures.
#include "qt/messaggi.h"

#include "finestra/testi.h"

namespace legge {

void MostraMessaggio(QWidget *parent, QMessageBox::Icon icona, const QString &testo)
{
    QMessageBox box(icona,
                    QString::fromUtf8(TitoloMessaggi.data(), qsizetype(TitoloMessaggi.size())),
                    testo, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace legge
