// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows program's message boxes, titled with its name, in the tone of what they say.
#pragma once

#include "finestra/partenza.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace legge {

// A message box with the program's title; `testo` is UTF-8 and shown as plain text.
// `icona` is one of the MB_ICON values.
void MostraMessaggio(HWND proprietario, UINT icona, std::string_view testo);
// The same, with the icon of the message's tone.
void MostraMessaggio(HWND proprietario, const Messaggio &messaggio);

} // namespace legge
