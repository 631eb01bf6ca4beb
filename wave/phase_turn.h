// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// cos and sin of a phase given in turns, from the same IEEE operations on
// every machine: no library call whose last bit may differ between
// processors (the project builds without contracted multiply-adds).

#include <cmath>

namespace sg::wave {

struct Phasor {
    double re = 0, im = 0;
};

// (cos 2 pi t, sin 2 pi t) for finite t with |t| < 2^50. The whole turns
// and quarter turns come off exactly, leaving |x| <= pi / 4, where the
// Taylor series through x^15 (sine) and x^16 (cosine) leave out less than
// 5e-17.
[[gnu::always_inline]] inline Phasor phasorOfTurns(double t) {
    const double f = t - std::floor(t + 0.5);          // [-1/2, 1/2] turn
    const double quarter = std::floor(4 * f + 0.5);    // -2 .. 2
    const double x = 6.283185307179586 * (f - 0.25 * quarter);
    const double x2 = x * x;
    const double s =
        x * (1 + x2 * (-1.0 / 6 + x2 * (1.0 / 120 + x2 * (-1.0 / 5040 + x2 * (1.0 / 362880 +
        x2 * (-1.0 / 39916800 + x2 * (1.0 / 6227020800 + x2 * (-1.0 / 1307674368000))))))));
    const double c =
        1 + x2 * (-0.5 + x2 * (1.0 / 24 + x2 * (-1.0 / 720 + x2 * (1.0 / 40320 + x2 * (-1.0 / 3628800 +
        x2 * (1.0 / 479001600 + x2 * (-1.0 / 87178291200 + x2 * (1.0 / 20922789888000))))))));
    // Turn (c, s) on by the quarter turns taken off: -1 is 3 (mod 4), -2 is 2.
    const int q = static_cast<int>(quarter) & 3;
    Phasor p{c, s};
    if (q & 1) p = Phasor{-s, c};
    if (q & 2) p = Phasor{-p.re, -p.im};
    return p;
}

}  // namespace sg::wave
