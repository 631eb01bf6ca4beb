// SPDX-License-Identifier: GPL-3.0-or-later
#include "photo/photo_alignment.h"

namespace sg {

PhotoAlignment alignPhoto(const GreyImage& photo, const DiskOptions& options) {
    PhotoAlignment a;
    a.photoWidth = photo.width;
    a.photoHeight = photo.height;
    a.disk = findDisk(photo, options);
    a.direction = findBandDirection(photo, a.disk);
    a.mapping = frameMapping(a.disk, a.direction);
    a.frame = resampleToFrame(photo, a.mapping);
    return a;
}

}  // namespace sg
