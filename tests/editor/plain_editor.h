// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The editor without its window: its shape, the mirror the main window's
// picture shows, plain controls and a display that records the statistics
// it was last shown.
#include "editor/surface_editor.h"

namespace sg::testing {

class PlainStatistics : public StatisticsDisplay {
public:
    StatisticsLines lines{};
    int shown = 0;
    void showStatistics(const StatisticsLines& l) override {
        lines = l;
        ++shown;
    }
};

struct PlainEditor {
    EditorShape shape;
    Mirror shown;
    PlainControls controls;
    PlainStatistics display;
    SurfaceEditor editor{shape, shown, controls, display};
    PlainEditor() { editor.initialiseOnce(); }
    double knot(int k) const { return shape.knotHeight[k]; }
};

}  // namespace sg::testing
