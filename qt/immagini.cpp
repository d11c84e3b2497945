// SPDX-License-Identifier: GPL-3.0-or-later
// The resources' names for the scaled copies, and the choice among them.
#include "qt/immagini.h"

#include <array>

namespace legge {

namespace {

struct Scala {
    qreal fattore;
    const char *suffisso;
};
constexpr std::array<Scala, 3> Scale{{{1.0, ""}, {1.5, "@1.5x"}, {2.0, "@2x"}}};

QString NomeAllaScala(const QString &nome, const Scala &scala)
{
    return QStringLiteral(":/") + nome + QString::fromLatin1(scala.suffisso) +
           QStringLiteral(".png");
}

} // namespace

QPixmap ImmagineAllaScala(const QString &nome, qreal rapporto)
{
    const Scala *scelta = &Scale.back();
    for (const Scala &scala : Scale) {
        if (scala.fattore >= rapporto) {
            scelta = &scala;
            break;
        }
    }
    QPixmap immagine(NomeAllaScala(nome, *scelta));
    immagine.setDevicePixelRatio(scelta->fattore);
    return immagine;
}

QIcon IconaDelProgramma()
{
    QIcon icona;
    for (const Scala &scala : Scale)
        icona.addFile(NomeAllaScala(QStringLiteral("icona"), scala));
    return icona;
}

} // namespace legge
