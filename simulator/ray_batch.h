// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The decisions of a batch of points inside the aperture, computed step by
// step across the batch so that the long division chains of neighbouring
// points overlap. Each point keeps the first fault of its own computation;
// the caller finishes the points in order, so pixels and faults come out as
// in the point-by-point decision (normalRayLit, centreRayLit).

#include "simulator/ray_pass.h"

#include <cstdint>

namespace sg {

inline constexpr int kRayBatch = 256;

struct RayBatch {
    int count = 0;
    double u[kRayBatch], v[kRayBatch], sq[kRayBatch], r[kRayBatch];
    // Outputs.
    bool lit[kRayBatch];
    RayFault fault[kRayBatch];
};

// Fills lit and fault for points 0..count-1.
void decideBatch(const RaySetup& s, bool centres, RayBatch& b);

}  // namespace sg
