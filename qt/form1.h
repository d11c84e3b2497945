// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "avvio/formload.h"
#include "settings/modo.h"

#include <QMainWindow>
#include <QPixmap>
#include <QString>

#include <array>
#include <filesystem>
#include <optional>

class QAction;
class QLabel;
class QScrollArea;

namespace legge {

// Lengths in the window's layout are kept in twips, 15 to a device-independent pixel.
constexpr int Pixel(int twip)
{
    return (twip + 7) / 15;
}

// The program's only window: the law's text over a background picture, a banner below
// it, and the "Opzioni" menu with the display mode.
class Form1 : public QMainWindow, public FinestraAvvio {
    Q_OBJECT

public:
    static constexpr int LarghezzaArea = 416; // client area at creation
    static constexpr int AltezzaArea = 247;

    // Option.dat and Massime.dat are looked up in `cartella`.
    explicit Form1(std::filesystem::path cartella, QWidget *parent = nullptr);

    // Keeps the window above all others without moving or resizing it. Takes effect
    // when the window is next shown.
    void RendiInPrimoPiano() override;

    Modo modo() const override { return m_modo; }
    void ImpostaModo(Modo modo) override;

    // Puts law `numeroGiorno` on screen and fits the window's height to it. Throws
    // legge::ErroreFile when the law file cannot be read; the window is then unchanged
    // apart from its pictures.
    void MostraLegge(int numeroGiorno) override;
    // The number last asked for, for the tests' eyes.
    std::optional<int> numeroGiorno() const { return m_numeroGiorno; }

    // Stores the mode of menu item `indice` (1 or 2) for the next start.
    void Casuale_Click(int indice);

    void Centra();

    QAction *voceModo(int indice) const { return m_casuale.at(std::size_t(indice - 1)); }
    const QPixmap &sfondo() const { return m_sfondo; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    // Tells the user that the mode could not be stored; a seam for the tests.
    virtual void avvisa(const QString &testo);

private:
    class Area;

    void mostraModo();
    void adattaAltezza();
    // The tallest the window may be, title bar aside, with all of it on the screen.
    int altezzaMassima() const;
    void copia();

    std::filesystem::path m_cartella;
    Modo m_modo = ModoGiorno;
    std::optional<int> m_numeroGiorno;
    std::array<QAction *, 2> m_casuale{};
    QPixmap m_sfondo;
    Area *m_area = nullptr;
    QScrollArea *m_scorrimento = nullptr;
    QLabel *m_label1 = nullptr;
    QLabel *m_image1 = nullptr;
    QString m_titolo; // as shown, for the clipboard
    QString m_testo;
};

} // namespace legge
