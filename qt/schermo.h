// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the program does on either side of QApplication's creation that is Qt's own: the
// command line made fit for Qt, the display chosen and watched while Qt connects, Qt's
// messages held until then, and the application named.

#include <optional>
#include <string>

namespace legge {

class Schermo {
public:
    // Before QApplication: takes --cartella-utente (`cartellaUtente`) out of `argv`, prefers
    // XWayland, holds Qt's messages and gives the display a few seconds to answer; a failure
    // is told on standard error, after `programma`, and ends the program with status 1.
    Schermo(int &argc, char **argv, const std::string &programma, bool cartellaUtente);
    ~Schermo();
    Schermo(const Schermo &) = delete;
    Schermo &operator=(const Schermo &) = delete;

    // Once QApplication exists: lets the held messages out and names the application.
    // Returns the exit status when Qt left an argument it did not take, said on standard
    // error; nothing when the program goes on.
    std::optional<int> Pronto();

private:
    void Basta();
};

} // namespace legge
