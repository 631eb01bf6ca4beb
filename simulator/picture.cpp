// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator/picture.h"

namespace sg {

void clearDrawingArea(Canvas& canvas) { canvas.eraseRect(0, 0, kPictureWidth, kPictureHeight); }

namespace {
void drawDisk(Canvas& canvas, Rgb fill) {
    canvas.setBrushColour(fill);
    canvas.setBrushHollow(false);
    canvas.drawEllipse(kDiskCentreX - kDiskRadius, kDiskCentreY - kDiskRadius, kDiskCentreX + kDiskRadius,
                       kDiskCentreY + kDiskRadius);
    canvas.setBrushColour(kSilver);
}
}  // namespace

void drawMirrorDisk(Canvas& canvas) { drawDisk(canvas, kPalette.mirrorFillColour); }

void drawWhiteMirrorDisk(Canvas& canvas) { drawDisk(canvas, kWhite); }

void drawDiskForMode(Canvas& canvas, const ViewOptions& view) {
    if (view.whiteMode)
        drawWhiteMirrorDisk(canvas);
    else
        drawMirrorDisk(canvas);
}

}  // namespace sg
