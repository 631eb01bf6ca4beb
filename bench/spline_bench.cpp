// SPDX-License-Identifier: GPL-3.0-or-later
// The spline fit and evaluation as the surface editor calls it on every click.
#include "model/clamped_spline.h"

#include <benchmark/benchmark.h>

namespace {

void BM_EditorSplineFit(benchmark::State& state) {
    sg::SplineArray x{}, y{}, t{}, v{};
    for (int i = 1; i <= 44; ++i) {
        x[i] = i;
        y[i] = (i % 7) * 10 - 30;
    }
    for (int i = 1; i <= 704; ++i) t[i] = i / 16.0;
    sg::SplineCoefficients c;
    for (auto _ : state) {
        benchmark::DoNotOptimize(sg::fitClampedSpline(44, x, y, 0, 0, 704, t, v, c));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_EditorSplineFit)->Unit(benchmark::kMicrosecond);

}  // namespace
