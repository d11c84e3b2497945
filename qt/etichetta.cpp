// SPDX-License-Identifier: GPL-3.0-or-later
// One text layout for both the measure and the drawing, its lines spaced as QPainter spaces them.
#include "qt/etichetta.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace legge {

namespace {

// Lays the text out in lines `larghezza` wide, spaced as QPainter::drawText spaces them, and
// returns the height the lines take.
qreal Impagina(QTextLayout &layout, const QString &testo, const QFont &carattere, qreal larghezza)
{
    // Line breaks in the text are paragraph-internal line separators for QTextLayout.
    QString righe = testo;
    righe.replace(u'\n', QChar::LineSeparator);
    layout.setText(righe);
    layout.setFont(carattere);
    QTextOption opzione(Qt::AlignLeft);
    opzione.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(opzione);

    const qreal interlinea = QFontMetricsF(carattere).leading();
    qreal altezza = -interlinea;
    layout.beginLayout();
    for (QTextLine riga = layout.createLine(); riga.isValid(); riga = layout.createLine()) {
        riga.setLineWidth(larghezza);
        altezza += interlinea;
        riga.setPosition(QPointF(0, altezza));
        altezza += riga.height();
    }
    layout.endLayout();
    return std::max<qreal>(altezza, 0);
}

} // namespace

Etichetta::Etichetta(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

int Etichetta::heightForWidth(int larghezza) const
{
    const QMargins margini = contentsMargins();
    QTextLayout layout;
    const qreal altezza =
        Impagina(layout, text(), font(), larghezza - margini.left() - margini.right());
    return int(std::ceil(altezza)) + margini.top() + margini.bottom();
}

void Etichetta::paintEvent(QPaintEvent *)
{
    const QRect area = contentsRect();
    QTextLayout layout;
    Impagina(layout, text(), font(), area.width());
    QPainter p(this);
    p.setPen(palette().color(foregroundRole()));
    layout.draw(&p, area.topLeft());
}

} // namespace legge
