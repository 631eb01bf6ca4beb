// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace sg {

// The shadowgram's 32-bit linear congruential generator. It starts at seed
// 0 with the program and is never reseeded, so the same sequence of passes
// draws the same points on every run.
class RandomGenerator {
public:
    // seed := seed * 134775813 + 1 (mod 2^32); returns the high word of
    // seed * 10000, a value 0..9999.
    int next() {
        seed_ = seed_ * 134775813u + 1u;
        return static_cast<int>((static_cast<std::uint64_t>(seed_) * 10000u) >> 32);
    }
    // A coordinate in [-D/2, D/2) in steps of D/10000.
    double coordinate(double diameter) { return (next() / 10000.0 - 0.5) * diameter; }

    std::uint32_t seed() const { return seed_; }
    // Puts the generator back to a state it had; used when a pass stops
    // part-way, so that the sequence runs on from the failing sample.
    void restore(std::uint32_t seed) { seed_ = seed; }

private:
    std::uint32_t seed_ = 0;
};

}  // namespace sg
