// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The coarse search that finds the region of the offset and the conic and
// so labels the bands. The frame's brightness is compared with a cosine of
// the band phase, cos(pi (z + t)), with the background and the amplitude
// (and through them the transverse phase t) solved in closed form at each
// point of a grid over (offset, conic). Bands are square waves, so the
// cosine's best point can lie a tenth off in the conic: it is a start for
// the edge fit, never a result.

#include "fit/band_model.h"
#include "fit/fit_control.h"
#include "photo/photo_image.h"
#include "photo/picture_frame.h"

#include <vector>

namespace sg {

struct CoarseResult {
    BandParameters parameters;  // offset >= 0: the branch of (offset, conic) with the grating outside
    double amplitude = 0;       // of the cosine, in units of the brightness's RMS over the disk
    double explained = 0;       // fraction of the brightness's variance the cosine explains
};

// Over the frame's disk (pure conic; the zone is not searched). The branch
// returned has offset >= 0: the pattern of (a, K, t) is that of (-a, -K, -t).
CoarseResult coarseSearch(const GreyImage& frame, BandAxis axis, const FitMirror& mirror,
                          const FitControl& control = {});

// The best `count` distinct regions of the search (local maxima of the
// grid, each refined, best first, none below half the best's share): the
// edge fit starts from each and keeps the one that explains most edges.
// At least one result, with explained 0 when the frame has no disk.
std::vector<CoarseResult> coarseCandidates(const GreyImage& frame, BandAxis axis, const FitMirror& mirror, int count,
                                           const FitControl& control = {});

}  // namespace sg
