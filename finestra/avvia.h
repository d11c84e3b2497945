// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up as the front-ends run it: the folder the data files are looked up in, and the
// first law shown, with a failure that leaves nothing to show put into words for the user.
#pragma once

#include "finestra/formload.h"

#include <filesystem>
#include <optional>
#include <string>

namespace legge {

// Where both data files live: the current directory when the program starts. A name that
// is not valid in any encoding is kept as the system's own bytes; when the directory can no
// longer be told (it was removed), the files are looked up relative to it all the same.
std::filesystem::path CartellaDiLavoro();

// Runs the start-up on the window. When the law cannot be shown even after the recovery
// pass, returns the text (UTF-8) to tell the user before the program ends; the window must
// then not be shown.
std::optional<std::string> Avvia(FinestraAvvio &finestra, const std::filesystem::path &cartella,
                                 const Orologio &orologio, SorgenteCasuale &casuale);

} // namespace legge
