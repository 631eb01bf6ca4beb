// SPDX-License-Identifier: GPL-3.0-or-later
// The photo fit's time on one core, for synthetic photos with the faults of
// a camera: aligning a photo (disk, band direction, resampling onto the
// frame) at three sizes up to a 12-megapixel phone photo, then the fit of
// a pure conic, of a turned edge (the exact trace), and of two photos; the
// same on photos drawn by the wave model, fitted with it.
#include "fit/photo_fit.h"
#include "photo/jpeg_decoding.h"
#include "photo/photo_file.h"
#include "tests/support/synthetic_photo.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <QBuffer>
#include <QImage>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

namespace {

using namespace sg;

testing::PhotoTruth conic() {
    testing::PhotoTruth t;
    t.mirror.diameter = 200;
    t.mirror.radius = 2000;
    t.mirror.linesPerMm = 4;
    t.parameters.conic = -1;
    t.parameters.offset = 8;
    t.parameters.transverse = 0.3;
    return t;
}

testing::PhotoTruth turnedEdge() {
    testing::PhotoTruth t = conic();
    t.mirror.exact = true;
    t.zone = {ZoneKind::Edge, 0.8};
    t.parameters.zoneHeight = -0.25;
    return t;
}

testing::Camera camera(double radius, int width, int height) {
    testing::Camera c;
    c.width = width, c.height = height, c.cx = width / 2.0 + 13.7, c.cy = height / 2.0 - 8.2, c.radius = radius;
    c.rotationDeg = 4, c.blur = 2, c.gamma = 1.2, c.noise = 0.015, c.vignetting = 0.3, c.jpegQuality = 80;
    return c;
}

// The photos, made once: 0 small (disk radius 140 px), 1 large (550 px),
// 2 a phone's 4032 x 3024 (1100 px).
const testing::SyntheticPhoto& photo(int size, bool zone) {
    static std::map<int, testing::SyntheticPhoto> made;
    const int key = size * 2 + zone;
    auto it = made.find(key);
    if (it != made.end()) return it->second;
    const testing::Camera c = size == 0 ? camera(140, 400, 360) : size == 1 ? camera(550, 1450, 1300)
                                                                           : camera(1100, 4032, 3024);
    return made.emplace(key, testing::makeSyntheticPhoto(zone ? turnedEdge() : conic(), c)).first->second;
}

const PhotoAlignment& aligned(int size, bool zone) {
    static std::map<int, PhotoAlignment> done;
    const int key = size * 2 + zone;
    auto it = done.find(key);
    if (it != done.end()) return it->second;
    return done.emplace(key, alignPhoto(photo(size, zone).view())).first->second;
}

const char* sizeName(int size) { return size == 0 ? "400 x 360" : size == 1 ? "1450 x 1300" : "4032 x 3024"; }

void BM_AlignPhoto(benchmark::State& state) {
    const int size = int(state.range(0));
    const testing::SyntheticPhoto& p = photo(size, false);
    for (auto _ : state) benchmark::DoNotOptimize(alignPhoto(p.view()));
    state.SetLabel(sizeName(size));
}
BENCHMARK(BM_AlignPhoto)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_FitConic(benchmark::State& state) {
    const int size = int(state.range(0));
    const PhotoAlignment& a = aligned(size, false);
    FitRequest r;
    r.mirror = conic().mirror;
    r.side = Side::Outside;
    for (auto _ : state) benchmark::DoNotOptimize(fitPhoto(a, r));
    state.SetLabel(sizeName(size));
}
BENCHMARK(BM_FitConic)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_FitConicSideUnknown(benchmark::State& state) {
    const PhotoAlignment& a = aligned(1, false);
    FitRequest r;
    r.mirror = conic().mirror;
    for (auto _ : state) benchmark::DoNotOptimize(fitPhoto(a, r));
}
BENCHMARK(BM_FitConicSideUnknown)->Unit(benchmark::kMillisecond);

void BM_FitTurnedEdge(benchmark::State& state) {
    const int size = int(state.range(0));
    const PhotoAlignment& a = aligned(size, true);
    FitRequest r;
    r.mirror = turnedEdge().mirror;
    r.side = Side::Outside;
    r.zone = turnedEdge().zone;
    for (auto _ : state) benchmark::DoNotOptimize(fitPhoto(a, r));
    state.SetLabel(sizeName(size));
}
BENCHMARK(BM_FitTurnedEdge)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// Photos drawn by the wave model, fitted with it: a conic and a turned
// edge from a point source or from the grating lit from behind, in red
// light or white, on a phone's 4032 x 3024 photo. The light's argument:
// 0 a point in red, 1 the lit grating in red, 2 a point in white light,
// 3 the lit grating in white light.
struct WaveLightCase {
    bool lit, white;
    const char* label;
};
WaveLightCase waveLight(int kind) {
    static constexpr WaveLightCase cases[4] = {{false, false, "4032 x 3024, point source, red"},
                                               {true, false, "4032 x 3024, lit grating, red"},
                                               {false, true, "4032 x 3024, point source, white light"},
                                               {true, true, "4032 x 3024, lit grating, white light"}};
    return cases[kind];
}

const PhotoAlignment& waveAligned(bool zone, int kind) {
    static std::map<int, PhotoAlignment> done;
    const int key = zone * 4 + kind;
    auto it = done.find(key);
    if (it != done.end()) return it->second;
    const WaveLightCase c = waveLight(kind);
    testing::PhotoTruth t = zone ? turnedEdge() : conic();
    t.mirror.wavelength = c.white ? 0.55 : 0.63;
    const testing::WaveLight light{c.white ? Spectrum::White : Spectrum::Mono,
                                   c.lit ? 1 / (2 * t.mirror.linesPerMm) : 0};
    return done.emplace(key, alignPhoto(testing::makeWavePhoto(t, light, camera(1100, 4032, 3024)).view()))
        .first->second;
}

FitRequest waveRequest(const testing::PhotoTruth& t, int kind) {
    const WaveLightCase c = waveLight(kind);
    FitRequest r;
    r.mirror = t.mirror;
    r.mirror.wavelength = c.white ? 0.55 : 0.63;
    r.mirror.spectrum = c.white ? Spectrum::White : Spectrum::Mono;
    r.mirror.model = FitModel::Waves;
    r.mirror.source = c.lit ? LightSource::Grating : LightSource::Point;
    r.side = Side::Outside;
    r.zone = t.zone;
    return r;
}

void BM_FitConicWaves(benchmark::State& state) {
    const int kind = int(state.range(0));
    const PhotoAlignment& a = waveAligned(false, kind);
    const FitRequest r = waveRequest(conic(), kind);
    for (auto _ : state) benchmark::DoNotOptimize(fitPhoto(a, r));
    state.SetLabel(waveLight(kind).label);
}
BENCHMARK(BM_FitConicWaves)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void BM_FitTurnedEdgeWaves(benchmark::State& state) {
    const int kind = int(state.range(0));
    const PhotoAlignment& a = waveAligned(true, kind);
    const FitRequest r = waveRequest(turnedEdge(), kind);
    for (auto _ : state) benchmark::DoNotOptimize(fitPhoto(a, r));
    state.SetLabel(waveLight(kind).label);
}
BENCHMARK(BM_FitTurnedEdgeWaves)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_FitPair(benchmark::State& state) {
    testing::PhotoTruth second = conic();
    second.parameters.offset += 2;
    static const PhotoAlignment b = alignPhoto(testing::makeSyntheticPhoto(second, camera(400, 1100, 1000)).view());
    const PhotoAlignment& a = aligned(1, false);
    FitRequest r;
    r.mirror = conic().mirror;
    for (auto _ : state) benchmark::DoNotOptimize(fitPhotoPair(a, b, 2, r));
}
BENCHMARK(BM_FitPair)->Unit(benchmark::kMillisecond);

// A phone's photo as its JPEG file: 12 megapixels (4032 x 3024, the
// mirror 2200 pixels across) or the same scene at twice the size each way,
// 48.8 megapixels; each with a sensor's grain of its own (uniform, +-6
// levels a channel) and saved at JPEG quality 95, so that the files have a
// phone's sizes (about 3 and 10 MB).
const QByteArray& phoneJpeg(bool fortyEight) {
    static std::map<bool, QByteArray> made;
    auto it = made.find(fortyEight);
    if (it != made.end()) return it->second;
    static const testing::SyntheticPhoto p = [] {
        testing::Camera c = camera(1100, 4032, 3024);
        c.jpegQuality = 0;
        return testing::makeSyntheticPhoto(conic(), c);
    }();
    QImage image = QImage(p.pixels.data(), p.width, p.height, p.width * 3, QImage::Format_RGB888).copy();
    if (fortyEight) image = image.scaled(2 * p.width, 2 * p.height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    std::uint32_t seed = 12345;
    for (int y = 0; y < image.height(); ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < 3 * image.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = static_cast<int>(seed >> 28) - 8;  // -8..7
            row[x] = static_cast<uchar>(std::clamp(row[x] + grain * 6 / 8, 0, 255));
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 95);
    return made.emplace(fortyEight, bytes).first->second;
}

// A line of /proc/self/status, kB (VmRSS, VmHWM); 0 where there is none.
long statusKb(const std::string& key) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key + ":", 0) == 0) return std::atol(line.c_str() + key.size() + 1);
    return 0;
}

// From the JPEG file's bytes to the fitted conic, as shadowgram-fit runs it:
// decoding, alignment and the fit on one core. Argument 0: 12 MP, 1: 48 MP;
// second argument 1 decodes as the program does (at a reduced scale), 0 at
// full scale (the 48 MP photo then needs more than the toolkit's 128 MB).
void BM_PhoneJpegToFit(benchmark::State& state) {
    const bool fortyEight = state.range(0) == 1, reduced = state.range(1) == 1;
    const QByteArray& jpeg = phoneJpeg(fortyEight);
    FitRequest r;
    r.mirror = conic().mirror;
    r.side = Side::Outside;
    // The peak resident memory from here on (Linux: 5 in clear_refs resets
    // it), the heap's free memory handed back first so that it is counted
    // when it is taken again.
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    const long baseKb = statusKb("VmRSS");
    for (auto _ : state) {
        LoadedPhoto loaded;
        if (reduced) {
            loaded = decodePhoto(jpeg);
        } else {
            const std::optional<DecodedJpeg> d = decodeJpeg(QByteArrayView(jpeg), photoJpegRules(0));
            if (!d) {
                state.SkipWithError("cannot decode");
                return;
            }
            loaded.image = d->image;
        }
        benchmark::DoNotOptimize(fitPhoto(alignPhoto(loaded.view()), r));
    }
    state.counters["MB"] = double(jpeg.size()) / 1e6;
    // The peak above what the process held before, per pixel of the photo.
    const double photoPixels = fortyEight ? 8064.0 * 6048 : 4032.0 * 3024;
    state.counters["peak_B_per_px"] = double(statusKb("VmHWM") - baseKb) * 1024 / photoPixels;
    state.SetLabel(std::string(fortyEight ? "48 MP" : "12 MP") + (reduced ? ", reduced decoding" : ", full decoding"));
}
BENCHMARK(BM_PhoneJpegToFit)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
