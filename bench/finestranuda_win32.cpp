// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick for the Windows start-up in bench/startup: the program's window with its parts
// and nothing else: the same tool window kept on top, menu of six items, pictures from the
// same resources and a wrapped text in the message font; no file read, no logic.

#include "resources/risorse.h"

#include <windows.h>

#include <initializer_list>

namespace {

constexpr wchar_t Testo[] = L"\nSe aspetti l'autobus, arriva quello della direzione opposta; se "
                            L"attraversi la strada per prenderlo, arriva anche il tuo. Chi ha "
                            L"fretta trova sempre il semaforo rosso.";

HBITMAP sfondo, banner;
HFONT carattere;
int altezzaTesto;

LRESULT CALLBACK Procedura(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        HDC memoria = CreateCompatibleDC(dc);
        SelectObject(memoria, sfondo);
        BitBlt(dc, 0, 0, 450, 450, memoria, 0, 0, SRCCOPY);
        SelectObject(memoria, banner);
        RECT area{8, 0, 409, altezzaTesto};
        SelectObject(dc, carattere);
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, Testo, -1, &area, DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
        SetStretchBltMode(dc, HALFTONE);
        StretchBlt(dc, 0, area.bottom + 3, 417, 33, memoria, 0, 0, 450, 30, SRCCOPY);
        DeleteDC(memoria);
        EndPaint(hwnd, &ps);
        return 0;
    }
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, w, l);
}

} // namespace

int WINAPI wWinMain(HINSTANCE istanza, HINSTANCE, PWSTR, int)
{
    sfondo = LoadBitmapW(istanza, MAKEINTRESOURCEW(RISORSA_SFONDO));
    banner = LoadBitmapW(istanza, MAKEINTRESOURCEW(RISORSA_BANNER));
    NONCLIENTMETRICSW metriche{};
    metriche.cbSize = sizeof metriche;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metriche, &metriche, 0);
    carattere = CreateFontIndirectW(&metriche.lfMessageFont);
    // Like the program, and like the Qt yardstick's label, the window's height follows the
    // text, so the text is measured before the window is shown.
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, carattere);
    RECT area{8, 0, 409, 0};
    DrawTextW(dc, Testo, -1, &area, DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX | DT_CALCRECT);
    DeleteDC(dc);
    altezzaTesto = area.bottom;

    WNDCLASSW classe{};
    classe.lpfnWndProc = Procedura;
    classe.hInstance = istanza;
    classe.hIcon = LoadIconW(istanza, MAKEINTRESOURCEW(RISORSA_ICONA));
    classe.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    classe.lpszClassName = L"FinestraNuda";
    RegisterClassW(&classe);

    HMENU barra = CreateMenu(), opzioni = CreatePopupMenu();
    for (const wchar_t *voce :
         {L"Una Legge al Giorno", L"Legge Casuale", L"-------------------------",
          L"Le modifiche avranno", L"effetto alla prossima", L"esecuzione."})
        AppendMenuW(opzioni, MF_STRING, 0, voce);
    AppendMenuW(barra, MF_POPUP, reinterpret_cast<UINT_PTR>(opzioni), L"Opzioni");
    HWND hwnd =
        CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"FinestraNuda", L"  Legge dell'attesa",
                        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT, 424,
                        170, nullptr, barra, istanza, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    MSG messaggio;
    while (GetMessageW(&messaggio, nullptr, 0, 0) > 0) {
        TranslateMessage(&messaggio);
        DispatchMessageW(&messaggio);
    }
    return 0;
}
