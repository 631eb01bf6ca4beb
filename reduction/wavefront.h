// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The wavefront of the mirror from the zones' departures. Lengths in mm,
// u = h^2 in mm^2.
//
// A departure d (a reading minus the reference's null) divided by the
// tester's scale kappa is the zone's longitudinal aberration delta at
// u = h^2. delta is taken linear in u between consecutive zones; the line
// of the first two zones is carried in to u = 0 and that of the last two
// out past the last zone. The wavefront is the integral
//     W(u) = -(1 / R^2) * integral from 0 to u of delta dv,
// piecewise quadratic in u with W(0) = 0, positive where the glass stands
// high. Averages are uniform in u (so by area) over the annulus
// [uInner, uOuter] between the obstruction and the edge; three Gauss-
// Legendre points per interval between zones integrate W and W^2 exactly.

#include <span>
#include <vector>

namespace sg {

struct QuadraturePoint {
    double u = 0;
    double weight = 0;  // mm^2; the weights of one annulus add up to uOuter - uInner
};

// The quadrature points of [uInner, uOuter] for zones at `u` (increasing):
// three per interval between the zones that lie inside it.
std::vector<QuadraturePoint> quadraturePoints(std::span<const double> u, double uInner, double uOuter);

class Wavefront {
public:
    // Zones at u (strictly increasing, at least two) with aberrations delta
    // (mm), the radius R (mm) that scales them, and the annulus.
    Wavefront(std::span<const double> u, std::span<const double> delta, double radius, double uInner, double uOuter);

    double at(double u) const;       // W(u), mm of wavefront, u >= 0
    double deltaAt(double u) const;  // delta(u), mm
    double mean() const { return mean_; }          // <W> over the annulus
    double variance() const { return variance_; }  // <(W - <W>)^2>, mm^2
    // max W - min W over the annulus: at its ends, at the zones and where
    // delta changes sign.
    double peakToValley() const { return peakToValley_; }

    // W as its quadratic pieces in u: piece j holds from start[j] to
    // start[j + 1] (the last one without end), W = c0[j] + t (c1[j] +
    // t c2[j]) with t = u - start[j].
    struct Pieces {
        std::vector<double> start, c0, c1, c2;
    };
    Pieces pieces() const;

private:
    std::size_t pieceAt(double u) const;

    // Piece j runs from start_[j] to start_[j + 1] (the last one without
    // end): delta = delta_[j] + slope_[j] (v - anchor_[j]), and W there
    // begins at w_[j].
    std::vector<double> start_, anchor_, delta_, slope_, w_;
    double scale_ = 0;  // -1 / R^2
    double mean_ = 0, variance_ = 0, peakToValley_ = 0;
};

}  // namespace sg
