// SPDX-License-Identifier: GPL-3.0-or-later
// A tool window kept out of the task bar and the pager on X11, which Qt's flags alone do not do.
#pragma once

class QWindow;

namespace legge {

// Asks the window manager to leave `finestra` out of the task bar and the pager, keeping
// whatever other state the window has (staying on top among them). Call it each time
// the window is about to be shown, after its native window exists: a window manager
// forgets the state of a window once it is hidden. Does nothing outside X11.
void TieniFuoriDallaBarra(QWindow *finestra);

} // namespace legge
