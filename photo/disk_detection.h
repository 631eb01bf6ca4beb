// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Finding the mirror's disk in a photo of the grating test: the bright disk
// crossed by bands on a darker background.
//
// The background is flattened (a smooth floor of low percentiles taken
// away), the image thresholded at Otsu's level, and the smallest circle
// enclosing the bright regions taken as a first guess. Then rays from its
// centre each give the rim where the profile falls through half-way from
// the disk's bright level to the background's; a ray that leaves the disk
// through a dark band finds a band edge inside the rim instead, and a robust
// circle fit drops it.

#include "photo/photo_image.h"

namespace sg {

// The disk in photo pixels (see photo_image.h for the coordinates).
struct DiskFit {
    double cx = 0, cy = 0;     // centre
    double radius = 0;         // rim, at the half-level of the rim's fall
    double rimWidth = 0;       // the rim's fall from 80 % to 20 %, pixels (the photo's blur)
    double rimRms = 0;         // RMS distance of the rim points kept from the circle, pixels
    int raysUsed = 0;          // rays whose rim crossing the circle fit kept
    int rays = 0;              // rays cast
};

struct DiskOptions {
    int rays = 720;
    // The smallest photo and disk accepted, pixels.
    int minPhotoSize = 64;
    double minRadius = 24;
};

// Throws PhotoError: Unusable for a photo smaller than minPhotoSize either
// way or without contrast, NoMirror when no round disk is found, when the
// disk found runs outside the photo by more than its rim's blur (at least 2
// pixels), or when it is darker on average than the ground just outside its
// rim (an inverted picture: a dark disk on a bright ground).
DiskFit findDisk(const GreyPyramid& photo, const DiskOptions& options = {});
inline DiskFit findDisk(const GreyImage& photo, const DiskOptions& options = {}) {
    return findDisk(GreyPyramid(photo), options);
}

// The floor of the background: a smooth surface under the image's darker
// pixels, to be taken away before thresholding. Exposed for tests.
GreyImage backgroundFloor(const GreyImage& image);

// Otsu's threshold of the values (the level that best splits them in two
// classes); NaN for fewer than two distinct values.
double otsuThreshold(const std::vector<float>& values);

struct Circle {
    double cx = 0, cy = 0, radius = 0;
};

// The smallest circle enclosing the points (x, y pairs); radius 0 for one
// point, and a circle of radius -1 for none.
Circle smallestEnclosingCircle(std::vector<double> xy);

// The circle of least squares distance through the points: the algebraic
// fit, then Gauss-Newton steps on the distances. Needs three points that
// are not in one line; returns radius -1 otherwise.
Circle fitCircle(const std::vector<double>& xy);

}  // namespace sg
