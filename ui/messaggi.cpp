#include "ui/messaggi.h"

#include "file/errorefile.h"

#include <QFile>

namespace legge {

void MostraMessaggio(QWidget *parent, QMessageBox::Icon icona, const QString &testo)
{
    QMessageBox box(icona, QStringLiteral("Una Legge al Giorno"), testo, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QString DescriviErrore(const std::exception &errore)
{
    if (const auto *file = dynamic_cast<const ErroreFile *>(&errore)) {
        return QStringLiteral("File: %1\nMotivo: %2")
            .arg(QFile::decodeName(QByteArray::fromStdString(file->percorso().string())),
                 QString::fromLocal8Bit(file->motivo()));
    }
    return QStringLiteral("Motivo: %1").arg(QString::fromLocal8Bit(errore.what()));
}

QString TestoErroreAvvio(const std::exception &errore)
{
    return QStringLiteral("Impossibile mostrare la legge: il programma termina.\n\n") +
           DescriviErrore(errore);
}

} // namespace legge
