// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The area-weighted ring figure of the analysis. The analysed disc is cut
// into rings at the samples on one side of the centre; each ring counts with
// the mean of the residuals at its two edges, weighted by its area. Both the
// paraboloid and the conic are judged by this figure, and the conic is
// fitted to minimise it.
//
// x and the residuals are the central selection: 2 outer + 1 samples, in
// order across the disc, with the centre at index outer. Ring m (1..outer)
// lies between the samples outer + m - 1 and outer + m.

#include <span>

namespace sg {

// mm^2: pi x1^2 - pi x0^2 for the two edges of ring m.
double ringArea(std::span<const double> x, int outer, int m);

// mm^2 mm^2: the sum over the rings m = inner + 1 .. outer of
// ((r(outer + m - 1) + r(outer + m)) / 2)^2 times the ring's area, summed
// from the innermost ring out. Throws std::out_of_range when the spans are
// not 2 outer + 1 long or 0 <= inner < outer does not hold.
double ringFigureSum(std::span<const double> x, std::span<const double> residual, int inner, int outer);

}  // namespace sg
