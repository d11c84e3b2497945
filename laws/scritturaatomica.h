#pragma once

#include <filesystem>
#include <string_view>

namespace legge {

// Replaces the content of `percorso` with `contenuto` so that a reader, a crash or a
// full disk can only ever see the old content or the new one. The new content goes
// to a temporary file beside the target, is flushed to disk and renamed over it.
// When the directory refuses the temporary file but the target itself is writable,
// the target is rewritten in place as a last resort.
// Throws ErroreFile; on failure no temporary file is left behind.
void ScriviFileAtomico(const std::filesystem::path &percorso, std::string_view contenuto);

} // namespace legge
