// SPDX-License-Identifier: GPL-3.0-or-later
#include "ring_figure.h"

#include <numbers>
#include <stdexcept>

namespace sg {

double ringArea(std::span<const double> x, int outer, int m) {
    constexpr double kPi = std::numbers::pi;
    const double r1 = x[static_cast<std::size_t>(outer + m)], r0 = x[static_cast<std::size_t>(outer + m - 1)];
    return kPi * r1 * r1 - kPi * r0 * r0;
}

double ringFigureSum(std::span<const double> x, std::span<const double> residual, int inner, int outer) {
    const std::size_t n = static_cast<std::size_t>(2 * outer + 1);
    if (outer < 1 || inner < 0 || inner >= outer || x.size() != n || residual.size() != n)
        throw std::out_of_range("ringFigureSum: 2 outer + 1 samples and 0 <= inner < outer");
    const auto r = [&](int i) { return residual[static_cast<std::size_t>(i)]; };
    double sum = 0;
    for (int m = inner + 1; m <= outer; ++m) {
        const double e = (r(outer + m - 1) + r(outer + m)) / 2;
        sum += e * e * ringArea(x, outer, m);
    }
    return sum;
}

}  // namespace sg
