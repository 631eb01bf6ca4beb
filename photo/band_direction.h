// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The direction of the bands: the structure tensor (the mean outer product
// of the brightness gradient) over the disk's interior. Its leading
// eigenvector is the band normal, the direction across the bands; the
// pattern of a round mirror is symmetric about it, however much the bands
// curve.

#include "photo/disk_detection.h"
#include "photo/photo_image.h"

namespace sg {

struct BandDirection {
    // The band normal's angle in the photo, degrees in (-90, 90]: 0 for
    // upright bands (the normal along +x), 90 for level bands, positive
    // turning from +x toward +y (clockwise as the photo is seen).
    double normalDeg = 0;
    // (l1 - l2) / (l1 + l2) of the tensor's eigenvalues: near 1 for straight
    // parallel bands, near 0 without a direction (no bands, or noise).
    double coherence = 0;
};

// Over the disk inside 0.9 of its radius. Throws PhotoError(NoBands) when
// the disk has no brightness gradient at all.
BandDirection findBandDirection(const GreyPyramid& photo, const DiskFit& disk);
inline BandDirection findBandDirection(const GreyImage& photo, const DiskFit& disk) {
    return findBandDirection(GreyPyramid(photo), disk);
}

}  // namespace sg
