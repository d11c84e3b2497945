// SPDX-License-Identifier: GPL-3.0-or-later
// Message boxes through the system's wide-character API, with the icon each tone calls for.
#include "win32/messaggiwin32.h"

#include "finestra/testi.h"
#include "sistema/utf16.h"

namespace legge {

void MostraMessaggio(HWND proprietario, UINT icona, std::string_view testo)
{
    const HWND attiva = GetActiveWindow();
    MessageBoxW(proprietario, Utf8InUtf16(testo).c_str(), Utf8InUtf16(TitoloMessaggi).c_str(),
                MB_OK | icona | MB_SETFOREGROUND);
    // The window the box belongs to, or else the one that had the keyboard, takes it back:
    // not every window manager under Wine hands it over when the box goes.
    const HWND torna = proprietario ? proprietario : attiva;
    if (torna && IsWindow(torna) && IsWindowVisible(torna)) {
        SetForegroundWindow(torna);
        SetFocus(torna);
    }
}

void MostraMessaggio(HWND proprietario, const Messaggio &messaggio)
{
    switch (messaggio.tono) {
    case Tono::Risposta:
    case Tono::Informazione:
        return MostraMessaggio(proprietario, MB_ICONINFORMATION, messaggio.testo);
    case Tono::Avviso:
        return MostraMessaggio(proprietario, MB_ICONWARNING, messaggio.testo);
    case Tono::Errore:
        break;
    }
    MostraMessaggio(proprietario, MB_ICONERROR, messaggio.testo);
}

} // namespace legge
