// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator/redraw.h"

#include "model/number_text.h"
#include "simulator/picture.h"
#include "simulator/profile_graphs.h"
#include "simulator/ray_pass.h"
#include "model/surface_profile.h"

namespace sg {

namespace {

void recomputeSteps(Drawing& d, const ControlsReading& r) {
    Scene& scene = d.state.scene;
    readSetup(r, scene.mirror, scene.setup);
    if (r.surfaceItem == kSurfaceDistorted) {
        // The measured surface while the editor holds the knots it came
        // with; once they are edited, the drawn zone.
        const bool measured = !scene.measured.empty() && d.shape.knotHeight == scene.measuredKnots;
        if (!measured) scene.measured = MeasuredSurface{};
        scene.mirror.deviation = measured ? SurfaceDeviation::Measured : SurfaceDeviation::Drawn;
        resampleDeviation(scene.profiles, d.shape, scene.mirror.invertDeviation);
    }
    drawHeightGraph(d.sim.canvas, scene);
    computeHeightCurve(scene.profiles, scene.mirror);
    d.display.setTransverseUnit(transverseUnitText(scene.setup.test));
    computeSlopeDeviation(scene.profiles, scene.mirror);
    drawSlopeGraph(d.sim.canvas, scene);
    takeDrawnZone(scene, d.shape);
}

}  // namespace

void recompute(Drawing& d, const ControlsReading& r) {
    if (d.state.editorOpened) {
        // Back from the editor: show the edited surface on a fresh picture once.
        d.state.editorOpened = false;
        recomputeSteps(d, r);
        clearDrawingArea(d.sim.canvas);
        paintFreshDisk(d);
        drawShadowgramPass(d, r);
        drawConicReadout(d.sim, d.state.scene);
    }
    recomputeSteps(d, r);
}

void paintFreshDisk(Drawing& d) {
    drawDiskForMode(d.sim.canvas, d.state.scene.view);
    d.state.passesOnDisk = 0;
}

void drawShadowgramPass(Drawing& d, const ControlsReading& r) {
    Scene& scene = d.state.scene;
    scene.setup.orientation = orientationFrom(r, scene.setup.orientation);
    ++d.state.passesOnDisk;
    if (scene.setup.waveOptics && d.wave != nullptr) {
        d.wave->paint(d.sim.canvas, scene, d.state.passesOnDisk);
        finishPass(d.sim.canvas, scene.view);
        return;
    }
    shadowgramPass(d.sim, scene);
}

void brightenPicture(Drawing& d, const ControlsReading& r) {
    recompute(d, r);
    drawShadowgramPass(d, r);
    drawShadowgramPass(d, r);
}

void drawCentreLines(Drawing& d, const ControlsReading& r) {
    recompute(d, r);
    Scene& scene = d.state.scene;
    if (scene.setup.test == TestKind::Foucault) return;
    scene.setup.orientation = orientationFrom(r, scene.setup.orientation);
    for (int i = 0; i < 3; ++i) centresPass(d.sim, scene);
}

void invertZoneHeight(Drawing& d, ControlsReading& r, ModelControls& controls) {
    const double negated = -r.parameter(kRowZoneHeight);
    d.state.scene.mirror.zoneHeight = negated;
    const std::string text = formatGeneral(negated);
    controls.setParameterCell(kRowZoneHeight, text);
    r.setParameterText(kRowZoneHeight, text);
    recompute(d, r);
}

}  // namespace sg
