// SPDX-License-Identifier: GPL-3.0-or-later
// The window on Windows: Win32's windows for what the shared window decides, and the measures
// its layout rule asks for.
#pragma once

#include "finestra/finestra.h"

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>

namespace legge {

// The program's only window on Windows: the law's text over a background picture, a
// banner below it, and the "Opzioni" menu. What it shows and stores is decided by
// `finestra()`. Child windows of class "Label1" and "Image1" hold the text and the banner,
// so that their places can be read from outside like any window's.
class Form1Win32 : public Vista {
public:
    // Command ids: the mode items in the order of the modes' table from IdPrimoModo on,
    // and the keys.
    static constexpr UINT IdPrimoModo = 1;
    static constexpr UINT IdEsci = 100;     // Esc
    static constexpr UINT IdCopia = 101;    // Ctrl+C, Ctrl+Ins
    static constexpr UINT IdAvanti = 102;   // Right
    static constexpr UINT IdIndietro = 103; // Left
    static constexpr UINT IdInizio = 104;   // Home; Ctrl+Home scrolls to the top

    // Prepares the window; the system's window is made, hidden, when first needed. Option.dat
    // and Massime.dat are looked up in `cartella`. Throws std::system_error when the system
    // refuses the window.
    Form1Win32(HINSTANCE istanza, std::filesystem::path cartella);
    ~Form1Win32() override;
    Form1Win32(const Form1Win32 &) = delete;
    Form1Win32 &operator=(const Form1Win32 &) = delete;

    Finestra &finestra() { return m_finestra; }

    void RendiInPrimoPiano() override;
    void MostraModo(Modo modo) override;
    void MostraImmagini() override;
    void MostraTesto(const std::optional<std::string> &didascalia, const std::string &titolo,
                     const std::string &testo) override;
    MisureFinestra Misure() const override;
    int AltezzaTesto(int larghezza) const override;
    void Applica(const Disposizione &disposizione) override;
    void Avvisa(const std::string &testo) override;

    // Centres the window on its monitor's work area, shows it and takes the keyboard.
    void Mostra();

    HWND hwnd();
    HACCEL acceleratori() const { return m_acceleratori; }

private:
    struct Immagine {
        HBITMAP bitmap = nullptr; // made when first drawn
        int larghezza = 0;
        int altezza = 0;
        int risorsa = 0; // the picture it is made from
    };

    static LRESULT CALLBACK ProceduraForm1(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK ProceduraLabel1(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK ProceduraImage1(HWND, UINT, WPARAM, LPARAM);
    LRESULT messaggio(UINT msg, WPARAM w, LPARAM l);
    LRESULT messaggioLabel1(UINT msg, WPARAM w, LPARAM l);

    struct Posti {
        int label1Larghezza;
        int label1Altezza;
        int bannerAlto;
        int bannerLarghezza;
        int bannerAltezza;
    };

    void crea();
    MONITORINFO monitor() const;
    // The outer rectangle around the client area at creation, for this scale.
    RECT esterno() const;
    int eccesso() const;
    // Where the window stands and how large it is, centred on its monitor.
    RECT rettangolo() const;
    Posti postiFigli() const;
    int pixel(int twip) const;
    void preparaPerDpi();
    void liberaImmagini();
    // The banner's picture to be drawn at that size; made again only if the size changes.
    void adattaBanner(int larghezza, int altezza);
    // The picture at its size, made from its resource the first time it is needed.
    HBITMAP pronta(Immagine &immagine) const;
    // What the outer height holds besides the client area.
    int attorno() const;
    // The same, as foreseen before the window exists.
    int attornoPrevisto() const;
    void dimensiona();
    void scorri(int posizione);
    void disegnaSfondo(HDC dc, int x, int y, int larghezza, int altezza);
    void copia() const;

    Finestra m_finestra;
    HINSTANCE m_istanza;
    HMENU m_barra = nullptr; // the window's until it is destroyed
    bool m_creata = false;
    bool m_primoPiano = false;
    std::optional<std::wstring> m_didascalia;
    HWND m_hwnd = nullptr;
    HWND m_label1 = nullptr;
    HWND m_image1 = nullptr;
    HMENU m_opzioni = nullptr;
    HACCEL m_acceleratori = nullptr;
    UINT m_dpi = 96;
    HFONT m_carattere = nullptr;
    Immagine m_sfondo;
    Immagine m_banner;
    std::wstring m_testo;
    std::optional<Disposizione> m_disposizione; // once a law is shown
    int m_altezzaTesto = 0; // the whole text's, when it scrolls inside the label
    int m_scorrimento = 0;
};

} // namespace legge
