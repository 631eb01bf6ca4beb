// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a window must redraw after its off-screen picture changed: the
// pixels that differ from what it last painted, gathered into a few
// rectangles, so that a drag repaints the picture and its read-outs and
// leaves the controls beside them alone.

#include <QImage>
#include <QRegion>

namespace sg {

// The pixels where two images of the same size and 32-bit format differ,
// covered band by band: for each run of `bandRows` rows, a rectangle from
// the first to the last differing column of any of its rows, or several
// where the changes lie apart (more than 32 unchanged columns between
// them); none where the band's rows are equal. Every differing pixel lies
// in the region, and every rectangle begins and ends at a differing column.
QRegion changedRegion(const QImage& before, const QImage& after, int bandRows = 16);

// Copies the pixels of `region` (clipped to the images) from `from` into
// `to`, of the same size and 32-bit format.
void copyRegion(const QImage& from, QImage& to, const QRegion& region);

}  // namespace sg
