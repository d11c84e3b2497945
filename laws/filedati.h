#pragma once

#include <filesystem>

namespace legge {

// Opens one of the data files for reading. Anything but a regular file is refused: a
// FIFO would block the start for ever and a device may never end.
// Returns -1 when the file does not exist; throws ErroreFile for any other failure.
int ApriFileDati(const std::filesystem::path &percorso);

} // namespace legge
