// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows program: the shared start, on Win32.
#include "finestra/casuale.h"
#include "finestra/partenza.h"
#include "finestra/testi.h"
#include "sistema/argomenti.h"
#include "win32/form1win32.h"
#include "win32/messaggiwin32.h"

#include <windows.h>

#include <exception>

int WINAPI wWinMain(HINSTANCE istanza, HINSTANCE, PWSTR, int)
{
    const legge::Partenza partenza(legge::ArgomentiDelProcesso(), legge::Regole::Windows);
    for (const legge::Messaggio &messaggio : partenza.subito())
        legge::MostraMessaggio(nullptr, messaggio);
    if (const auto fine = partenza.fine())
        return *fine;

    try {
        legge::Form1Win32 form1(istanza, partenza.cartella());
        legge::OrologioDiSistema orologio;
        legge::GeneratoreCasuale casuale;
        if (const auto errore = partenza.Avvia(form1.finestra(), orologio, casuale)) {
            legge::MostraMessaggio(nullptr, MB_ICONERROR, *errore);
            return 1;
        }
        form1.Mostra();
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (TranslateAcceleratorW(form1.hwnd(), form1.acceleratori(), &msg))
                continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        return static_cast<int>(msg.wParam);
    } catch (const std::exception &errore) {
        legge::MostraMessaggio(nullptr, MB_ICONERROR,
                               legge::TestoErrore(legge::AvvioFallito, errore));
        return 1;
    }
}
