// SPDX-License-Identifier: GPL-3.0-or-later
#include "win32/messaggiwin32.h"

#include "avvio/messaggi.h"

namespace legge {

std::wstring Utf16(std::string_view utf8)
{
    if (utf8.empty())
        return {};
    // Bytes that are not UTF-8 (a file name from an old system) become U+FFFD.
    const int lunghezza =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring testo(static_cast<std::size_t>(lunghezza), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), testo.data(),
                        lunghezza);
    return testo;
}

void MostraMessaggio(HWND proprietario, UINT icona, std::string_view testo)
{
    MessageBoxW(proprietario, Utf16(testo).c_str(), Utf16(TitoloMessaggi).c_str(),
                MB_OK | icona | MB_SETFOREGROUND);
}

} // namespace legge
