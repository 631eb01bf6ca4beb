// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The clamped cubic spline through the editor's knots: a piecewise cubic with
// prescribed first derivatives at both ends, evaluated at a list of query
// points. Arrays are 1-based (element 0 unused) with room for 1001 values,
// so n and m are at most 1000.

#include <array>
#include <cstdint>

namespace sg {

using SplineArray = std::array<double, 1001>;

// On interval j (x[j] <= u <= x[j+1]) the spline is
// a[j] + b[j] w + c[j] w^2 + d[j] w^3 with w = u - x[j]. a and c are
// filled for 1..n, b and d for 1..n-1.
struct SplineCoefficients {
    SplineArray a{}, b{}, c{}, d{};
};

enum SplineStatus : std::uint8_t {
    kSplineFitted = 0,
    kSplineKnotsTooClose = 1,      // two adjacent knots closer than 1e-15
    kSplineKnotsNotIncreasing = 2,
    kSplineTooFewKnots = 3,        // fewer than 2 knots
};

// Fits the spline through knots (x[1..n], y[1..n]) with end slopes s0 at x[1]
// and s1 at x[n], and evaluates it at t[1..m] into v[1..m]. Each query uses
// the last interval whose left knot lies strictly below it (interval 1 when
// none does), so queries outside the knots are extrapolated with the end
// cubics and a query on knot j >= 2 is evaluated at the right end of
// interval j - 1. Returns the status; on a bad status v is left untouched and
// the coefficients are undefined. n or m above 1000 throws std::out_of_range.
std::uint8_t fitClampedSpline(int n, const SplineArray& x, const SplineArray& y, double s0, double s1, int m,
                              const SplineArray& t, SplineArray& v, SplineCoefficients& coefficients);

}  // namespace sg
