// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Band edges on the frame: along each scan line across the bands (rows for
// upright bands, columns for level ones), the points where the brightness
// passes half-way between the local bright and dark levels, to a fraction
// of a pixel. A crossing where the band edge runs nearly along the scan
// line (a grazing crossing) is dropped: its position along the line is
// ill-defined.

#include "photo/photo_image.h"
#include "photo/picture_frame.h"

#include <vector>

namespace sg {

struct BandEdge {
    double x = 0, y = 0;  // frame pixels
    // +1 when the bright band lies toward +X (upright bands) or +Y (level
    // bands) of the edge, -1 the other way.
    int brightSide = 0;
    int line = 0;          // the scan line: its pixel row (upright bands) or column
    float contrast = 0;    // local bright minus dark level, in the frame's units
};

struct EdgeOptions {
    int lineStep = 3;            // every lineStep-th scan line
    double maxRadius = 0.97;     // of the disk's radius: the rim's blur stays out
    double maxGrazingDeg = 60;   // largest angle between the brightness gradient and the scan line
    double minContrast = 0.3;    // of the typical local contrast (the median, at least half the disk's)
};

std::vector<BandEdge> extractEdges(const GreyImage& frame, BandAxis axis, const EdgeOptions& options = {});

// The typical band width on the frame in pixels, from the crossings of the
// disk's median level (0 when there are none).
double typicalBandWidth(const GreyImage& frame, BandAxis axis, const EdgeOptions& options = {});

}  // namespace sg
