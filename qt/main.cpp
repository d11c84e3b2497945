// SPDX-License-Identifier: GPL-3.0-or-later
// The Linux program: the shared start, on Qt.
#include "finestra/casuale.h"
#include "finestra/partenza.h"
#include "qt/form1.h"
#include "qt/messaggi.h"
#include "qt/schermo.h"
#include "sistema/argomenti.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char **argv)
{
    const legge::Partenza partenza(legge::ArgomentiUtf8(argc, argv), legge::Regole::Qt);
    if (const auto fine = legge::DiSulTerminale(partenza))
        return *fine;
    legge::Schermo schermo(argc, argv, partenza.programma(), partenza.cartellaUtente());
    QApplication app(argc, argv);
    if (const auto fine = schermo.Pronto())
        return *fine;

    legge::Form1 form1(partenza.cartella());
    legge::OrologioDiSistema orologio;
    legge::GeneratoreCasuale casuale;
    if (const auto errore = partenza.Avvia(form1.finestra(), orologio, casuale)) {
        legge::MostraMessaggio(nullptr, QMessageBox::Critical, QString::fromStdString(*errore));
        return 1;
    }
    form1.Centra();
    form1.show();
    if (const auto &avviso = partenza.avviso()) {
        QTimer::singleShot(0, &form1, [&] {
            legge::MostraMessaggio(&form1, QMessageBox::Warning, QString::fromStdString(*avviso));
        });
    }
    return app.exec();
}
