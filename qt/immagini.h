// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures and the icon, built into the program at three scales, picked sharp enough for the
// screen the window is on.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace legge {

// The pictures ship at 100 %, 150 % and 200 %, as "nome.png", "nome@1.5x.png" and
// "nome@2x.png". Of these, the copy for `rapporto` device pixels to the pixel: the
// smallest one at least that sharp (or the largest), marked with its own ratio so that it
// keeps its size in the layout.
QPixmap ImmagineAllaScala(const QString &nome, qreal rapporto);

// Every size of the icon, for the window manager and the task switcher to choose from.
QIcon IconaDelProgramma();

} // namespace legge
