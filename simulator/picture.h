// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The picture area of the main window: erasing it and painting the disk.

#include "simulator/simulator.h"
#include "model/view_options.h"

namespace sg {

// Erases the whole drawing area, (0, 0) to (800, 700).
void clearDrawingArea(Canvas& canvas);

// The mirror disk filled with mirrorFillColour, its rim in the current pen;
// the brush is silver again afterwards.
void drawMirrorDisk(Canvas& canvas);

// The same with a white fill, for White mode.
void drawWhiteMirrorDisk(Canvas& canvas);

// drawWhiteMirrorDisk in White mode, drawMirrorDisk otherwise.
void drawDiskForMode(Canvas& canvas, const ViewOptions& view);

}  // namespace sg
