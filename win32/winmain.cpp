// SPDX-License-Identifier: GPL-3.0-or-later
#include "avvio/avvia.h"
#include "avvio/cartellautente.h"
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

// The one option that starts the program is --cartella-utente, which the shortcuts give;
// any other answer here means it ends at once, touching no file.
// Returns the exit status, or -1 to go on.
int RigaDiComando(bool &cartellaUtente)
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
    if (primo == L"--cartella-utente" && quanti == 2) {
        cartellaUtente = true;
        return -1;
    }
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
    bool cartellaUtente = false;
    if (const int esito = RigaDiComando(cartellaUtente); esito >= 0)
        return esito;
    if (cartellaUtente) {
        try {
            const auto pronta = legge::PreparaCartellaUtente();
            if (pronta.collegamentoInterrotto) {
                legge::MostraMessaggio(nullptr, MB_ICONWARNING,
                                       legge::TestoCollegamentoInterrotto(
                                           pronta.cartella,
                                           *pronta.collegamentoInterrotto));
            }
        } catch (const std::exception &errore) {
            legge::MostraMessaggio(nullptr, MB_ICONERROR,
                                   legge::TestoErrore(legge::CartellaNonPronta, errore));
            return 1;
        }
    }

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
