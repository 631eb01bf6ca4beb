// SPDX-License-Identifier: GPL-3.0-or-later
#include "reduction/couder_criterion.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sg {

double airyRadius(double lambdaMm, double radius, double diameter) { return 1.22 * lambdaMm * (radius / 2) / diameter; }

double transverseAberration(double departure, double h, double kappa, double radius) {
    return departure / kappa * h / radius;
}

double milliesLacroixTolerance(double h, double kappa, double radius, double airy) {
    if (!(h > 0)) return std::numeric_limits<double>::infinity();
    return kappa * radius * airy / h;
}

CouderBalance couderBalance(const std::vector<double>& d, const std::vector<double>& h, double kappa, double radius,
                            double airy) {
    const std::size_t n = d.size();
    double best = std::numeric_limits<double>::infinity(), bestShift = 0;
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            const double c = (d[i] * h[i] + d[j] * h[j]) / (h[i] + h[j]);
            double f = 0;
            for (std::size_t k = 0; k < n; ++k) f = std::max(f, std::fabs(d[k] - c) * h[k] / (kappa * radius));
            if (f < best) {
                best = f;
                bestShift = c;
            }
        }
    }
    return {best / airy, bestShift};
}

}  // namespace sg
