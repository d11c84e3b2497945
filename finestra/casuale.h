// SPDX-License-Identifier: GPL-3.0-or-later
// The system's side of the start-up's choice, the clock and the random draws, behind interfaces
// so that the tests can fix the day and the draw.
#pragma once

#include "finestra/formload.h"

#include <cstdint>

namespace legge {

// SplitMix64 over the seed's bit pattern; each draw keeps the top 24 bits, which a float
// holds exactly, so every value is a multiple of 2^-24 in [0, 1). The same seed gives
// the same draws.
class GeneratoreCasuale : public SorgenteCasuale {
public:
    void semina(float seme) override;
    float estrai() override;

private:
    std::uint64_t m_stato = 0;
};

// The local clock.
class OrologioDiSistema : public Orologio {
public:
    Data oggi() const override;
    float secondiDallaMezzanotte() const override;
};

} // namespace legge
