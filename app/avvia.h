#pragma once

#include "app/formload.h"

#include <QString>

#include <optional>

namespace legge {

class Form1;

// Runs the start-up on the window. When the law cannot be shown even after the recovery
// pass, returns the text to tell the user before the program ends; the window must then
// not be shown.
std::optional<QString> Avvia(Form1 &form1, const Orologio &orologio, SorgenteCasuale &casuale);

} // namespace legge
