// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Stand-ins for the clock and the random source, so that a test of the start-up chooses
// what they answer.

#include "finestra/formload.h"

#include <vector>

namespace prova {

// A clock stopped at 01:02:03 on 3 May 2023, or wherever a test sets it.
class OrologioFermo : public legge::Orologio {
public:
    legge::Data data{2023, 5, 3};
    float secondi = 3723.f;
    legge::Data oggi() const override { return data; }
    float secondiDallaMezzanotte() const override { return secondi; }
};

// Hands out the given draws in turn, then zeros, and keeps the seeds.
class CasualeFinto : public legge::SorgenteCasuale {
public:
    std::vector<float> estrazioni;
    std::vector<float> semi;
    int estratte = 0;
    void semina(float seme) override { semi.push_back(seme); }
    float estrai() override
    {
        const auto i = std::size_t(estratte++);
        return i < estrazioni.size() ? estrazioni[i] : 0.f;
    }
};

} // namespace prova
