// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Robust least squares on band edges: Levenberg-Marquardt over the offset,
// the conic, the transverse phase of each photo, a shift of every edge
// toward its bright side (a photo's gamma and blur move the half-level
// crossing of a square wave), and the zone's height when asked. Each round
// labels every edge with the band boundary the model puts nearest to it,
// weighs the edges by their last residuals (Tukey's biweight, so that a
// mislabelled edge drops out) and solves again.

#include "fit/band_model.h"
#include "photo/edge_extraction.h"
#include "fit/fit_control.h"

#include <vector>

namespace sg {

// An edge as the fit uses it.
struct FitEdge {
    double x = 0, y = 0;           // frame pixels
    double across = 0, along = 0;  // mm on the mirror
    double rho = 0;                // distance from the centre over the mirror's radius
    int bright = 0;                // +1 when the bright band lies toward +across
    int block = 0;                 // the block of scan lines it belongs to (for the jackknife)
    int photo = 0;                 // 0 the first photo, 1 the second
    float contrast = 0;            // the local bright minus dark level, in the frame's units
    // Set by each round of the fit:
    double label = 0;      // the band boundary: z = label at the edge, a half-integer
    double gradient = 0;   // dz per frame pixel across the bands
    double residual = 0;   // frame pixels, the edge's distance from the model's
    double weight = 0;     // 0: not used
};

// What is fitted: one photo, or two taken `separation` mm apart along the
// axis (the second's offset is the first's plus the separation), each with
// its own band axis and transverse phase.
struct FitProblem {
    FitMirror mirror;
    ZoneShape zone;
    bool fitZone = false;
    int photos = 1;
    double separation = 0;  // mm
    BandAxis axis[2] = {BandAxis::Vertical, BandAxis::Vertical};
};

// The parameters of a problem: the first photo's offset, each photo's
// transverse phase and edge shift (two cameras blur and bend the
// brightness differently), and the shared rest.
struct FitParameters {
    double offset = 0;          // mm, the first photo's
    double conic = 0;
    double transverse[2] = {0, 0};
    double edgeShift[2] = {0, 0};  // frame pixels
    double zoneHeight = 0;      // waves on the surface
};

// The model's parameters for photo 0 or 1.
BandParameters photoParameters(const FitProblem& problem, const FitParameters& p, int photo);

// The same parameters seen from the other side of the centre of curvature:
// (a, K, t, h) and (-a, -K, -t, -h) draw the same bands to a small fraction
// of a band.
FitParameters otherSide(const FitParameters& p, const FitProblem& problem);

// Edges of a photo for the fit, in `blocks` blocks of scan lines.
std::vector<FitEdge> fitEdges(const std::vector<BandEdge>& edges, BandAxis axis, double diameter, int photo,
                              int blocks);

// The edges inside [minRho, maxRho] take part, the others do not.
struct EdgeRegion {
    double minRho = 0, maxRho = 2;
    bool contains(const FitEdge& e) const { return e.rho >= minRho && e.rho <= maxRho; }
};

struct FitRounds {
    int rounds = 6;                  // label, weigh and solve this many times
    bool relabel = true;             // relabel each round (false keeps the labels the edges carry)
    bool zoneFree = false;           // the zone's height is a parameter
    int skipBlock = -1;              // the jackknife's left-out block
};

// Fits the edges in `region` from `start`; every edge (in the region or
// not) leaves with its label, gradient and residual under the result, and
// a weight of 0 outside the region. Throws PhotoError(NoFit) when fewer
// edges than parameters remain.
FitParameters fitEdgeRounds(std::vector<FitEdge>& edges, const FitProblem& problem, FitParameters start,
                            const EdgeRegion& region, const FitRounds& rounds, const FitControl& control);

// Labels, gradients and residuals of the edges under p, without fitting;
// an edge whose mirror position is not a number keeps a NaN residual.
void labelEdges(std::vector<FitEdge>& edges, const FitProblem& problem, const FitParameters& p);

// The edges used (weight > 0), their RMS residual, and how many of the
// edges in the region lie within `tolerance` pixels of the model.
struct EdgeStatistics {
    int used = 0;
    double rms = 0;
    int within = 0;
    double cost = 0;  // mean weighted square residual of the used edges
};
EdgeStatistics edgeStatistics(const std::vector<FitEdge>& edges, const EdgeRegion& region, double tolerance = 1);

}  // namespace sg
