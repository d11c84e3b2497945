// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The local clock: the only place the program asks the system what time it is.

namespace legge {

// The local date and time of day.
struct MomentoLocale {
    int anno;
    int mese;   // 1..12
    int giorno; // 1..31
    // With the fraction the clock gives: two starts in the same second differ.
    double secondiDallaMezzanotte;
};
MomentoLocale OraLocale();

} // namespace legge
