// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Resource ids of the Windows program, read by both the resource script and the window.
// Plain #defines, since the resource compiler understands nothing else.

#define RISORSA_ICONA 1 // the lowest id: Explorer takes it as the program's icon
#define RISORSA_SFONDO 101
#define RISORSA_BANNER 102
// The same pictures drawn at 150 % and 200 %.
#define RISORSA_SFONDO_150 103
#define RISORSA_BANNER_150 104
#define RISORSA_SFONDO_200 105
#define RISORSA_BANNER_200 106
