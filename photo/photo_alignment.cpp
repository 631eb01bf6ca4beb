// SPDX-License-Identifier: GPL-3.0-or-later
#include "photo/photo_alignment.h"

namespace sg {

PhotoAlignment alignPhoto(const GreyImage& photo, const DiskOptions& options) {
    PhotoAlignment a;
    a.photoWidth = photo.width;
    a.photoHeight = photo.height;
    // One set of halvings for the three stages.
    const GreyPyramid pyramid(photo);
    a.disk = findDisk(pyramid, options);
    a.direction = findBandDirection(pyramid, a.disk);
    a.mapping = frameMapping(a.disk, a.direction);
    a.frame = resampleToFrame(pyramid, a.mapping);
    return a;
}

}  // namespace sg
