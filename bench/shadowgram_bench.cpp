// SPDX-License-Identifier: GPL-3.0-or-later
// One shadowgram pass and one full picture at the defaults.
#include "simulator/picture.h"
#include "simulator/positioning.h"
#include "simulator/profile_graphs.h"
#include "simulator/ray_pass.h"
#include "simulator/redraw.h"
#include "tools/picture_png.h"
#include "tools/render_options.h"
#include "tests/support/test_picture.h"

#include <QBuffer>

#include <benchmark/benchmark.h>

namespace {

using Scene = sg::testing::TestPicture;

void BM_ShadowgramPass(benchmark::State& state) {
    Scene sc;
    sc.recompute();
    for (auto _ : state) {
        sg::shadowgramPass(sc.sim, sc.scene());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * sc.sim.rayCount);
}
BENCHMARK(BM_ShadowgramPass)->Unit(benchmark::kMicrosecond);

// What a click on the picture costs: clear, disk, recompute, pass, read-outs.
void BM_FullPicture(benchmark::State& state) {
    Scene sc;
    for (auto _ : state) {
        sg::clearDrawingArea(sc.canvas);
        sg::drawMirrorDisk(sc.canvas);
        sc.recompute();
        sg::shadowgramPass(sc.sim, sc.scene());
        sg::drawConicReadout(sc.sim, sc.scene());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FullPicture)->Unit(benchmark::kMicrosecond);

// The longest run shadowgram-render accepts: a picture, then the most
// presses of " Centres" (argument 1) or "Brighten" (0) it takes, in the
// slowest settings (Wire, 2 D, the exact trace, the moving source).
void BM_MostPresses(benchmark::State& state) {
    const bool centres = state.range(0) == 1;
    for (auto _ : state) {
        Scene sc;
        sc.controls.test = sg::kTestWire;
        sc.controls.orientation = sg::kOrient2D;
        sc.controls.exactTrace = true;
        sc.controls.movingSource = true;
        const sg::ControlsReading reading = sc.read();
        sg::recompute(sc.drawing, reading);
        sg::drawShadowgramPass(sc.drawing, reading);
        for (int i = 0; i < sg::kMaxPresses; ++i) {
            if (centres) sg::drawCentreLines(sc.drawing, reading);
            else sg::brightenPicture(sc.drawing, reading);
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MostPresses)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// One step of a drag on the ray diagram: the whole picture redrawn for the
// next row, as each move of the held pointer draws it. Items are pictures,
// so the rate is the drag's redraws per second.
void BM_DragOnTheRayDiagram(benchmark::State& state) {
    Scene sc;
    int row = 250;
    for (auto _ : state) {
        sg::axialDiagramClick(sc.drawing, sc.read(), row);
        row = row == 400 ? 250 : row + 1;
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DragOnTheRayDiagram)->Unit(benchmark::kMicrosecond);

// The renderer's PNG of the default picture (a click at the defaults):
// argument -1 the image saved as Qt saves it by default (24-bit, zlib's
// default level), else the renderer's palette PNG at that compression (0 to
// 100, the writer's scale). "bytes" is the file's size.
void BM_PicturePng(benchmark::State& state) {
    Scene sc;
    sg::pictureClick(sc.drawing, sc.read());
    const QImage picture = sc.canvas.image();
    qsizetype bytes = 0;
    for (auto _ : state) {
        QByteArray png;
        if (state.range(0) < 0) {
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            picture.save(&buffer, "PNG");
        } else {
            png = sg::picturePng(picture, static_cast<int>(state.range(0)));
        }
        bytes = png.size();
        benchmark::DoNotOptimize(png.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_PicturePng)->Arg(-1)->Arg(12)->Arg(23)->Arg(34)->Arg(56)->Unit(benchmark::kMillisecond);

}  // namespace
