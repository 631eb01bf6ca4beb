// SPDX-License-Identifier: GPL-3.0-or-later
#include "photo/photo_alignment.h"

namespace sg {

PhotoAlignment alignPhoto(const GreyPyramid& pyramid, const DiskOptions& options) {
    // One set of halvings for the three stages.
    PhotoAlignment a;
    a.photoWidth = pyramid.width();
    a.photoHeight = pyramid.height();
    a.disk = findDisk(pyramid, options);
    a.direction = findBandDirection(pyramid, a.disk);
    a.mapping = frameMapping(a.disk, a.direction);
    a.frame = resampleToFrame(pyramid, a.mapping);
    return a;
}

}  // namespace sg
