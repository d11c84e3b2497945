// SPDX-License-Identifier: GPL-3.0-or-later
// What the start-up decides before the window is shown: today's law or a random one, by the
// stored mode, and the second try after a failure, with the stored mode reset.
#pragma once

#include "leggi/giorno.h"
#include "opzioni/modo.h"

#include <filesystem>

namespace legge {

class SorgenteCasuale;

// What the start-up needs of the window.
class FinestraAvvio {
public:
    virtual ~FinestraAvvio() = default;
    virtual void RendiInPrimoPiano() = 0;
    virtual Modo modo() const = 0;
    virtual void ImpostaModo(Modo modo) = 0;
    virtual void MostraLegge(int numeroGiorno) = 0;
    // The source the start-up drew from, which outlives the window's run; a window that
    // draws more laws goes on from it.
    virtual void UsaCasuale(SorgenteCasuale & /*casuale*/) {}
};

class Orologio {
public:
    virtual ~Orologio() = default;
    virtual Data oggi() const = 0;
    virtual float secondiDallaMezzanotte() const = 0;
};

class SorgenteCasuale {
public:
    virtual ~SorgenteCasuale() = default;
    virtual void semina(float seme) = 0;
    // Uniform in [0, 1).
    virtual float estrai() = 0;
};

// The law number for a draw r in [0, 1): 1 to 365, never 366 or 500.
int NumeroCasuale(float r);

// Decides which law the window shows and shows it; Option.dat is looked up in `cartella`.
// Any failure after the window is made topmost rewrites Option.dat with the default mode
// and tries once more; a failure on that second attempt is thrown to the caller.
void Form_Load(FinestraAvvio &finestra, const std::filesystem::path &cartella,
               const Orologio &orologio, SorgenteCasuale &casuale);

} // namespace legge
