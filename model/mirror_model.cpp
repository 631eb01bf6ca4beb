// SPDX-License-Identifier: GPL-3.0-or-later
#include "mirror_model.h"

namespace sg {

MirrorModel::MirrorModel() {
    setPaletteDefaults(*this);
    resetZonalDeviation(*this);
}

void setPaletteDefaults(MirrorModel& m) {
    m.palette.rayColour = kRed;
    m.palette.mirrorFillColour = kBlack;
    m.palette.gridColour = kYellow;
    m.palette.gridColourWhite = kBlack;
    m.palette.heightGraphColour = kRed;
    m.palette.slopeGraphColour = kBlue;
}

void setModelDefaults(MirrorModel& m) {
    m.mirrorDiameter = 200;
    m.radiusOfCurvature = 2000;
    m.conicConstant = -1;
    m.linesPerMm = 4;
    m.range = 20;
    m.zoneHeight = 0.5;
    m.wavelength = 0.55;
    m.maxMove = 2;
    m.pvError = 0.5;

    m.axialOffsetSetting = 0;
    m.axialOffset = -0.2;
    m.axialMarkerY = 325;

    m.testWire = false;
    m.testRonchi = true;
    m.testFoucault = false;
    m.orientVertical = true;
    m.orientHorizontal = false;
    m.orient2D = false;

    m.evenLines = false;
    m.useDistortedSurface = false;
    m.invertDeviation = false;
    m.rayCount = kRayCount;
}

void resetZonalDeviation(MirrorModel& m) {
    m.knotX.fill(0.0);
    m.knotHeight.fill(0.0);
    m.editorSampleX.fill(0.0);
    m.editorProfile.fill(0.0);
    for (int k = 0; k < kKnotCount; ++k) m.knotX[k] = k;
    m.editorSampleCount = kEditorSamples;
    for (int i = 0; i <= kEditorSamples; ++i) m.editorSampleX[i] = i / 16.0;
}

}  // namespace sg
