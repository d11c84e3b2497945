// SPDX-License-Identifier: GPL-3.0-or-later
// Starts programs and waits for their first window to appear on the X server, for the
// start-up benchmark and the screenshot.
#pragma once

#include <X11/Xlib.h>

#include <string>
#include <sys/types.h>
#include <vector>

struct Avviato {
    pid_t pid = -1;
    Window finestra = 0;
    double millisecondi = 0; // from just before exec to the window's MapNotify
};

// Whether `programma` is a Windows one (*.exe), to run under Wine.
bool SottoWine(const std::string &programma);

// The command that starts `programma`: itself, or Wine with it.
std::vector<std::string> Comando(const std::string &programma);

// Runs `comando` in `cartella` and returns once it maps a top-level window; pid -1 when
// it exits or nothing is mapped within `attesaMs`.
Avviato AvviaEAttendi(Display *display, const std::vector<std::string> &comando,
                      const std::string &cartella, int attesaMs);

// Resident memory of `pid`, in KiB; -1 when unknown.
long MemoriaResidenteKiB(pid_t pid);

void Termina(pid_t pid);
