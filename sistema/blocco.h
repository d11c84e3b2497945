// SPDX-License-Identifier: GPL-3.0-or-later
// The bounded wait for a file's lock, written once in sostituisci.cpp for the readers and the
// writers of both systems. Only sistema/ includes this.
#pragma once

#include "sistema/file.h"
#include "sistema/nativo.h"

namespace legge {

// Takes the lock of `file`, exclusive for a writer, shared for a reader, trying again until
// `attesa` runs out; then throws ErroreFile::Tipo::Bloccato naming `percorso`, for the
// `operazione` that could not go on. Where the system has no locks for the file, it goes on
// without one: better unlocked than not at all.
void Blocca(nativo::Maniglia file, bool esclusivo, const std::filesystem::path &percorso,
            const Attesa &attesa, ErroreFile::Operazione operazione);

// The shared lock of a reader that needs `file` whole, taken only where a writer could
// change it under the reader: when it has more than one name, which is rewritten in place.
void BloccaPerLeggere(const FileAperto &file, const Attesa &attesa);

} // namespace legge
