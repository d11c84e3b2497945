#include "app/avvia.h"
#include "app/casuale.h"
#include "ui/form1.h"
#include "ui/messaggi.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("leggealgiorno"));
    // Must match the installed desktop entry, so that the desktop pairs the window with its
    // menu entry and icon.
    QApplication::setDesktopFileName(QStringLiteral("io.github.leggealgiorno.LeggeAlGiorno"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icona.png")));

    const auto cartella = legge::CartellaDiLavoro();
    legge::Form1 form1(cartella);
    legge::OrologioDiSistema orologio;
    legge::GeneratoreCasuale casuale;
    if (const auto errore = legge::Avvia(form1, cartella, orologio, casuale)) {
        legge::MostraMessaggio(nullptr, QMessageBox::Critical, QString::fromStdString(*errore));
        return 1;
    }
    form1.Centra();
    form1.show();
    return app.exec();
}
