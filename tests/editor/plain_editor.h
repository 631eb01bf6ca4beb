// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The editor without its window: a model, plain controls and a display that
// records the statistics it was last shown.
#include "surface_editor.h"

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
    MirrorModel model;
    PlainControls controls;
    PlainStatistics display;
    SurfaceEditor editor{model, controls, display};
    PlainEditor() { editor.initialiseOnce(); }
    double knot(int k) const { return model.knotHeight[k]; }
};

}  // namespace sg::testing
