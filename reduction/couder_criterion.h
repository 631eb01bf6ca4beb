// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The classical tolerances of a zonal reading: transverse aberration
// against the Airy disc (Millies-Lacroix), and the Couder criterion, which
// puts the knife at the focus that balances the largest transverse
// aberrations (Texereau's data sheet: max TA = -min TA).

#include <vector>

namespace sg {

// The radius of the Airy disc at the centre of curvature, 1.22 lambda (R/2)
// / D, mm (lambda in mm).
double airyRadius(double lambdaMm, double radius, double diameter);

// The transverse aberration of a zone at height h with departure d (mm),
// (d / kappa) h / R, mm.
double transverseAberration(double departure, double h, double kappa, double radius);

// The Millies-Lacroix tolerance of a zone: the departure at which its
// transverse aberration reaches the Airy radius, kappa R rho / h (mm);
// infinite for a zone at h = 0.
double milliesLacroixTolerance(double h, double kappa, double radius, double airy);

struct CouderBalance {
    double ratio = 0;  // max |TA| / rho at the balanced focus
    double shift = 0;  // the departure (mm) the knife moves by to reach it
};

// F(c) = max over zones of |d_k - c| h_k / (kappa R); the balanced focus is
// the c of one pair i < j, (d_i h_i + d_j h_j) / (h_i + h_j), with the
// smallest F. Ties keep the first pair in the order (1,2), (1,3), ...,
// (2,3), ... At least two zones, heights increasing.
CouderBalance couderBalance(const std::vector<double>& departures, const std::vector<double>& h, double kappa,
                            double radius, double airy);

}  // namespace sg
