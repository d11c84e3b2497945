#pragma once

#include <QMessageBox>
#include <QString>

#include <exception>

class QWidget;

namespace legge {

// A message box whose text is never read as markup: file names and system messages
// may hold '<' and '&'.
void MostraMessaggio(QWidget *parent, QMessageBox::Icon icona, const QString &testo);

// Italian text for a failure: the file and the system's reason when it is about a file.
QString DescriviErrore(const std::exception &errore);

// Reported when the program cannot start.
QString TestoErroreAvvio(const std::exception &errore);

} // namespace legge
