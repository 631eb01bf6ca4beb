#include "conic.h"

#include "failure.h"

#include <cmath>

namespace sg {

double conicSag(double x, double y, double R, double k) {
    const double s = x * x + y * y;
    return fdiv(s, 2 * R) + fdiv((1 + k) * s * s, 8 * R * R * R);
}

double conicSlope(double x, double y, double R, double k) {
    const double r = std::sqrt(x * x + y * y);
    return fdiv(r, R) + fdiv(4 * (1 + k) * r * r * r, 8 * R * R * R);
}

double normalIntercept(double x, double y, double R, double k) {
    const double r = std::sqrt(x * x + y * y);
    const double t = fdiv(-1.0, conicSlope(x, y, R, k));
    return conicSag(x, y, R, k) - t * r;
}

double distortedIntercept(const MirrorModel& m, double x, double y, double R, double k) {
    double t = fdiv(-1.0, conicSlope(x, y, R, k));
    const double r = std::sqrt(x * x + y * y);
    // Nearest sample of the radial slope profile.
    const std::int64_t j = roundHalfEven(fdiv(275 * r, m.mirrorDiameter / 2));
    if (j < 0 || j >= kProfileSamples) throwInvalidOperation();
    const double slope = m.slopeDeviation[static_cast<std::size_t>(j)];
    if (m.orientVertical) {
        // The deviation tilts the normal in x only; on the line x = 0 the
        // sag is taken at (1, 0).
        if (x == 0) {
            x = 1;
            y = 0;
        }
        t = t + fdiv(slope, fdiv(r, std::fabs(x)));
    }
    if (m.orientHorizontal) {
        if (y == 0) {
            y = 1;
            x = 0;
        }
        t = t + fdiv(slope, fdiv(r, std::fabs(y)));
    }
    return conicSag(x, y, R, k) - t * r;
}

double conicDeviationWaves(const MirrorModel& m, double x, double y, double R, double k) {
    return fdiv(conicSag(x, y, R, k) - conicSag(x, y, R, 0), m.wavelength / 1000);
}

}  // namespace sg
