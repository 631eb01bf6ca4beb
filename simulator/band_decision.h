// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whether light passes the grating, wire or knife at a point of its plane,
// given in band widths. One definition serves the point-by-point decision and
// the batched one; faults are recorded rather than thrown, so that a batch
// can finish its points in order.

#include "model/failure.h"
#include "model/test_setup.h"

#include <cmath>
#include <cstdint>

namespace sg {

enum class RayFault : std::uint8_t { None = 0, DivisionByZero = 1, Invalid = 2 };

[[noreturn]] inline void throwRayFault(RayFault f) {
    if (f == RayFault::DivisionByZero) throwDivisionByZero();
    throwInvalidOperation();
}

// a / b, keeping the first fault: a finite non-zero numerator over zero is a
// division by zero; 0/0, inf/inf and NaN operands are invalid.
[[gnu::always_inline]] inline double tdiv(double a, double b, RayFault& fault) {
    const double q = a / b;
    if (b == 0.0 || q != q) [[unlikely]] {
        if (fault == RayFault::None)
            fault = (b == 0.0 && a == a && a != 0.0) ? RayFault::DivisionByZero : RayFault::Invalid;
    }
    return q;
}

// int(|z| + 0.5), the index of the band z falls in, with the range rule of
// the integer conversion.
[[gnu::always_inline]] inline std::int64_t tband(double z, RayFault& fault) {
    const double a = std::fabs(z) + 0.5;
    if (!(a < 9223372036854775808.0)) [[unlikely]] {
        if (fault == RayFault::None) fault = RayFault::Invalid;
        return 0;
    }
    return static_cast<std::int64_t>(a);
}

struct BandRules {
    TestKind test;
    Orientation orientation;
    double transverse;  // the transverse offset in the test's unit
    bool evenLines;     // a bright band at the centre (Ronchi only)
};

// zAlong is P / w, the position along the pattern in band widths; yOverW()
// gives Y / w and is called only where "2 D" reads the second direction.
// Ronchi: dark in odd bands (or off the band centres, in the centre-line
// pass); Wire: dark within 1.5 bands of the wire; Foucault: lit up to the
// knife. The centre-line pass paints nothing for Foucault.
template <class YOverW>
[[gnu::always_inline]] inline bool decideBands(const BandRules& s, bool centres, double zAlong, YOverW&& yOverW,
                                               RayFault& f) {
    const double t = s.transverse;
    const bool twoD = s.orientation == Orientation::TwoD;
    bool dark;
    if (s.test == TestKind::Foucault) {
        if (centres) return false;
        const double z = zAlong + t;
        if (z != z && f == RayFault::None) f = RayFault::Invalid;
        dark = z <= 0;
    } else if (s.test == TestKind::Wire) {
        std::int64_t h = tband(zAlong + (centres ? 120 : 3) * t, f);
        if (twoD && f == RayFault::None && h < 2) h = tband(yOverW(), f);
        dark = h >= 2;
    } else {
        const int period = centres ? 40 : 2;
        std::int64_t h = tband(zAlong + (centres ? 40 : 1) * t, f);
        if (twoD && f == RayFault::None && h % period == 0) h = tband(yOverW(), f);
        dark = h % period != 0;
    }
    return centres ? !dark : dark != s.evenLines;
}

}  // namespace sg
