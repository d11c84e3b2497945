// SPDX-License-Identifier: GPL-3.0-or-later
// A made-up collection with a law under every number, so that the screenshots and the start-up
// benchmark show a law of a chosen length on any day, whatever is installed.
#pragma once

#include <string>

// Writes a scrambled Massime.dat into `cartella` holding a law for every number (1 to
// 366 and 500), each made of whole sentences and at least `lunghezza`
// bytes long; false on failure.
bool ScriviMassimeDiProva(const std::string &cartella, std::size_t lunghezza);
