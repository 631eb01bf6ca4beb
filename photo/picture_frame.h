// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The mapping of a photo onto the program's own picture frame
// (picture_geometry.h: 800 x 700 pixels, the mirror's disk centred at
// (410, 300) with a radius of 275 pixels). A photo resampled onto this
// frame lies under the simulation pixel for pixel, and the fit works in its
// coordinates.

#include "photo/band_direction.h"
#include "photo/disk_detection.h"
#include "photo/photo_image.h"
#include "model/picture_geometry.h"

namespace sg {

// How the bands lie in the frame: upright (their normal along X, as the
// main window's "vertical" orientation draws them) or level (normal along Y).
enum class BandAxis { Vertical, Horizontal };

struct FramePoint {
    double x = 0, y = 0;
};

// Photo point = disk centre + scale * rotation(rotationDeg) * (frame point -
// frame centre); the rotation turns from +x toward +y.
struct FrameMapping {
    double cx = 0, cy = 0;     // the disk's centre in the photo, photo pixels
    double scale = 1;          // photo pixels per frame pixel: the disk's radius / 275
    double rotationDeg = 0;    // within [-45, 45]
    BandAxis bands = BandAxis::Vertical;

    FramePoint toPhoto(FramePoint frame) const;
    FramePoint toFrame(FramePoint photo) const;
};

// The mapping that puts the disk on the frame's disk and turns the bands
// onto the nearer of the two axes.
FrameMapping frameMapping(const DiskFit& disk, const BandDirection& direction);

// The photo's brightness on the frame, 800 x 700: each frame pixel takes
// the photo at its centre, interpolated (from a halved copy where the photo
// is more than 1.5 times larger, so that detail finer than a frame pixel
// averages out). Frame pixels that fall outside the photo are NaN.
GreyImage resampleToFrame(const GreyPyramid& photo, const FrameMapping& mapping);
inline GreyImage resampleToFrame(const GreyImage& photo, const FrameMapping& mapping) {
    return resampleToFrame(GreyPyramid(photo), mapping);
}

// The same for the photo's colours, for showing it; outside the photo black.
RgbImage resampleToFrame(const PhotoView& photo, const FrameMapping& mapping);

}  // namespace sg
