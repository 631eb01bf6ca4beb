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

// (cos 2 pi t, sin 2 pi t) for finite t with |t| < 2^30. The whole turns
// and quarter turns come off exactly (rounded to the nearest by adding and
// taking away 1.5 2^52, which leaves no fraction), leaving |x| <= pi / 4,
// where the Taylor series through x^15 (sine) and x^16 (cosine) leave out
// less than 5e-17. Written without branches, so that loops of it vectorise.
[[gnu::always_inline]] inline Phasor phasorOfTurns(double t) {
    constexpr double kRound = 6755399441055744.0;
    const double f = t - ((t + kRound) - kRound);            // [-1/2, 1/2] turn
    const double quarter = (4 * f + kRound) - kRound;        // -2 .. 2
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
    const double re = (q & 1) ? -s : c, im = (q & 1) ? c : s;
    return (q & 2) ? Phasor{-re, -im} : Phasor{re, im};
}

}  // namespace sg::wave
