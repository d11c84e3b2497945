// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The words the window program and the massime tool share, in UTF-8.

#include "sistema/errorefile.h"

#include <string>
#include <string_view>

namespace legge {

// Why a file could not be read or written, for the user: the system's own reason, or ours
// for the kind of error. A refused write adds that what stands there is left as it is.
std::string MotivoErrore(const ErroreFile &errore);

// What --version prints: the name, the version and the licence.
std::string TestoVersione(std::string_view versione);

} // namespace legge
