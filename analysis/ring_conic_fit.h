// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The best even conic for the ring figure: a + b x^2 + c x^4 fitted so that
// ringFigureSum of its residuals is as small as it can be. Each ring
// m = inner + 1 .. outer gives one row of a weighted least-squares problem:
// the mean of the basis functions at the ring's two edges against the mean
// of the sampled heights there, weighted by the ring's area. Its weighted
// sum of squares is the ring figure itself, so the fit minimises exactly
// the figure the analysis shows.

#include "analysis/least_squares.h"

#include <span>

namespace sg {

// x and y are the central selection of ring_figure.h (2 outer + 1 samples,
// the centre at index outer, x in mm, y in mm), with 0 <= inner < outer.
// Writes coefficients = {a, b, c} in mm, 1/mm and 1/mm^3, and residual[i]
// = fitted minus y[i] for every sample of the selection.
//
// Two rings (inner 8, outer 10) cannot settle three coefficients: every
// conic through the two rings' mean heights has a figure of 0. Of those,
// and in general of all conics with the least figure, the one closest to
// all the selected samples in the unweighted least-squares sense is taken,
// so that a surface which is exactly such a conic is recovered.
//
// A fault in the decomposition (a weight or an abscissa that is not
// finite) throws the invalid-operation ActionError; non-finite heights
// give non-finite residuals, which the caller's figure refuses.
void fitEvenConicToRings(std::span<const double> x, std::span<const double> y, int inner, int outer,
                         NormalVector& coefficients, std::span<double> residual);

}  // namespace sg
