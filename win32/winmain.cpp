// SPDX-License-Identifier: GPL-3.0-or-later
#include "avvio/avvia.h"
#include "avvio/casuale.h"
#include "avvio/messaggi.h"
#include "avvio/rigadicomando.h"
#include "win32/form1win32.h"
#include "sistema/utf16.h"
#include "win32/messaggiwin32.h"
#include "versione.h"

#include <windows.h>

#include <shellapi.h>

#include <exception>
#include <string>

namespace {

constexpr char Aiuto[] =
    "Una Legge al Giorno mostra a ogni avvio una legge, una breve massima con il suo titolo, in "
    "una finestra che resta sopra le altre.\n\n"
    "Non accetta opzioni. Legge Massime.dat e Option.dat nella cartella da cui viene avviato: "
    "il collegamento nel menu Start la imposta sulla cartella dei dati in %APPDATA%.\n\n"
    "Esc chiude la finestra, Ctrl+C copia la legge.";

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
        legge::MostraMessaggio(nullptr, MB_ICONINFORMATION, Aiuto);
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
