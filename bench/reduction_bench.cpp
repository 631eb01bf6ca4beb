// SPDX-License-Identifier: GPL-3.0-or-later
// One reduction as the window makes it on every edit and the command once:
// a mask of 12 zones read three times, both fits for the mean and for each
// set, the figures, the verdict and the round trip into the drawn zone.
#include "reduction/exact_null.h"
#include "reduction/reduction.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

sg::ReductionInput twelveZonesThreeSets() {
    sg::ReductionInput in;
    in.diameter = 254;
    in.radius = 2286;
    in.zoneCount = 12;
    const sg::Tester t{sg::SourceKind::Moving, 0};
    for (int i = 0; i < 12; ++i) {
        const double a = 127 * std::sqrt(i / 12.0), b = 127 * std::sqrt((i + 1) / 12.0);
        const double h = std::sqrt((a * a + b * b) / 2);
        const double reading = sg::conicNull(2286.2, -0.85, h, t) - 2286;
        in.zones.push_back({0, 0, {reading - 0.003, reading + 0.002, reading + 0.0015 * ((i % 3) - 1)}, 0});
    }
    return in;
}

void BM_ReduceTwelveZonesThreeSets(benchmark::State& state) {
    const sg::ReductionInput in = twelveZonesThreeSets();
    for (auto _ : state) {
        sg::ReductionResult r = sg::reduce(in);
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_ReduceTwelveZonesThreeSets)->Unit(benchmark::kMicrosecond);

}  // namespace
