// SPDX-License-Identifier: GPL-3.0-or-later
// The user's folders and the program's own file on Windows. Apart from win32.cpp because the
// known-folder call needs ole32, which only the window program should load: the tool never
// asks for these, so the linker leaves this file, and ole32, out of it.
#include "sistema/cartelle.h"
#include "sistema/errorefile.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <string>

namespace legge {

std::filesystem::path CartellaDatiUtente()
{
    // Roaming, as the data folder always was: the user's collection and mode follow them
    // from one computer to another.
    PWSTR cartella = nullptr;
    const HRESULT esito =
        ::SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &cartella);
    std::filesystem::path risultato =
        SUCCEEDED(esito) ? std::filesystem::path(cartella) : std::filesystem::path();
    ::CoTaskMemFree(cartella);
    if (FAILED(esito))
        throw ErroreFile::daSistema(L"%APPDATA%", static_cast<int>(HRESULT_CODE(esito)));
    return risultato;
}

std::filesystem::path CartellaConfigurazioneUtente()
{
    return CartellaDatiUtente();
}

std::filesystem::path ProgrammaInEsecuzione()
{
    std::wstring percorso(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            ::GetModuleFileNameW(nullptr, percorso.data(), static_cast<DWORD>(percorso.size()));
        if (n == 0)
            return {};
        if (n < percorso.size()) {
            percorso.resize(n);
            return percorso;
        }
        percorso.resize(percorso.size() * 2);
    }
}

} // namespace legge
