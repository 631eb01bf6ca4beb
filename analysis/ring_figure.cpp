// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/ring_figure.h"

#include "model/wavefront_figures.h"

#include <stdexcept>

namespace sg {

double ringArea(std::span<const double> x, int outer, int m) {
    return ringArea(x[static_cast<std::size_t>(outer + m - 1)], x[static_cast<std::size_t>(outer + m)]);
}

double ringFigureSum(std::span<const double> x, std::span<const double> residual, int inner, int outer) {
    const std::size_t n = static_cast<std::size_t>(2 * outer + 1);
    if (outer < 1 || inner < 0 || inner >= outer || x.size() != n || residual.size() != n)
        throw std::out_of_range("ringFigureSum: 2 outer + 1 samples and 0 <= inner < outer");
    // The edges of the rings inner + 1 .. outer: the samples outer + inner .. 2 outer.
    const std::size_t first = static_cast<std::size_t>(outer + inner), edges = static_cast<std::size_t>(outer - inner + 1);
    return ringSquareSum(x.subspan(first, edges), residual.subspan(first, edges), 0);
}

}  // namespace sg
