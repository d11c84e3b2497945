// SPDX-License-Identifier: GPL-3.0-or-later
#include "avvio/avvia.h"
#include "avvio/casuale.h"
#include "avvio/rigadicomando.h"
#include "avvio/testi.h"
#include "sistema/utf16.h"
#include "versione.h"
#include "win32/form1win32.h"
#include "win32/messaggiwin32.h"

#include <windows.h>

#include <shellapi.h>

#include <exception>
#include <string>

namespace {

// The program takes no options; an answer here means it ends at once, touching no file.
// Returns the exit status, or -1 to go on.
int RigaDiComando()
{
    int quanti = 0;
    LPWSTR *argomenti = CommandLineToArgvW(GetCommandLineW(), &quanti);
    if (!argomenti || quanti < 2) {
        LocalFree(argomenti);
        return -1;
    }
    const std::wstring primo = argomenti[1];
    const std::string testo = legge::Utf16InUtf8(argomenti[1]);
    LocalFree(argomenti);
    if (primo == L"--help" || primo == L"/?") {
        legge::MostraMessaggio(nullptr, MB_ICONINFORMATION, legge::TestoAiutoWindows());
        return 0;
    }
    if (primo == L"--version") {
        legge::MostraMessaggio(nullptr, MB_ICONINFORMATION, legge::TestoVersione(LEGGE_VERSIONE));
        return 0;
    }
    legge::MostraMessaggio(nullptr, MB_ICONERROR,
                           legge::TestoArgomentoSbagliato("leggealgiorno", testo));
    return 2;
}

} // namespace

int WINAPI wWinMain(HINSTANCE istanza, HINSTANCE, PWSTR, int)
{
    if (const int esito = RigaDiComando(); esito >= 0)
        return esito;

    try {
        const auto cartella = legge::CartellaDiLavoro();
        legge::Form1Win32 form1(istanza, cartella);
        legge::OrologioDiSistema orologio;
        legge::GeneratoreCasuale casuale;
        if (const auto errore = legge::Avvia(form1.finestra(), cartella, orologio, casuale)) {
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
