// SPDX-License-Identifier: GPL-3.0-or-later
#include "reduction/exact_null.h"

#include <cmath>
#include <limits>
#include <type_traits>

namespace sg {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A value with its derivatives with respect to R and K.
struct Dual {
    double v = 0, r = 0, k = 0;
};

Dual operator+(Dual a, Dual b) { return {a.v + b.v, a.r + b.r, a.k + b.k}; }
Dual operator-(Dual a, Dual b) { return {a.v - b.v, a.r - b.r, a.k - b.k}; }
Dual operator*(Dual a, Dual b) { return {a.v * b.v, a.r * b.v + a.v * b.r, a.k * b.v + a.v * b.k}; }
Dual operator/(Dual a, Dual b) {
    const double q = a.v / b.v;
    return {q, (a.r - q * b.r) / b.v, (a.k - q * b.k) / b.v};
}
Dual operator+(Dual a, double b) { return {a.v + b, a.r, a.k}; }
Dual operator+(double a, Dual b) { return b + a; }
Dual operator-(Dual a, double b) { return {a.v - b, a.r, a.k}; }
Dual operator-(double a, Dual b) { return {a - b.v, -b.r, -b.k}; }
Dual operator*(double a, Dual b) { return {a * b.v, a * b.r, a * b.k}; }
Dual operator*(Dual a, double b) { return b * a; }
Dual operator/(double a, Dual b) { return Dual{a, 0, 0} / b; }
Dual sqrt(Dual a) {
    const double s = std::sqrt(a.v);
    return {s, a.r / (2 * s), a.k / (2 * s)};
}

double valueOf(double x) { return x; }
double valueOf(const Dual& x) { return x.v; }

using std::sqrt;

template <class T>
T nan() {
    if constexpr (std::is_same_v<T, Dual>) return Dual{kNaN, kNaN, kNaN};
    else return kNaN;
}

// The reflected ray of a fixed source at (0, s) from the point (h, z) of a
// surface of slope p, followed to the axis: with the normal n = (-p, 1) and
// d = (h, z - s) from the source to the point, r = d - 2 (d.n / n.n) n and
// N = z - h r_y / r_x. Only a ray heading back towards the axis (r_x < 0)
// crosses it in front of the mirror.
template <class T>
T reflectedNull(double h, T z, T p, double s) {
    const T dy = z - s;
    const T dn = dy - h * p;
    const T twiceOverNn = 2 * dn / (1 + p * p);
    const T rx = h + twiceOverNn * p;
    const T ry = dy - twiceOverNn;
    if (!(valueOf(rx) < 0)) return nan<T>();
    return z - h * ry / rx;
}

// The centre's null: R for a moving source, the image of a fixed one in
// the vertex's sphere.
template <class T>
T centreNull(T R, const Tester& t) {
    if (t.source == SourceKind::Moving) return R;
    const double s = t.sourceDistance;
    const T twoSMinusR = 2 * s - R;
    if (!(valueOf(twoSMinusR) > 0)) return nan<T>();
    return s * R / twoSMinusR;
}

template <class T>
T nullOf(T R, T K, double h, const Tester& t) {
    const T square = R * R - (1 + K) * (h * h);
    if (!(valueOf(square) >= 0)) return nan<T>();
    if (t.nulls == NullRule::Classical) {
        const double kappa = t.source == SourceKind::Moving ? 1.0 : 2.0;
        return centreNull(R, t) - kappa * K * (h * h) / (2 * R);
    }
    if (h == 0) return centreNull(R, t);
    const T q = sqrt(square);
    const T z = (h * h) / (R + q);
    if (t.source == SourceKind::Moving) return z + q;
    return reflectedNull<T>(h, z, h / q, t.sourceDistance);
}

}  // namespace

double conicNull(double radius, double conic, double h, const Tester& t) { return nullOf<double>(radius, conic, h, t); }

NullAndSlopes conicNullWithSlopes(double radius, double conic, double h, const Tester& t) {
    const Dual n = nullOf<Dual>(Dual{radius, 1, 0}, Dual{conic, 0, 1}, h, t);
    return {n.v, n.r, n.k};
}

double surfaceNull(double h, double sag, double slope, const Tester& t) {
    if (!(h > 0)) return kNaN;
    if (t.source == SourceKind::Moving) {
        // The normal (-p, 1) from (h, z) meets the axis h / p further on;
        // a normal that does not turn towards the axis never does.
        if (!(slope > 0)) return kNaN;
        return sag + h / slope;
    }
    return reflectedNull<double>(h, sag, slope, t.sourceDistance);
}

}  // namespace sg
