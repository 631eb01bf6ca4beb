// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/editor_placement.h"

#include "simulator/simulator.h"

#include <QRegion>

#include <algorithm>

namespace sg {

namespace {

// Main window client rows: the first below the whole picture area, and the
// top of the profile graphs, the first row below the mirror disk's margin.
constexpr int kBelowPictureArea = kPictureHeight;                   // 700
constexpr int kProfileGraphsTop = kDiskCentreY + kDiskRadius + 5;  // 580

}  // namespace

QPoint editorWindowPlace(QPoint mainClientOrigin, const QRect& available, QSize editorSize, QMargins frame) {
    const QSize outer = editorSize.grownBy(frame);
    const int screenBottom = available.y() + available.height();  // the first row below the screen
    const int frameTop = std::min(mainClientOrigin.y() + kBelowPictureArea, screenBottom - outer.height());
    if (frameTop < mainClientOrigin.y() + kProfileGraphsTop || frameTop < available.y()) return kEditorUsualPlace;

    const int screenRight = available.x() + available.width();  // the first column right of the screen
    int frameLeft = mainClientOrigin.x() + kEditorUsualPlace.x() - frame.left();
    frameLeft = std::max(std::min(frameLeft, screenRight - outer.width()), available.x());
    return {frameLeft + frame.left(), frameTop + frame.top()};
}

bool placeOnScreens(const QRect& place, const QList<QRect>& screens) {
    if (!place.isValid()) return false;
    QRegion uncovered(place);
    for (const QRect& s : screens) uncovered -= s;
    return uncovered.isEmpty();
}

}  // namespace sg
