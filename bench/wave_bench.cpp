// SPDX-License-Identifier: GPL-3.0-or-later
// The wave picture on one core, with the engine's plans made before the
// timing (the program keeps one engine): vertical and horizontal Ronchi
// bands at D 200, R 2000, 4 lines/mm from a = -20 to 20 mm for both source
// conventions; the knife and the wire near focus; "2 D"; a slit of half a
// period; white light. The first picture of a fresh engine is timed too.
// After the run the process's peak resident memory is printed.
#include "wave/wave_picture.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdio>

namespace {

sg::Scene ronchi(double axial, bool moving, sg::Orientation orientation) {
    sg::Scene s;
    s.setup.test = sg::TestKind::Ronchi;
    s.setup.orientation = orientation;
    s.setup.rayModel = sg::RayModel::Exact;
    s.setup.waveOptics = true;
    s.setup.position.axialOffset = axial;
    s.setup.source = moving ? sg::SourceConvention::MovesWithDevice : sg::SourceConvention::Fixed;
    return s;
}

void draw(benchmark::State& state, const sg::Scene& scene) {
    sg::WaveEngine engine;
    engine.compute(scene);
    for (auto _ : state) benchmark::DoNotOptimize(engine.compute(scene));
}

// Args: a (mm), source moving with the device (0 or 1).
void BM_RonchiVertical(benchmark::State& state) {
    draw(state, ronchi(static_cast<double>(state.range(0)), state.range(1) != 0, sg::Orientation::Vertical));
}
void BM_RonchiHorizontal(benchmark::State& state) {
    draw(state, ronchi(static_cast<double>(state.range(0)), state.range(1) != 0, sg::Orientation::Horizontal));
}
void ronchiRange(benchmark::internal::Benchmark* b) {
    for (int moving : {0, 1})
        for (int a : {-20, -10, 0, 10, 20}) b->Args({a, moving});
    b->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_RonchiVertical)->Apply(ronchiRange);
BENCHMARK(BM_RonchiHorizontal)->Apply(ronchiRange);

// The knife on the axis at focus: arg 0 the paraboloid, 1 the sphere (the
// longest padded pupil: the light all within a diffraction width).
void BM_FoucaultAtFocus(benchmark::State& state) {
    sg::Scene s = ronchi(0, false, sg::Orientation::Vertical);
    s.setup.test = sg::TestKind::Foucault;
    s.mirror.conicConstant = state.range(0) ? 0 : -1;
    draw(state, s);
}
BENCHMARK(BM_FoucaultAtFocus)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_WireAtFocus(benchmark::State& state) {
    sg::Scene s = ronchi(0, false, sg::Orientation::Vertical);
    s.setup.test = sg::TestKind::Wire;
    draw(state, s);
}
BENCHMARK(BM_WireAtFocus)->Unit(benchmark::kMillisecond);

// "2 D" at a = 20 mm: arg 0 Ronchi, 1 the wire.
void BM_TwoD(benchmark::State& state) {
    sg::Scene s = ronchi(20, false, sg::Orientation::TwoD);
    if (state.range(0)) s.setup.test = sg::TestKind::Wire;
    draw(state, s);
}
BENCHMARK(BM_TwoD)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A slit of half the grating's period (0.125 mm) at a = 20 mm: arg 0
// vertical lines, 1 "2 D".
void BM_SlitHalfPeriod(benchmark::State& state) {
    sg::Scene s = ronchi(20, false, state.range(0) ? sg::Orientation::TwoD : sg::Orientation::Vertical);
    s.setup.slitWidth = 0.125;
    draw(state, s);
}
BENCHMARK(BM_SlitHalfPeriod)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_WhiteLight(benchmark::State& state) {
    sg::Scene s = ronchi(20, false, sg::Orientation::Vertical);
    s.setup.spectrum = sg::Spectrum::White;
    draw(state, s);
}
BENCHMARK(BM_WhiteLight)->Unit(benchmark::kMillisecond);

// A fresh engine each time: the plans made as well.
void BM_FirstPicture(benchmark::State& state) {
    const sg::Scene s = ronchi(20, false, sg::Orientation::Vertical);
    for (auto _ : state) {
        sg::WaveEngine engine;
        benchmark::DoNotOptimize(engine.compute(s));
    }
}
BENCHMARK(BM_FirstPicture)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak resident memory: %.1f MB\n", usage.ru_maxrss / 1024.0);
    return 0;
}
