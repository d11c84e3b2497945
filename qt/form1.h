// SPDX-License-Identifier: GPL-3.0-or-later
// The window on Linux: Qt's widgets for what the shared window decides, and the measures its
// layout rule asks for.
#pragma once

#include "finestra/finestra.h"

#include <QMainWindow>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <array>
#include <filesystem>

class QAction;
class QLabel;
class QScrollArea;
class QShortcut;

namespace legge {

// Lengths in the window's layout are kept in twips, 15 to a device-independent pixel.
constexpr int Pixel(int twip)
{
    return (twip + 7) / 15;
}

// The program's only window on Qt: the law's text over a background picture, a banner
// below it, and the "Opzioni" menu. What it shows and stores is decided by `finestra()`.
class Form1 : public QMainWindow, public Vista {
    Q_OBJECT

public:
    static constexpr int LarghezzaArea = 416; // client area at creation
    static constexpr int AltezzaArea = 247;

    // Option.dat and Massime.dat are looked up in `cartella`.
    explicit Form1(std::filesystem::path cartella, QWidget *parent = nullptr);

    Finestra &finestra() { return m_finestra; }
    const Finestra &finestra() const { return m_finestra; }

    void Centra();

    // Takes effect when the window is next shown.
    void RendiInPrimoPiano() override;
    void MostraModo(Modo modo) override;
    void MostraImmagini() override;
    void MostraTesto(const std::optional<std::string> &didascalia, const std::string &titolo,
                     const std::string &testo) override;
    MisureFinestra Misure() const override;
    int AltezzaTesto(int larghezza) const override;
    void Applica(const Disposizione &disposizione) override;
    void Avvisa(const std::string &testo) override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    class Area;
    class Striscia;

    // The tallest the window may be, title bar aside, with all of it on the screen.
    int altezzaMassima() const;
    // What the window manager's frame adds to the window, nothing until it is drawn.
    QSize cornice() const;
    // How much narrower than at creation the window must be for it, frame included, to fit
    // the width the screen leaves free.
    int eccesso() const;
    int larghezzaBarra() const;
    void copia();

    Finestra m_finestra;
    std::array<QAction *, TabellaModi.size()> m_voci{};
    QPixmap m_sfondo;
    Area *m_area = nullptr;
    QScrollArea *m_scorrimento = nullptr;
    QSize m_corniceUsata; // the frame the last layout took off
    QLabel *m_label1 = nullptr;
    Striscia *m_image1 = nullptr;
};

} // namespace legge
