// SPDX-License-Identifier: GPL-3.0-or-later
// The normal pass over the default paraboloid three ways, each with the
// upper halves of the vector registers clean and dirty at its start: the
// plain scalar loop (the yardstick: one point at a time, as the pass was
// first written), the portable pass, and the AVX2 pass the program uses
// where the CPU has it. shadowgram_bench times a full picture.
#include "model/clamped_spline.h"
#include "model/failure.h"
#include "simulator/ray_block_avx2.h"
#include "simulator/ray_pass.h"
#include "simulator/redraw.h"
#include "tests/support/test_picture.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>

namespace {

struct Scene : sg::testing::TestPicture {
    Scene() { recompute(); }
};

// Leaves the upper half of a vector register dirty, as some library code
// does before a pass starts.
void dirtyUpperRegisters() {
    if (sg::cpuHasAvx2()) asm volatile("vpcmpeqd %%ymm15, %%ymm15, %%ymm15" ::: "xmm15");
}

// The pass as a plain scalar loop, the yardstick: each point drawn,
// tested, decided and painted before the next, in plain arithmetic (the
// grating test, vertical bands, as the default set-up has it).
void plainPass(Scene& sc) {
    const sg::Mirror& m = sc.mirror();
    const sg::TestSetup& setup = sc.setup();
    const double D = m.mirrorDiameter, R = m.radiusOfCurvature, k = 2 * m.conicConstant;
    const double w = 1 / (2 * sg::workingLinesPerMm(setup)), t = setup.position.transverseOffset;
    const QRgb colour = sg::toQRgb(sg::kPalette.rayColour);
    QRgb* const pixels = sc.canvas.row(0);
    const qsizetype stride = sc.canvas.image().bytesPerLine() / 4;
    std::uint32_t seed = sc.sim.random.seed();
    auto draw = [&seed] {
        seed = seed * 134775813u + 1u;
        return static_cast<int>((static_cast<std::uint64_t>(seed) * 10000u) >> 32);
    };
    for (int i = 0; i < sc.sim.rayCount; ++i) {
        const double u = (draw() / 10000.0 - 0.5) * D;
        const double v = (draw() / 10000.0 - 0.5) * D;
        const double sq = u * u + v * v;
        const double r = std::sqrt(sq);
        if (r > D / 2) continue;
        const double slope = r / R + 4 * (1 + k) * r * r * r / (8 * R * R * R);
        const double sag = sq / (2 * R) + (1 + k) * sq * sq / (8 * R * R * R);
        const double intercept = sag + r / slope;
        const double x = (R - intercept + setup.position.axialOffset) * u / intercept;
        const auto band = static_cast<std::int64_t>(std::fabs(x / w + t) + 0.5);
        if (((band & 1) != 0) == sg::brightCentreBand(setup)) continue;
        const int px = static_cast<int>(2 * (275 * u / D + 205));
        const int py = static_cast<int>(550 * v / D + 300);
        pixels[py * stride + px] = colour;
    }
    sc.sim.random.restore(seed);
}

enum Kind { kPlain, kPortable, kLanes };

void BM_Pass(benchmark::State& state) {
    const Kind kind = static_cast<Kind>(state.range(0));
    const bool dirty = state.range(1) != 0;
    if (kind == kLanes && !sg::cpuHasAvx2()) {
        state.SkipWithError("no AVX2 on this CPU");
        return;
    }
    Scene sc;
    sc.sim.vectorPass = kind == kLanes;
    for (auto _ : state) {
        if (dirty) dirtyUpperRegisters();
        if (kind == kPlain)
            plainPass(sc);
        else
            sg::shadowgramPass(sc.sim, sc.scene());
        benchmark::ClobberMemory();
    }
    state.SetLabel(std::string(kind == kPlain ? "plain loop" : kind == kPortable ? "portable" : "AVX2") +
                   (dirty ? ", dirty" : ", clean"));
}
BENCHMARK(BM_Pass)->ArgsProduct({{kPlain, kPortable, kLanes}, {0, 1}})->Unit(benchmark::kMicrosecond);

// The exact trace against the series model, same set-up, both testers,
// portable and in AVX2 lanes.
void BM_ExactPass(benchmark::State& state) {
    const Kind kind = static_cast<Kind>(state.range(1));
    if (kind == kLanes && !sg::cpuHasAvx2()) {
        state.SkipWithError("no AVX2 on this CPU");
        return;
    }
    Scene sc;
    sc.sim.vectorPass = kind == kLanes;
    sc.controls.exactTrace = true;
    sc.controls.movingSource = state.range(0) != 0;
    sc.recompute();
    for (auto _ : state) {
        sg::shadowgramPass(sc.sim, sc.scene());
        benchmark::ClobberMemory();
    }
    state.SetLabel(std::string(state.range(0) != 0 ? "exact, moving source" : "exact, fixed source") +
                   (kind == kLanes ? ", AVX2" : ", portable"));
}
BENCHMARK(BM_ExactPass)->ArgsProduct({{0, 1}, {kPortable, kLanes}})->Unit(benchmark::kMicrosecond);

// The exact pass with the drawn zone at its true height (a raised 70 %
// zone, 0.5 wave) and a source slit of 0.2 mm, against the plain exact pass
// above: each alone and both. The zone keeps the AVX2 lanes; the slit takes
// the portable trace.
void BM_ExactPassZoneAndSlit(benchmark::State& state) {
    const bool zone = state.range(0) != 0, slit = state.range(1) != 0;
    Scene sc;
    sc.controls.exactTrace = true;
    sc.controls.test = sg::kTestFoucault;
    sc.position().axialOffset = 2.45;
    if (zone) {
        sc.shape.makeFlat();
        for (int k : {7, 8, 36, 37}) sc.shape.knotHeight[k] = -40;
        sg::SplineCoefficients coefficients;
        sg::fitClampedSpline(sg::kKnotCount - 1, sc.shape.knotX, sc.shape.knotHeight, 0, 0, sc.shape.sampleCount,
                             sc.shape.sampleX, sc.shape.profile, coefficients);
        sc.controls.surface = sg::kSurfaceDistorted;
    }
    if (slit) sc.controls.sourceWidth = "0.2";
    sc.recompute();
    for (auto _ : state) {
        sg::shadowgramPass(sc.sim, sc.scene());
        benchmark::ClobberMemory();
    }
    state.SetLabel(std::string(zone ? "zone" : "no zone") + (slit ? ", slit 0.2 mm" : ", point source"));
}
BENCHMARK(BM_ExactPassZoneAndSlit)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMicrosecond);

// The series pass with the source moving with the grating, at 2.5 mm
// inside the centre of curvature (off focus, where the source's shift
// enters every point), portable and in AVX2 lanes.
void BM_SeriesMovingSource(benchmark::State& state) {
    const Kind kind = static_cast<Kind>(state.range(0));
    if (kind == kLanes && !sg::cpuHasAvx2()) {
        state.SkipWithError("no AVX2 on this CPU");
        return;
    }
    Scene sc;
    sc.sim.vectorPass = kind == kLanes;
    sc.controls.movingSource = true;
    sc.position().axialOffset = -2.5;
    sc.recompute();
    for (auto _ : state) {
        sg::shadowgramPass(sc.sim, sc.scene());
        benchmark::ClobberMemory();
    }
    state.SetLabel(kind == kLanes ? "AVX2" : "portable");
}
BENCHMARK(BM_SeriesMovingSource)->Arg(kPortable)->Arg(kLanes)->Unit(benchmark::kMicrosecond);

// One press of " Centres" at the defaults (its pass only), portable and in
// AVX2 lanes.
void BM_CentresPass(benchmark::State& state) {
    const Kind kind = static_cast<Kind>(state.range(0));
    if (kind == kLanes && !sg::cpuHasAvx2()) {
        state.SkipWithError("no AVX2 on this CPU");
        return;
    }
    Scene sc;
    sc.sim.vectorPass = kind == kLanes;
    for (auto _ : state) {
        sg::centresPass(sc.sim, sc.scene());
        benchmark::ClobberMemory();
    }
    state.SetLabel(kind == kLanes ? "AVX2" : "portable");
}
BENCHMARK(BM_CentresPass)->Arg(kPortable)->Arg(kLanes)->Unit(benchmark::kMicrosecond);

}  // namespace
