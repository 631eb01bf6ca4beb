// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The figures of merit that the analysis, the surface editor and the
// Foucault reduction each report: the Strehl ratio of a wavefront RMS and
// the area-weighted figures of a disc cut into rings.
//
// A disc cut into rings is given by the rings' edges, radii from the
// centre out (any unit of length, the same for all), and a value at each
// edge: ring k lies between edge k and edge k + 1 and counts with the mean
// of the two edges' values, weighted by its area. n edges make n - 1 rings.

#include <span>

namespace sg {

// exp(-(2 pi rms)^2) for a wavefront RMS in waves: 1 for a perfect
// wavefront, falling toward 0 (the Marechal approximation).
double strehlRatio(double rmsWaves);

// pi r1^2 - pi r0^2: the area of the ring between the radii r0 and r1.
double ringArea(double r0, double r1);

// The sum over the rings, from the innermost out, of the ring's area times
// its value (the mean of its two edges' values). `edge` and `value` are of
// one length.
double ringAreaSum(std::span<const double> edge, std::span<const double> value);

// The sum over the rings, from the innermost out, of (level - the ring's
// value)^2 times the ring's area.
double ringSquareSum(std::span<const double> edge, std::span<const double> value, double level);

// sqrt(ringSquareSum / discArea): the area-weighted RMS of the values about
// `level` over a disc of area `discArea`. A disc area of zero is a division
// fault (ActionError), as is a NaN sum.
double ringRms(std::span<const double> edge, std::span<const double> value, double level, double discArea);

}  // namespace sg
