// SPDX-License-Identifier: GPL-3.0-or-later
// The surface editor's press-to-redraw, and a full picture of a distorted
// mirror with a drawn zone.
#include "simulator/picture.h"
#include "simulator/profile_graphs.h"
#include "simulator/ray_pass.h"
#include "simulator/redraw.h"
#include "editor/surface_editor.h"
#include "tests/support/test_picture.h"

#include <benchmark/benchmark.h>

namespace {

class NoStatistics : public sg::StatisticsDisplay {
public:
    void showStatistics(const sg::StatisticsLines& lines) override { benchmark::DoNotOptimize(lines); }
};

// One knot press: the knot and its partner, the spline fit and samples, the
// cleared grid with its markers, the profile and the five statistics lines.
void BM_KnotPressToRedraw(benchmark::State& state) {
    sg::EditorShape shape;
    sg::Mirror shown;
    sg::PlainControls controls;
    NoStatistics display;
    sg::SurfaceEditor editor(shape, shown, controls, display);
    editor.initialiseOnce();
    int i = 0;
    for (auto _ : state) {
        editor.pressAt(13 + 16 * (i % 45), 130 + (i * 37) % 161);
        ++i;
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_KnotPressToRedraw)->Unit(benchmark::kMicrosecond);

// What a click on the picture costs with "Show distorted surface" and a
// zone at 70 % of the radius: clear, disk, recompute with the resampling,
// one pass through the distorted intercept, read-outs.
void BM_DistortedFullPicture(benchmark::State& state) {
    sg::testing::TestPicture sc;
    sc.controls.surface = sg::kSurfaceDistorted;
    sc.shape.knotHeight[8] = sc.shape.knotHeight[36] = -80;
    sg::EditorState editor;
    sg::fitEditorProfile(sc.shape, editor);
    for (auto _ : state) {
        sg::clearDrawingArea(sc.canvas);
        sg::drawMirrorDisk(sc.canvas);
        sc.recompute();
        sg::shadowgramPass(sc.sim, sc.scene());
        sg::drawConicReadout(sc.sim, sc.scene());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DistortedFullPicture)->Unit(benchmark::kMicrosecond);

}  // namespace
