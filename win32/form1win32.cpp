// SPDX-License-Identifier: GPL-3.0-or-later
// The Win32 window built to the shared layout at the monitor's scale: its classes and child
// windows, the pictures stretched once, the text drawn and scrolled, the menu and the keys.
#include "win32/form1win32.h"

#include "finestra/disposizione.h"
#include "finestra/testi.h"
#include "resources/risorse.h"
#include "sistema/utf16.h"
#include "win32/messaggiwin32.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace legge {

namespace {

constexpr wchar_t ClasseForm1[] = L"Form1";
constexpr wchar_t ClasseLabel1[] = L"Label1";
constexpr wchar_t ClasseImage1[] = L"Image1";

constexpr DWORD Stile = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD StileEsteso = WS_EX_TOOLWINDOW;

// Dark and fixed, since the picture under it is always light: the text must not take the
// desktop's colours.
constexpr COLORREF ColoreTesto = RGB(0, 0, 0);
// Beyond the background picture, when a long law makes the window taller than it.
constexpr COLORREF ColoreOltreSfondo = RGB(255, 255, 255);

// DT_EDITCONTROL breaks a word that is wider than the line instead of cutting it off.
constexpr UINT FormatoTesto =
    DT_LEFT | DT_TOP | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX | DT_EXPANDTABS;

[[noreturn]] void ErroreDiSistema(const char *cosa)
{
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), cosa);
}

void RegistraClasse(HINSTANCE istanza, const wchar_t *nome, WNDPROC procedura, HICON icona,
                    HICON piccola)
{
    WNDCLASSEXW classe{};
    classe.cbSize = sizeof classe;
    classe.style = CS_HREDRAW | CS_VREDRAW;
    classe.lpfnWndProc = procedura;
    classe.hInstance = istanza;
    classe.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    classe.hIcon = icona;
    classe.hIconSm = piccola;
    classe.lpszClassName = nome;
    // A class left over from an earlier window of this process is as good.
    if (!RegisterClassExW(&classe) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        ErroreDiSistema("RegisterClassExW");
}

template <class Finestra> Finestra *Proprietario(HWND hwnd, UINT msg, LPARAM l)
{
    if (msg == WM_NCCREATE) {
        auto *finestra =
            static_cast<Finestra *>(reinterpret_cast<CREATESTRUCTW *>(l)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(finestra));
        return finestra;
    }
    return reinterpret_cast<Finestra *>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

HBITMAP CaricaBitmap(HINSTANCE istanza, int id)
{
    return static_cast<HBITMAP>(LoadImageW(istanza, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
}

// A copy of `origine` at `larghezza` x `altezza`, smoothed, ready to be copied as it is.
HBITMAP Adatta(HBITMAP origine, int larghezza, int altezza)
{
    BITMAP info{};
    GetObjectW(origine, sizeof info, &info);
    HDC schermo = GetDC(nullptr);
    HDC da = CreateCompatibleDC(schermo);
    HDC a = CreateCompatibleDC(schermo);
    HBITMAP risultato = CreateCompatibleBitmap(schermo, larghezza, altezza);
    const HGDIOBJ vecchiaDa = SelectObject(da, origine);
    const HGDIOBJ vecchiaA = SelectObject(a, risultato);
    if (info.bmWidth == larghezza && info.bmHeight == altezza) {
        BitBlt(a, 0, 0, larghezza, altezza, da, 0, 0, SRCCOPY);
    } else {
        SetStretchBltMode(a, HALFTONE);
        SetBrushOrgEx(a, 0, 0, nullptr);
        StretchBlt(a, 0, 0, larghezza, altezza, da, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    }
    SelectObject(da, vecchiaDa);
    SelectObject(a, vecchiaA);
    DeleteDC(da);
    DeleteDC(a);
    ReleaseDC(nullptr, schermo);
    return risultato;
}

} // namespace

Form1Win32::Form1Win32(HINSTANCE istanza, std::filesystem::path cartella)
    : m_finestra(*this, std::move(cartella)), m_istanza(istanza)
{
    const auto icona = [istanza](int lato) {
        return static_cast<HICON>(LoadImageW(istanza, MAKEINTRESOURCEW(RISORSA_ICONA), IMAGE_ICON,
                                             lato, lato, LR_SHARED));
    };
    RegistraClasse(istanza, ClasseForm1, ProceduraForm1, icona(GetSystemMetrics(SM_CXICON)),
                   icona(GetSystemMetrics(SM_CXSMICON)));
    RegistraClasse(istanza, ClasseLabel1, ProceduraLabel1, nullptr, nullptr);
    RegistraClasse(istanza, ClasseImage1, ProceduraImage1, nullptr, nullptr);

    m_barra = CreateMenu();
    m_opzioni = CreatePopupMenu();
    for (UINT i = 0; i < TabellaModi.size(); ++i)
        AppendMenuW(m_opzioni, MF_STRING, IdPrimoModo + i,
                    Utf8InUtf16(TabellaModi[i].etichetta).c_str());
    // The note is text, not a separator line, and cannot be chosen.
    for (const std::string_view nota : NotaMenu)
        AppendMenuW(m_opzioni, MF_STRING | MF_GRAYED, 0, Utf8InUtf16(nota).c_str());
    AppendMenuW(m_barra, MF_POPUP, reinterpret_cast<UINT_PTR>(m_opzioni),
                Utf8InUtf16(MenuOpzioni).c_str());

    ACCEL tasti[] = {{FVIRTKEY, VK_ESCAPE, IdEsci},
                     {FVIRTKEY | FCONTROL, 'C', IdCopia},
                     {FVIRTKEY | FCONTROL, VK_INSERT, IdCopia},
                     // Only without Ctrl: Ctrl+Home still reaches the label and scrolls.
                     {FVIRTKEY, VK_RIGHT, IdAvanti},
                     {FVIRTKEY, VK_LEFT, IdIndietro},
                     {FVIRTKEY, VK_HOME, IdInizio}};
    m_acceleratori = CreateAcceleratorTableW(tasti, static_cast<int>(std::size(tasti)));

    // Laid out for the main monitor; the window itself waits until it is needed.
    m_dpi = GetDpiForSystem();
    preparaPerDpi();
    MostraModo(m_finestra.modo());
}

HWND Form1Win32::hwnd()
{
    crea();
    return m_hwnd;
}

// The window is made as it will first be seen: on top, at its final size and place, with
// its caption and text. Under Wine every later change costs a trip to the display server.
void Form1Win32::crea()
{
    // Once closed by the user, it stays closed.
    if (m_creata)
        return;
    const RECT esterno = rettangolo();
    const DWORD stileEsteso = StileEsteso | (m_primoPiano ? WS_EX_TOPMOST : 0);
    const std::wstring didascalia = m_didascalia.value_or(Utf8InUtf16(TitoloMessaggi));
    m_hwnd = CreateWindowExW(stileEsteso, ClasseForm1, didascalia.c_str(), Stile, esterno.left,
                             esterno.top, esterno.right - esterno.left,
                             esterno.bottom - esterno.top, nullptr, m_barra, m_istanza, this);
    if (!m_hwnd)
        ErroreDiSistema("CreateWindowExW");
    m_creata = true;
    const Posti posti = postiFigli();
    m_label1 = CreateWindowExW(0, ClasseLabel1, m_testo.c_str(), WS_CHILD | WS_VISIBLE,
                               pixel(Label1Sinistra), 0, posti.label1Larghezza, posti.label1Altezza,
                               m_hwnd, nullptr, m_istanza, this);
    m_image1 =
        CreateWindowExW(0, ClasseImage1, L"", WS_CHILD | WS_VISIBLE, 0, posti.bannerAlto,
                        m_banner.larghezza, m_banner.altezza, m_hwnd, nullptr, m_istanza, this);
    if (!m_label1 || !m_image1)
        ErroreDiSistema("CreateWindowExW");
    SendMessageW(m_label1, WM_SETFONT, reinterpret_cast<WPARAM>(m_carattere), FALSE);
    // On another monitor than the main one the scale may differ, and the frame the system
    // drew may be taller than the one foreseen: lay out again for them. Otherwise the
    // layout made before the window stands, and measuring the text again would only delay
    // the window.
    bool altraMisura = attorno() != attornoPrevisto();
    if (const UINT dpi = GetDpiForWindow(m_hwnd); dpi != m_dpi) {
        m_dpi = dpi;
        preparaPerDpi();
        altraMisura = true;
    }
    if (altraMisura && m_finestra.leggeMostrata())
        m_finestra.Ridisponi();
    else
        dimensiona();
}

Form1Win32::~Form1Win32()
{
    if (m_hwnd) {
        // No message may reach this object while it is being taken apart.
        for (HWND finestra : {m_hwnd, m_label1, m_image1})
            SetWindowLongPtrW(finestra, GWLP_USERDATA, 0);
        DestroyWindow(m_hwnd);
    } else if (!m_creata)
        DestroyMenu(m_barra);
    if (m_acceleratori)
        DestroyAcceleratorTable(m_acceleratori);
    liberaImmagini();
    if (m_carattere)
        DeleteObject(m_carattere);
}

void Form1Win32::RendiInPrimoPiano()
{
    // Before the window exists this costs nothing: it is made on top.
    m_primoPiano = true;
    if (m_hwnd)
        SetWindowPos(m_hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void Form1Win32::MostraModo(Modo modo)
{
    for (UINT i = 0; i < TabellaModi.size(); ++i)
        CheckMenuItem(m_opzioni, IdPrimoModo + i,
                      MF_BYCOMMAND | (TabellaModi[i].modo == modo ? MF_CHECKED : MF_UNCHECKED));
}

void Form1Win32::MostraImmagini()
{
    // Both pictures are made for the window's scale once, and kept until the scale changes.
    if (m_hwnd)
        InvalidateRect(m_hwnd, nullptr, TRUE);
}

void Form1Win32::MostraTesto(const std::optional<std::string> &didascalia, const std::string &,
                             const std::string &testo)
{
    if (didascalia)
        m_didascalia = Utf8InUtf16(*didascalia);
    m_testo = Utf8InUtf16(testo);
    m_scorrimento = 0;
    if (!m_hwnd)
        return;
    if (didascalia)
        SetWindowTextW(m_hwnd, m_didascalia->c_str());
    // Kept as the label's own text too, where screen readers and the tests find it.
    SetWindowTextW(m_label1, m_testo.c_str());
}

void Form1Win32::Avvisa(const std::string &testo)
{
    MostraMessaggio(m_hwnd, MB_ICONERROR, testo);
}

void Form1Win32::Mostra()
{
    crea();
    SetWindowPos(m_hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    // So that Esc and Ctrl+C work at once, without a click on the window first.
    SetForegroundWindow(m_hwnd);
    SetFocus(m_hwnd);
}

MONITORINFO Form1Win32::monitor() const
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    const HMONITOR quale = m_hwnd ? MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTOPRIMARY)
                                  : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    GetMonitorInfoW(quale, &monitor);
    return monitor;
}

RECT Form1Win32::esterno() const
{
    RECT esterno{0, 0, pixel(AreaLarghezza), pixel(AreaAltezza)};
    AdjustWindowRectExForDpi(&esterno, Stile, TRUE, StileEsteso, m_dpi);
    return esterno;
}

int Form1Win32::eccesso() const
{
    // At a large scale on a small screen the window would be wider than the screen: it
    // gives up that much width, and the text wraps narrower.
    const RECT lavoro = monitor().rcWork;
    const RECT esterno = this->esterno();
    return std::max<int>(0, (esterno.right - esterno.left) - (lavoro.right - lavoro.left));
}

RECT Form1Win32::rettangolo() const
{
    const RECT esterno = this->esterno();
    const int larghezza = esterno.right - esterno.left - eccesso();
    const int altezza =
        m_disposizione ? m_disposizione->altezzaFinestra : esterno.bottom - esterno.top;
    // Centred on the monitor's work area, never past its top or left edge.
    const RECT lavoro = monitor().rcWork;
    const int x =
        std::max<int>(lavoro.left, lavoro.left + (lavoro.right - lavoro.left - larghezza) / 2);
    const int y =
        std::max<int>(lavoro.top, lavoro.top + (lavoro.bottom - lavoro.top - altezza) / 2);
    return RECT{x, y, x + larghezza, y + altezza};
}

Form1Win32::Posti Form1Win32::postiFigli() const
{
    const int larghezza = pixel(Label1Larghezza) - eccesso();
    if (m_disposizione)
        return {larghezza, m_disposizione->altezzaVisibile, m_disposizione->bannerAlto,
                m_disposizione->bannerLarghezza, m_disposizione->bannerAltezza};
    return {larghezza, pixel(Label1Altezza), pixel(Image1Alto), pixel(Image1Larghezza),
            pixel(Image1Altezza)};
}

int Form1Win32::pixel(int twip) const
{
    return MulDiv(twip, static_cast<int>(m_dpi), TwipPerPollice);
}

void Form1Win32::liberaImmagini()
{
    for (Immagine *immagine : {&m_sfondo, &m_banner}) {
        if (immagine->bitmap)
            DeleteObject(immagine->bitmap);
        *immagine = {};
    }
}

void Form1Win32::adattaBanner(int larghezza, int altezza)
{
    if (larghezza <= 0 || altezza <= 0 ||
        (m_banner.larghezza == larghezza && m_banner.altezza == altezza))
        return;
    if (m_banner.bitmap)
        DeleteObject(m_banner.bitmap);
    m_banner = {nullptr, larghezza, altezza, m_banner.risorsa};
}

HBITMAP Form1Win32::pronta(Immagine &immagine) const
{
    // Loading and stretching the pictures was the largest part of the work before the
    // window could show, and under load the part that grew most: it waits for the first paint.
    if (!immagine.bitmap && immagine.risorsa && immagine.larghezza > 0 && immagine.altezza > 0) {
        if (HBITMAP originale = CaricaBitmap(m_istanza, immagine.risorsa)) {
            immagine.bitmap = Adatta(originale, immagine.larghezza, immagine.altezza);
            DeleteObject(originale);
        }
    }
    return immagine.bitmap;
}

int Form1Win32::attorno() const
{
    // The caption, the menu bar (on more than one line when it wraps) and the borders.
    if (m_hwnd) {
        RECT finestra{};
        RECT area{};
        GetWindowRect(m_hwnd, &finestra);
        GetClientRect(m_hwnd, &area);
        return (finestra.bottom - finestra.top) - area.bottom;
    }
    return attornoPrevisto();
}

int Form1Win32::attornoPrevisto() const
{
    const RECT esterno = this->esterno();
    return (esterno.bottom - esterno.top) - pixel(AreaAltezza);
}

void Form1Win32::preparaPerDpi()
{
    NONCLIENTMETRICSW metriche{};
    metriche.cbSize = sizeof metriche;
    SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metriche, &metriche, 0, m_dpi);
    if (m_carattere)
        DeleteObject(m_carattere);
    m_carattere = CreateFontIndirectW(&metriche.lfMessageFont);

    // The picture drawn for the nearest scale at or above the monitor's, shrunk to fit.
    const int percento = MulDiv(static_cast<int>(m_dpi), 100, 96);
    const int sfondo = percento <= 100   ? RISORSA_SFONDO
                       : percento <= 150 ? RISORSA_SFONDO_150
                                         : RISORSA_SFONDO_200;
    const int banner = percento <= 100   ? RISORSA_BANNER
                       : percento <= 150 ? RISORSA_BANNER_150
                                         : RISORSA_BANNER_200;
    liberaImmagini();
    const int lato = MulDiv(SfondoLato, static_cast<int>(m_dpi), 96);
    m_sfondo = {nullptr, lato, lato, sfondo};
    m_banner = {nullptr, pixel(Image1Larghezza), pixel(Image1Altezza), banner};
    if (m_label1)
        SendMessageW(m_label1, WM_SETFONT, reinterpret_cast<WPARAM>(m_carattere), FALSE);
}

int Form1Win32::AltezzaTesto(int larghezza) const
{
    // The screen's own context measures as the label's will.
    HDC dc = GetDC(m_label1);
    const HGDIOBJ vecchio = SelectObject(dc, m_carattere);
    RECT area{0, 0, larghezza, 0};
    DrawTextW(dc, m_testo.c_str(), static_cast<int>(m_testo.size()), &area,
              FormatoTesto | DT_CALCRECT);
    SelectObject(dc, vecchio);
    ReleaseDC(m_label1, dc);
    return area.bottom - area.top;
}

MisureFinestra Form1Win32::Misure() const
{
    const MONITORINFO monitor = this->monitor();
    MisureFinestra misure;
    misure.margine = pixel(MargineVerticale);
    misure.distanzaBanner = pixel(DistanzaBanner);
    misure.larghezzaTesto = pixel(Label1Larghezza) - eccesso();
    // The scroll bar stands inside the label, beside the text.
    misure.larghezzaAccantoBarra =
        misure.larghezzaTesto - GetSystemMetricsForDpi(SM_CXVSCROLL, m_dpi);
    misure.altezzaMassima = monitor.rcWork.bottom - monitor.rcWork.top;
    misure.attorno = attorno();
    misure.bannerLarghezza = pixel(Image1Larghezza);
    misure.bannerAltezza = pixel(Image1Altezza);
    misure.riduzione = eccesso();
    return misure;
}

void Form1Win32::Applica(const Disposizione &disposizione)
{
    m_disposizione = disposizione;
    if (m_hwnd)
        dimensiona();
}

void Form1Win32::dimensiona()
{
    const RECT esterno = rettangolo();
    const int larghezza = esterno.right - esterno.left;
    const int altezza = esterno.bottom - esterno.top;
    const auto [label1Larghezza, label1Altezza, bannerAlto, bannerLarghezza, bannerAltezza] =
        postiFigli();
    adattaBanner(bannerLarghezza, bannerAltezza);
    const bool scorre = m_disposizione && m_disposizione->scorre;
    if (m_disposizione)
        m_altezzaTesto = m_disposizione->altezzaTesto;

    // Each move costs a trip to the display server under some systems: only what changes.
    const auto colloca = [](HWND hwnd, int x, int y, int larghezza, int altezza) {
        RECT ora{};
        GetWindowRect(hwnd, &ora);
        MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT *>(&ora), 2);
        const bool figlio = GetParent(hwnd) != nullptr;
        if (ora.right - ora.left != larghezza || ora.bottom - ora.top != altezza ||
            (figlio && (ora.left != x || ora.top != y)))
            SetWindowPos(hwnd, nullptr, x, y, larghezza, altezza,
                         SWP_NOZORDER | SWP_NOACTIVATE | (figlio ? 0 : SWP_NOMOVE));
    };
    colloca(m_hwnd, 0, 0, larghezza, altezza);
    colloca(m_label1, pixel(Label1Sinistra), 0, label1Larghezza, label1Altezza);
    // The banner's strip runs down to the window's bottom edge; its picture keeps its own
    // height and its last row fills what is left.
    RECT area{};
    GetClientRect(m_hwnd, &area);
    colloca(m_image1, 0, bannerAlto, m_banner.larghezza,
            std::max<int>(m_banner.altezza, area.bottom - bannerAlto));
    if (!scorre)
        m_scorrimento = 0;
    // A range that fits in one page hides the scroll bar.
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMax = scorre ? m_altezzaTesto - 1 : 0;
    info.nPage = scorre ? static_cast<UINT>(label1Altezza) : 1;
    info.nPos = m_scorrimento;
    SetScrollInfo(m_label1, SB_VERT, &info, TRUE);
    scorri(m_scorrimento);
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

void Form1Win32::scorri(int posizione)
{
    RECT area{};
    GetClientRect(m_label1, &area);
    const int massimo = std::max(0, m_altezzaTesto - static_cast<int>(area.bottom));
    m_scorrimento = std::clamp(posizione, 0, massimo);
    SetScrollPos(m_label1, SB_VERT, m_scorrimento, TRUE);
    InvalidateRect(m_label1, nullptr, FALSE);
}

void Form1Win32::disegnaSfondo(HDC dc, int x, int y, int larghezza, int altezza)
{
    // (x, y) is where the drawing's top-left corner lies in the window's client area.
    const RECT tutto{0, 0, larghezza, altezza};
    HBRUSH bianco = CreateSolidBrush(ColoreOltreSfondo);
    FillRect(dc, &tutto, bianco);
    DeleteObject(bianco);
    if (!pronta(m_sfondo))
        return;
    HDC memoria = CreateCompatibleDC(dc);
    const HGDIOBJ vecchia = SelectObject(memoria, m_sfondo.bitmap);
    BitBlt(dc, 0, 0, std::min(larghezza, m_sfondo.larghezza - x),
           std::min(altezza, m_sfondo.altezza - y), memoria, x, y, SRCCOPY);
    SelectObject(memoria, vecchia);
    DeleteDC(memoria);
}

void Form1Win32::copia() const
{
    const std::wstring leggibile = Utf8InUtf16(m_finestra.TestoDaCopiare());
    if (leggibile.empty())
        return;
    // Windows programs expect CR LF between lines of pasted text.
    std::wstring testo;
    for (const wchar_t c : leggibile) {
        if (c == L'\n')
            testo += L'\r';
        testo += c;
    }
    // Another program (a clipboard manager) may hold the clipboard for a moment.
    bool aperti = false;
    for (int tentativo = 0; tentativo < 20 && !(aperti = OpenClipboard(m_hwnd)); ++tentativo)
        Sleep(10);
    if (!aperti)
        return;
    EmptyClipboard();
    const std::size_t byte = (testo.size() + 1) * sizeof(wchar_t);
    if (HGLOBAL memoria = GlobalAlloc(GMEM_MOVEABLE, byte)) {
        if (void *dati = GlobalLock(memoria)) {
            std::copy_n(testo.c_str(), testo.size() + 1, static_cast<wchar_t *>(dati));
            GlobalUnlock(memoria);
            if (!SetClipboardData(CF_UNICODETEXT, memoria))
                GlobalFree(memoria);
        } else {
            GlobalFree(memoria);
        }
    }
    CloseClipboard();
}

LRESULT CALLBACK Form1Win32::ProceduraForm1(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    auto *finestra = Proprietario<Form1Win32>(hwnd, msg, l);
    if (!finestra)
        return DefWindowProcW(hwnd, msg, w, l);
    if (msg == WM_NCDESTROY) {
        // Closed by the user: the object outlives its window and must not destroy it again.
        finestra->m_hwnd = finestra->m_label1 = finestra->m_image1 = nullptr;
        return DefWindowProcW(hwnd, msg, w, l);
    }
    if (!finestra->m_hwnd)
        finestra->m_hwnd = hwnd;
    return finestra->messaggio(msg, w, l);
}

LRESULT Form1Win32::messaggio(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case WM_ERASEBKGND: {
        RECT area{};
        GetClientRect(m_hwnd, &area);
        disegnaSfondo(reinterpret_cast<HDC>(w), 0, 0, area.right, area.bottom);
        return 1;
    }
    case WM_INITMENUPOPUP:
        // Another window of the program may have stored another mode since this one read it.
        if (reinterpret_cast<HMENU>(w) == m_opzioni)
            m_finestra.ApriMenu();
        return 0;
    case WM_COMMAND:
        if (const UINT id = LOWORD(w); id >= IdPrimoModo && id < IdPrimoModo + TabellaModi.size()) {
            m_finestra.Casuale_Click(TabellaModi[id - IdPrimoModo].modo);
            return 0;
        }
        switch (LOWORD(w)) {
        case IdEsci:
            PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
            return 0;
        case IdCopia:
            copia();
            return 0;
        case IdAvanti:
        case IdIndietro:
            m_finestra.Sfoglia(LOWORD(w) == IdAvanti ? Direzione::Avanti : Direzione::Indietro);
            return 0;
        case IdInizio:
            m_finestra.TornaAllInizio();
            return 0;
        }
        break;
    case WM_MOUSEWHEEL:
        return SendMessageW(m_label1, msg, w, l);
    case WM_KEYDOWN:
        switch (w) {
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_HOME:
        case VK_END:
            return SendMessageW(m_label1, msg, w, l);
        }
        break;
    case WM_DPICHANGED: {
        m_dpi = HIWORD(w);
        preparaPerDpi();
        const auto *suggerito = reinterpret_cast<const RECT *>(l);
        SetWindowPos(m_hwnd, nullptr, suggerito->left, suggerito->top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (m_finestra.leggeMostrata())
            m_finestra.Ridisponi();
        else
            dimensiona();
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(m_hwnd, msg, w, l);
}

LRESULT CALLBACK Form1Win32::ProceduraLabel1(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    if (auto *finestra = Proprietario<Form1Win32>(hwnd, msg, l)) {
        if (!finestra->m_label1)
            finestra->m_label1 = hwnd;
        return finestra->messaggioLabel1(msg, w, l);
    }
    return DefWindowProcW(hwnd, msg, w, l);
}

LRESULT Form1Win32::messaggioLabel1(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(m_carattere);
    case WM_SETFONT:
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_label1, &ps);
        RECT area{};
        GetClientRect(m_label1, &area);
        // Drawn off screen first, so that scrolling does not flicker.
        HDC memoria = CreateCompatibleDC(dc);
        HBITMAP tela = CreateCompatibleBitmap(dc, area.right, area.bottom);
        const HGDIOBJ vecchiaTela = SelectObject(memoria, tela);
        POINT origine{0, 0};
        MapWindowPoints(m_label1, m_hwnd, &origine, 1);
        disegnaSfondo(memoria, origine.x, origine.y, area.right, area.bottom);
        const HGDIOBJ vecchioCarattere = SelectObject(memoria, m_carattere);
        SetBkMode(memoria, TRANSPARENT);
        SetTextColor(memoria, ColoreTesto);
        RECT testo{0, -m_scorrimento, area.right, m_altezzaTesto - m_scorrimento};
        DrawTextW(memoria, m_testo.c_str(), static_cast<int>(m_testo.size()), &testo, FormatoTesto);
        BitBlt(dc, 0, 0, area.right, area.bottom, memoria, 0, 0, SRCCOPY);
        SelectObject(memoria, vecchioCarattere);
        SelectObject(memoria, vecchiaTela);
        DeleteObject(tela);
        DeleteDC(memoria);
        EndPaint(m_label1, &ps);
        return 0;
    }
    case WM_VSCROLL: {
        RECT area{};
        GetClientRect(m_label1, &area);
        const int riga = std::max(1, static_cast<int>(area.bottom) / 10);
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        GetScrollInfo(m_label1, SB_VERT, &info);
        switch (LOWORD(w)) {
        case SB_LINEUP:
            scorri(m_scorrimento - riga);
            break;
        case SB_LINEDOWN:
            scorri(m_scorrimento + riga);
            break;
        case SB_PAGEUP:
            scorri(m_scorrimento - area.bottom);
            break;
        case SB_PAGEDOWN:
            scorri(m_scorrimento + area.bottom);
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            scorri(info.nTrackPos);
            break;
        case SB_TOP:
            scorri(0);
            break;
        case SB_BOTTOM:
            scorri(m_altezzaTesto);
            break;
        }
        return 0;
    }
    case WM_MOUSEWHEEL: {
        RECT area{};
        GetClientRect(m_label1, &area);
        const int passo = static_cast<int>(area.bottom) / 4;
        scorri(m_scorrimento - GET_WHEEL_DELTA_WPARAM(w) * passo / WHEEL_DELTA);
        return 0;
    }
    case WM_KEYDOWN: {
        const WPARAM comando[][2] = {{VK_UP, SB_LINEUP},    {VK_DOWN, SB_LINEDOWN},
                                     {VK_PRIOR, SB_PAGEUP}, {VK_NEXT, SB_PAGEDOWN},
                                     {VK_HOME, SB_TOP},     {VK_END, SB_BOTTOM}};
        for (const auto &[tasto, scorrimento] : comando) {
            if (tasto == w)
                return messaggioLabel1(WM_VSCROLL, scorrimento, 0);
        }
        return 0;
    }
    }
    return DefWindowProcW(m_label1, msg, w, l);
}

LRESULT CALLBACK Form1Win32::ProceduraImage1(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    auto *finestra = Proprietario<Form1Win32>(hwnd, msg, l);
    if (finestra && msg == WM_ERASEBKGND)
        return 1;
    if (finestra && msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (Immagine &banner = finestra->m_banner; finestra->pronta(banner)) {
            RECT area{};
            GetClientRect(hwnd, &area);
            HDC memoria = CreateCompatibleDC(dc);
            const HGDIOBJ vecchia = SelectObject(memoria, banner.bitmap);
            BitBlt(dc, 0, 0, banner.larghezza, banner.altezza, memoria, 0, 0, SRCCOPY);
            if (area.bottom > banner.altezza)
                StretchBlt(dc, 0, banner.altezza, banner.larghezza, area.bottom - banner.altezza,
                           memoria, 0, banner.altezza - 1, banner.larghezza, 1, SRCCOPY);
            SelectObject(memoria, vecchia);
            DeleteDC(memoria);
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, w, l);
}

} // namespace legge
