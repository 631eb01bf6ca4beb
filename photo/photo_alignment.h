// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A photo laid onto the program's picture frame in one call: the disk, the
// band direction, the mapping and the resampled brightness.

#include "photo/band_direction.h"
#include "photo/disk_detection.h"
#include "photo/photo_image.h"
#include "photo/picture_frame.h"

namespace sg {

struct PhotoAlignment {
    int photoWidth = 0, photoHeight = 0;  // pixels
    DiskFit disk;
    BandDirection direction;
    FrameMapping mapping;
    GreyImage frame;  // 800 x 700, NaN where the photo does not reach
    // The photo's own pixels per pixel of the view aligned: above 1 for a
    // JPEG decoded at a reduced scale. The alignment's figures are the
    // view's; the fit's figures in "pixels of the photo" are the photo's own.
    int pixelScale = 1;
};

// Throws PhotoError (Unusable, NoMirror, NoBands) with a message for the
// user; std::invalid_argument for a view without pixels. A view gives the
// same alignment as its grey image (toGrey), without ever holding the
// whole photo as floats.
PhotoAlignment alignPhoto(const GreyPyramid& photo, const DiskOptions& options = {});
inline PhotoAlignment alignPhoto(const GreyImage& photo, const DiskOptions& options = {}) {
    return alignPhoto(GreyPyramid(photo), options);
}
inline PhotoAlignment alignPhoto(const PhotoView& photo, const DiskOptions& options = {}) {
    return alignPhoto(GreyPyramid(photo), options);
}

}  // namespace sg
