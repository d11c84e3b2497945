// SPDX-License-Identifier: GPL-3.0-or-later
// The program's window as a dark desktop theme dresses it: Fusion with a dark palette, the
// way a platform theme (KDE Breeze Dark, GNOME's dark style) hands one to every Qt program.
// scripts/screenshot takes the README's second picture of it.
#include "finestra/avvia.h"
#include "finestra/casuale.h"
#include "qt/form1.h"
#include "qt/immagini.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette scuro;
    const QColor fondo(0x30, 0x30, 0x30), campo(0x24, 0x24, 0x24), testo(0xee, 0xee, 0xee);
    for (const auto ruolo : {QPalette::Window, QPalette::Button})
        scuro.setColor(ruolo, fondo);
    scuro.setColor(QPalette::Base, campo);
    for (const auto ruolo : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        scuro.setColor(ruolo, testo);
    scuro.setColor(QPalette::Highlight, QColor(0x35, 0x84, 0xe4));
    scuro.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x88, 0x88, 0x88));
    scuro.setColor(QPalette::Disabled, QPalette::Text, QColor(0x88, 0x88, 0x88));
    QApplication::setPalette(scuro);
    QApplication::setWindowIcon(legge::IconaDelProgramma());

    const auto cartella = legge::CartellaDiLavoro();
    legge::Form1 form1(cartella);
    legge::OrologioDiSistema orologio;
    legge::GeneratoreCasuale casuale;
    if (legge::Avvia(form1.finestra(), cartella, orologio, casuale))
        return 1;
    form1.Centra();
    form1.show();
    return app.exec();
}
