// SPDX-License-Identifier: GPL-3.0-or-later
// Entry of the benchmarks that draw text: a QGuiApplication on the
// offscreen platform around the benchmark run.
#include <QGuiApplication>

#include <benchmark/benchmark.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
