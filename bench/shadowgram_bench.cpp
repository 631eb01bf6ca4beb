// One shadowgram pass and one full picture at the defaults.
#include "picture.h"
#include "profile_graphs.h"
#include "ray_pass.h"
#include "redraw.h"

#include <benchmark/benchmark.h>

namespace {

struct Scene {
    sg::MirrorModel model;
    sg::PlainControls controls;
    sg::Canvas canvas{sg::kPictureWidth, sg::kPictureHeight};
    sg::Simulator sim{model, controls, canvas};
    Scene() { sg::setModelDefaults(model); }
};

void BM_ShadowgramPass(benchmark::State& state) {
    Scene sc;
    sg::recompute(sc.sim);
    for (auto _ : state) {
        sg::shadowgramPass(sc.sim);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * sc.model.rayCount);
}
BENCHMARK(BM_ShadowgramPass)->Unit(benchmark::kMicrosecond);

// What a click on the picture costs: clear, disk, recompute, pass, read-outs.
void BM_FullPicture(benchmark::State& state) {
    Scene sc;
    for (auto _ : state) {
        sg::clearDrawingArea(sc.canvas);
        sg::drawMirrorDisk(sc.canvas, sc.model);
        sg::recompute(sc.sim);
        sg::shadowgramPass(sc.sim);
        sg::drawConicReadout(sc.sim);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FullPicture)->Unit(benchmark::kMicrosecond);

}  // namespace
