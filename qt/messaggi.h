// SPDX-License-Identifier: GPL-3.0-or-later
// The Qt program's message boxes, which show file names and the system's reasons as written.
#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

namespace legge {

// A message box whose text is never read as markup: file names and system messages
// may hold '<' and '&'.
void MostraMessaggio(QWidget *parent, QMessageBox::Icon icona, const QString &testo);

} // namespace legge
