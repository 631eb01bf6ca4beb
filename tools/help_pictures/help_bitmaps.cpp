// SPDX-License-Identifier: GPL-3.0-or-later
// The two 16-colour help pictures: the transverse slider and the axial ray
// diagram cut out of a main-window picture as the positioning code draws
// them, with the grating on the centre of curvature.

#include "tools/help_pictures/pictures.h"

#include "simulator/offscreen_picture.h"
#include "simulator/positioning.h"

#include <string>

namespace hp {

namespace {

// The main window's drawing area with the two diagrams drawn for the
// default Ronchi set-up, grating at the centre of curvature.
QImage diagrams() {
    sg::OffscreenPicture picture;
    // Column 25 is the slider's centre tick, row 325 the centre of curvature.
    sg::drawAxialMarker(picture.drawing, 25, 325);
    sg::drawTransverseMarker(picture.drawing, 25);
    return picture.canvas.image();
}

}  // namespace

QImage drawHelpTransverse() {
    // The slider line (columns 1..48, row 470), its tick (rows 458..481) and
    // the read-out under it.
    return diagrams().copy(0, 455, 55, 49);
}

QImage drawHelpAxial() {
    // The two rays from rows 225 to 425 crossing at row 325, with the marker.
    return diagrams().copy(0, 221, 51, 208);
}

}  // namespace hp
