// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/clamped_spline.h"

#include <cmath>
#include <stdexcept>

namespace sg {

std::uint8_t fitClampedSpline(int n, const SplineArray& x, const SplineArray& y, double s0, double s1, int m,
                              const SplineArray& t, SplineArray& v, SplineCoefficients& coefficients) {
    if (n > 1000 || m > 1000) throw std::out_of_range("fitClampedSpline: more than 1000 knots or queries");
    if (n < 2) return kSplineTooFewKnots;

    SplineArray h{};
    std::uint8_t status = kSplineFitted;
    // A later interval overwrites the code of an earlier one.
    for (int i = 1; i <= n - 1; ++i) {
        h[i] = x[i + 1] - x[i];
        if (std::fabs(h[i]) < 1e-15) status = kSplineKnotsTooClose;
        if (h[i] < 0) status = kSplineKnotsNotIncreasing;
    }
    if (status != kSplineFitted) return status;

    SplineArray& a = coefficients.a;
    SplineArray& b = coefficients.b;
    SplineArray& c = coefficients.c;
    SplineArray& d = coefficients.d;
    SplineArray alpha{}, l{}, mu{}, z{};

    for (int i = 1; i <= n; ++i) a[i] = y[i];
    // Right-hand side of the tridiagonal system of the second-derivative
    // coefficients, with the end slopes in its first and last rows.
    alpha[1] = 3 * (a[2] - a[1]) / h[1] - 3 * s0;
    alpha[n] = 3 * s1 - 3 * (a[n] - a[n - 1]) / h[n - 1];
    for (int i = 2; i <= n - 1; ++i)
        alpha[i] = 3 * (a[i + 1] * h[i - 1] - a[i] * (x[i + 1] - x[i - 1]) + a[i - 1] * h[i]) / (h[i - 1] * h[i]);

    // Forward elimination.
    l[1] = 2 * h[1];
    mu[1] = 0.5;
    z[1] = alpha[1] / l[1];
    for (int i = 2; i <= n - 1; ++i) {
        l[i] = 2 * (x[i + 1] - x[i - 1]) - h[i - 1] * mu[i - 1];
        mu[i] = h[i] / l[i];
        z[i] = (alpha[i] - h[i - 1] * z[i - 1]) / l[i];
    }
    // Back substitution.
    c[n] = (alpha[n] - h[n - 1] * z[n - 1]) / (h[n - 1] * (2 - mu[n - 1]));
    for (int j = n - 1; j >= 1; --j) c[j] = z[j] - mu[j] * c[j + 1];
    for (int j = n - 1; j >= 1; --j) {
        b[j] = (a[j + 1] - a[j]) / h[j] - h[j] * (c[j + 1] + 2 * c[j]) / 3;
        d[j] = (c[j + 1] - c[j]) / (3 * h[j]);
    }

    for (int k = 1; k <= m; ++k) {
        int j = 1;
        for (int i = 1; i <= n - 1; ++i)
            if (x[i] < t[k]) j = i;
        const double w = t[k] - x[j];
        v[k] = a[j] + w * (b[j] + w * (c[j] + w * d[j]));
    }
    return kSplineFitted;
}

}  // namespace sg
