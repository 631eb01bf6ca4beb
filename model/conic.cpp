// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/conic.h"

namespace sg {

double distortedInterceptFromRadius(const SeriesDeviation& d, const ConicTerms& c, double x, double y, double r) {
    double t = fdiv(-1.0, slopeFromRadius(c, r));
    // Nearest sample of the radial slope profile.
    const std::int64_t j = roundHalfEven(fdiv(275 * r, d.diameter / 2));
    if (j < 0 || j >= kProfileSamples) throwInvalidOperation();
    const double slope = (*d.slope)[static_cast<std::size_t>(j)];
    if (d.orientation == Orientation::Vertical) {
        // The deviation tilts the normal in x only; on the line x = 0 the
        // sag is taken at (1, 0).
        if (x == 0) {
            x = 1;
            y = 0;
        }
        t = t + fdiv(slope, fdiv(r, std::fabs(x)));
    }
    if (d.orientation == Orientation::Horizontal) {
        if (y == 0) {
            y = 1;
            x = 0;
        }
        t = t + fdiv(slope, fdiv(r, std::fabs(y)));
    }
    return sagFromSquare(c, x * x + y * y) - t * r;
}

double conicDeviationWaves(double wavelength, double x, double y, double R, double k) {
    return fdiv(conicSag(x, y, R, k) - conicSag(x, y, R, 0), wavelength / 1000);
}

}  // namespace sg
