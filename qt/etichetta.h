// SPDX-License-Identifier: GPL-3.0-or-later
// The law's text on Qt, measured and drawn by one layout, so that the height the window is fitted
// to is the height the text takes.
#pragma once

#include <QLabel>

namespace legge {

// A plain-text label that wraps at word boundaries, and inside a word only when the word
// alone is wider than the line (a web address, a long number): QLabel would cut it off at
// the right edge. Its text is never read as markup.
class Etichetta : public QLabel {
public:
    explicit Etichetta(QWidget *parent = nullptr);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int larghezza) const override;

protected:
    void paintEvent(QPaintEvent *) override;
};

} // namespace legge
