// SPDX-License-Identifier: GPL-3.0-or-later
#include "redraw.h"

#include "number_text.h"
#include "model_io.h"
#include "picture.h"
#include "profile_graphs.h"
#include "ray_pass.h"
#include "surface_profile.h"

namespace sg {

namespace {

void recomputeSteps(Simulator& s) {
    MirrorModel& m = s.model;
    if (m.exampleRequest >= 1 && m.exampleRequest <= 4) applyExample(m, s.controls, m.exampleRequest);
    readModelFromControls(m, s.controls);
    if (s.controls.surfaceItem() == kSurfaceDistorted) {
        m.useDistortedSurface = true;
        resampleDeviation(m);
    }
    drawHeightGraph(s);
    showTransverseUnit(s);
    computeSlopeDeviation(m);
    drawSlopeGraph(s);
}

}  // namespace

void recompute(Simulator& s) {
    if (s.model.editorOpened) {
        // Back from the editor: show the edited surface on a fresh picture once.
        s.model.editorOpened = false;
        recomputeSteps(s);
        clearDrawingArea(s.canvas);
        drawDiskForMode(s.canvas, s.model);
        shadowgramPass(s);
        drawConicReadout(s);
    }
    recomputeSteps(s);
}

void brightenPicture(Simulator& s) {
    recompute(s);
    shadowgramPass(s);
    shadowgramPass(s);
}

void drawCentreLines(Simulator& s) {
    recompute(s);
    if (s.model.testFoucault) return;
    for (int i = 0; i < 3; ++i) centresPass(s);
}

void invertZoneHeight(Simulator& s) {
    const double negated = -parseCellFloat(s.controls.parameterCell(kRowZoneHeight));
    s.model.zoneHeight = negated;
    s.controls.setParameterCell(kRowZoneHeight, formatGeneral(negated));
    recompute(s);
}

}  // namespace sg
