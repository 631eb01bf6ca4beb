// SPDX-License-Identifier: GPL-3.0-or-later
// Wave pictures against what needs no other program: the knife's bright
// rim on a sphere, a device that stops nothing or everything, the ray
// pictures' bands, finer sampling, a slit's averaging and white light.
#include "model/failure.h"
#include "simulator/ray_pass.h"
#include "wave/wave_model.h"
#include "wave/wave_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace sg::wave {
namespace {

constexpr double kPi = 3.141592653589793;

Scene makeScene(TestKind test, Orientation orientation, double conic, double axial, bool moving = false) {
    Scene s;
    s.mirror.conicConstant = conic;
    s.setup.test = test;
    s.setup.orientation = orientation;
    s.setup.rayModel = RayModel::Exact;
    s.setup.waveOptics = true;
    s.setup.position.axialOffset = axial;
    s.setup.source = moving ? SourceConvention::MovesWithDevice : SourceConvention::Fixed;
    return s;
}

// Pixel (px, py)'s centre in pixels from the disk's centre.
double across(int px) { return px + 0.5 - kDiskCentreX; }
double down(int py) { return py + 0.5 - kDiskCentreY; }
// How far inside the rim the pixel's centre lies, pixels.
double insideRim(int px, int py) { return kDiskPixels / 2.0 - std::hypot(across(px), down(py)); }

template <class F>
void forEachMirrorPixel(const WaveFrame& f, double rimBand, F&& visit) {
    for (int py = 0; py < WaveFrame::kHeight; ++py)
        for (int px = 0; px < WaveFrame::kWidth; ++px)
            if (insideRim(px, py) > rimBand) visit(px, py, f.at(px, py));
}

double rmsChange(const WaveFrame& a, const WaveFrame& b) {
    double sum = 0;
    int count = 0;
    forEachMirrorPixel(a, 2, [&](int px, int py, float i) {
        const double d = i - b.at(px, py);
        sum += d * d;
        ++count;
    });
    return std::sqrt(sum / count);
}

WaveComputer& computer() {
    static WaveComputer c;
    return c;
}

// The knife on the axis at a sphere's centre: on a row, a chord of
// half-length c, the field is U/2 plus i/(2 pi) times the principal value
// of U(x')/(x - x'), so I = 1/4 + ln^2|(c + x)/(c - x)| / (4 pi^2). Both
// orientations, through the program's interface; off the mirror NaN.
TEST(WaveKnife, SphereAtItsCentreShowsTheBrightRim) {
    WaveEngine engine;
    for (const Orientation o : {Orientation::Vertical, Orientation::Horizontal}) {
        const WaveFrame f = engine.compute(makeScene(TestKind::Foucault, o, 0, 0));
        double worst = 0;
        int checked = 0;
        forEachMirrorPixel(f, 10, [&](int px, int py, float i) {
            const double along = o == Orientation::Vertical ? across(px) : down(py);
            const double line = o == Orientation::Vertical ? down(py) : across(px);
            const double c = std::sqrt(kDiskPixels * kDiskPixels / 4.0 - line * line);
            const double l = std::log(std::fabs((c + along) / (c - along)));
            worst = std::max(worst, std::fabs(i - (0.25 + l * l / (4 * kPi * kPi))));
            ++checked;
        });
        EXPECT_LT(worst, 0.01) << "orientation " << static_cast<int>(o);
        EXPECT_GT(checked, 200000);
        std::printf("knife on a sphere's centre, orientation %d: largest departure %.4f\n", static_cast<int>(o), worst);
        EXPECT_TRUE(std::isnan(f.at(0, 0)) && std::isnan(f.at(409, 20)) && !std::isnan(f.at(409, 30)));
    }
}

// Knife far out (2 mm beyond the light's centre) lets everything through,
// far in stops everything (nearer, the edge would cut the rim's
// diffraction, which shows within a few pixels of the rim); a grating of
// 20 mm period with its bright band on the light stops nothing.
TEST(WaveKnife, FarOutFarInAndNoDevice) {
    auto within = [](const WaveFrame& f, double value, double rimBand) {
        double worst = 0;
        forEachMirrorPixel(f, rimBand, [&](int, int, float i) { worst = std::max(worst, std::fabs(i - value)); });
        return worst;
    };
    // The knife's offset is in sixths of the entered period: w = 1/24 mm at 4 lines/mm.
    Scene knife = makeScene(TestKind::Foucault, Orientation::Vertical, 0, 0);
    knife.setup.position.transverseOffset = -48;
    EXPECT_LT(within(computer().compute(knife), 1, 10), 0.01);
    knife.setup.position.transverseOffset = 48;
    EXPECT_LT(within(computer().compute(knife), 0, 10), 0.01);
    for (const double conic : {0.0, -1.0}) {
        Scene coarse = makeScene(TestKind::Ronchi, Orientation::Vertical, conic, 5);
        coarse.setup.linesPerMm = 0.05;
        coarse.setup.evenLines = true;
        EXPECT_LT(within(computer().compute(coarse), 1, 2), 0.01) << conic;
        coarse.setup.orientation = Orientation::TwoD;
        EXPECT_LT(within(computer().compute(coarse), 1, 2), 0.01) << conic;
    }
}

struct Refinement {
    const char* name;
    TestKind test;
    Orientation orientation;
    double conic, axial, transverse;
    bool moving;
    bool zone;
};

// Twice the samples per pixel (twice the device plane's window) and twice
// the padded pupil change the picture by less than 0.01 RMS over the
// mirror, a 2-pixel band at the rim aside, for each test and orientation.
TEST(WaveSampling, RefiningChangesThePictureLittle) {
    for (const Refinement& c : {
             Refinement{"Ronchi vertical, a 20, moving source", TestKind::Ronchi, Orientation::Vertical, -1, 20, 0, true, false},
             Refinement{"Ronchi vertical, a 45, moving source", TestKind::Ronchi, Orientation::Vertical, -1, 45, 0, true, false},
             Refinement{"Ronchi horizontal, a -20, moving source", TestKind::Ronchi, Orientation::Horizontal, -1, -20, 0.5, true, false},
             Refinement{"Ronchi 2 D, a 10", TestKind::Ronchi, Orientation::TwoD, -1, 10, 0, false, false},
             Refinement{"Ronchi vertical, zone, a 8", TestKind::Ronchi, Orientation::Vertical, -1, 8, 0, false, true},
             Refinement{"wire vertical, a 0", TestKind::Wire, Orientation::Vertical, -1, 0, 0, false, false},
             Refinement{"wire horizontal, a 2", TestKind::Wire, Orientation::Horizontal, -1, 2, 0.3, false, false},
             Refinement{"wire 2 D, a 0", TestKind::Wire, Orientation::TwoD, -1, 0, 0, false, false},
             Refinement{"knife vertical, sphere, a 0", TestKind::Foucault, Orientation::Vertical, 0, 0, 0, false, false},
             Refinement{"knife vertical, zone, a 0.3", TestKind::Foucault, Orientation::Vertical, -1, 0.3, 0.5, false, true},
             Refinement{"knife horizontal, a -1", TestKind::Foucault, Orientation::Horizontal, -1, -1, 0, false, false},
         }) {
        Scene s = makeScene(c.test, c.orientation, c.conic, c.axial, c.moving);
        s.setup.position.transverseOffset = c.transverse;
        if (c.zone) {
            EditorShape shape;
            for (int k = 0; k < kKnotCount; ++k) shape.knotHeight[static_cast<std::size_t>(k)] = k > 30 && k < 36 ? 12 : 0;
            s.mirror.deviation = SurfaceDeviation::Drawn;
            s.mirror.zoneHeight = 0.5;
            takeDrawnZone(s, shape);
            ASSERT_FALSE(s.zone.flat);
        }
        const WaveFrame chosen = computer().compute(s);
        const Sampling used = computer().report().sampling;
        Options finer;
        finer.samplesFactor = 2;
        finer.paddingFactor = 2;
        const double change = rmsChange(chosen, computer().compute(s, finer));
        EXPECT_LT(change, 0.01) << c.name;
        std::printf("%-42s %2d samples/pixel, %5d pixels padded: RMS change %.4f\n", c.name, used.samplesPerPixel,
                    used.paddedPixels, change);
    }
}

// The ray rule's decision at a pixel centre with the exact trace.
struct RayPicture {
    explicit RayPicture(const Scene& s) : setup(makeRaySetup(s, 1)) {}
    bool lit(int px, int py) const {
        const double pixel = 200.0 / kDiskPixels;
        return exactRayLit(setup, across(px) * pixel, down(py) * pixel);
    }
    RaySetup setup;
};

struct Agreement {
    double litMean = 0, darkMean = 0;  // the waves' intensity where the rays light the pixel and where not
    double interior = 0;               // those pixels' share of the mirror
    double rayLit = 0, waveMean = 0;   // the lit share of the rays, the waves' mean intensity
};

// The waves' intensity over the pixels the rays light and over those they
// leave dark, each away from the rays' band edges (the neighbours 4 pixels
// away decide as the pixel does): a device in the wrong place or phase
// swaps them. Far from focus a lit band carries its edges' fringes (the
// grating's sheared copies), so single pixels in it may fall below 1/2.
Agreement compareWithRays(const Scene& s) {
    const WaveFrame f = computer().compute(s);
    const RayPicture rays(s);
    int inside = 0, all = 0, lit = 0, litInside = 0;
    double mean = 0, litSum = 0, darkSum = 0;
    forEachMirrorPixel(f, 5, [&](int px, int py, float i) {
        const bool ray = rays.lit(px, py);
        ++all;
        lit += ray;
        mean += i;
        if (rays.lit(px - 4, py) != ray || rays.lit(px + 4, py) != ray || rays.lit(px, py - 4) != ray ||
            rays.lit(px, py + 4) != ray)
            return;
        ++inside;
        litInside += ray;
        (ray ? litSum : darkSum) += i;
    });
    Agreement a;
    a.litMean = litInside > 0 ? litSum / litInside : 0;
    a.darkMean = inside > litInside ? darkSum / (inside - litInside) : 1;
    a.interior = static_cast<double>(inside) / all;
    a.rayLit = static_cast<double>(lit) / all;
    a.waveMean = mean / all;
    return a;
}

struct Placement {
    const char* name;
    TestKind test;
    Orientation orientation;
    double axial, transverse;
    bool even;
};

// Far from focus the waves' bands are the rays' bands, softened: the
// grating's bands, its transverse offset and "Odd", the wire's 3 t, the
// knife's side and "2 D" as the ray rules combine the two directions. The
// light on the mirror is the rays' lit share.
TEST(WaveVersusRays, DevicesStandWhereTheRayRulesPutThem) {
    for (const Placement& c : {
             Placement{"Ronchi vertical", TestKind::Ronchi, Orientation::Vertical, 20, 0, false},
             Placement{"Ronchi vertical, bright centre, offset", TestKind::Ronchi, Orientation::Vertical, -20, 0.5, true},
             Placement{"Ronchi horizontal, offset", TestKind::Ronchi, Orientation::Horizontal, 20, -0.7, false},
             Placement{"Ronchi 2 D", TestKind::Ronchi, Orientation::TwoD, 10, 0.3, false},
             Placement{"Ronchi 2 D, bright centre", TestKind::Ronchi, Orientation::TwoD, 10, 0.3, true},
             Placement{"wire vertical, offset", TestKind::Wire, Orientation::Vertical, 15, 1, false},
             Placement{"wire 2 D", TestKind::Wire, Orientation::TwoD, 6, 0.5, false},
             Placement{"knife vertical", TestKind::Foucault, Orientation::Vertical, 10, 3, false},
             Placement{"knife horizontal", TestKind::Foucault, Orientation::Horizontal, -10, -5, false},
         }) {
        Scene s = makeScene(c.test, c.orientation, -1, c.axial);
        s.setup.position.transverseOffset = c.transverse;
        s.setup.evenLines = c.even;
        const Agreement a = compareWithRays(s);
        EXPECT_GT(a.litMean, 0.8) << c.name;
        EXPECT_LT(a.darkMean, 0.2) << c.name;
        EXPECT_GT(a.interior, 0.3) << c.name;
        EXPECT_NEAR(a.waveMean, a.rayLit, 0.03) << c.name;
        std::printf("%-40s lit %.3f, dark %.3f over %.2f of the mirror; light %.3f, rays %.3f\n", c.name, a.litMean,
                    a.darkMean, a.interior, a.waveMean, a.rayLit);
    }
}

double meanIntensity(const WaveFrame& f) {
    double sum = 0;
    int count = 0;
    forEachMirrorPixel(f, 0, [&](int, int, float i) {
        sum += i;
        ++count;
    });
    return sum / count;
}

// Each sample of the device's plane passes its share: a knife moved by a
// quarter of a sample darkens the picture by a quarter of a sample's
// worth, steadily, rather than not at all and then a whole sample at once.
TEST(WaveKnife, AMoveOfPartOfASampleMovesThePicture) {
    Scene s = makeScene(TestKind::Foucault, Orientation::Vertical, 0, 0);
    computer().compute(s);
    const double sample = computer().report().deviceSample;
    const double w = 1 / (2 * workingLinesPerMm(s.setup));
    std::vector<double> means;
    for (int k = 0; k <= 8; ++k) {
        s.setup.position.transverseOffset = k * 0.25 * sample / w;
        means.push_back(meanIntensity(computer().compute(s)));
    }
    const double step = (means.back() - means.front()) / 8;
    EXPECT_LT(step, -1e-4);
    for (int k = 1; k <= 8; ++k) EXPECT_NEAR(means[k] - means[k - 1], step, 0.3 * std::fabs(step)) << k;
}

// The bands' contrast along the middle row, over its middle.
double bandContrast(const WaveFrame& f) {
    double low = 1e9, high = -1e9;
    for (int px = kDiskCentreX - 200; px < kDiskCentreX + 200; ++px) {
        low = std::min(low, static_cast<double>(f.at(px, kDiskCentreY)));
        high = std::max(high, static_cast<double>(f.at(px, kDiskCentreY)));
    }
    return (high - low) / (high + low);
}

// A slit as wide as the grating's period washes the bands out; half a
// period leaves them, fainter.
TEST(WaveSlit, APeriodWideSlitWashesTheBandsOut) {
    Scene s = makeScene(TestKind::Ronchi, Orientation::Vertical, 0, 25);
    const double period = 1 / s.setup.linesPerMm;
    const double point = bandContrast(computer().compute(s));
    s.setup.slitWidth = period / 2;
    const double half = bandContrast(computer().compute(s));
    s.setup.slitWidth = period;
    const double whole = bandContrast(computer().compute(s));
    std::printf("band contrast: point %.3f, half a period %.3f, a period %.3f\n", point, half, whole);
    EXPECT_GT(point, 0.9);
    EXPECT_LT(half, point - 0.1);
    EXPECT_GT(half, 0.3);
    EXPECT_LT(whole, 0.04);
}

// A point of the slit only tilts the pupil's phase, to first order: moving
// the device against the light gives the picture of tracing that point's
// own paths, one point at a time and averaged over the slit.
TEST(WaveSlit, MovingTheDeviceIsTracingEachPoint) {
    struct Case {
        TestKind test;
        Orientation orientation;
        double axial, slit;
        bool moving;
    };
    for (const Case c : {Case{TestKind::Ronchi, Orientation::Vertical, 20, 0.125, true},
                         Case{TestKind::Foucault, Orientation::Horizontal, 0.2, 0.05, false},
                         Case{TestKind::Wire, Orientation::TwoD, 3, 0.04, false}}) {
        Scene s = makeScene(c.test, c.orientation, -1, c.axial, c.moving);
        Options moved, traced;
        moved.slit = SlitMethod::MoveDevice;
        traced.slit = SlitMethod::TraceEachPoint;
        const std::array<double, 2> point{c.orientation == Orientation::Horizontal ? 0 : 0.3 * c.slit,
                                          c.orientation == Orientation::Vertical ? 0 : -0.2 * c.slit};
        moved.sourcePoint = traced.sourcePoint = point;
        const WaveFrame one = computer().compute(s, moved);
        EXPECT_LT(rmsChange(one, computer().compute(s, traced)), 0.005) << static_cast<int>(c.test);
        // The moved point's picture is not the centred one's.
        EXPECT_GT(rmsChange(one, computer().compute(s)), 0.01) << static_cast<int>(c.test);
        moved.sourcePoint.reset();
        traced.sourcePoint.reset();
        s.setup.slitWidth = c.slit;
        // Tracing each of the crossed pair's 8 x 8 points takes seconds: the lines only.
        if (c.orientation != Orientation::TwoD) {
            moved.slitPointsPerPeriod = traced.slitPointsPerPeriod = 16;
            const WaveFrame slit = computer().compute(s, moved);
            EXPECT_LT(rmsChange(slit, computer().compute(s, traced)), 0.005) << static_cast<int>(c.test);
        }
        // Auto moves the device for slits this narrow.
        computer().compute(s);
        EXPECT_TRUE(computer().report().movedDevice);
    }
}

// White light is the weighted average of the nine wavelengths' pictures on
// the same sampling; and a picture computed again, after another, has the
// same bits.
TEST(WaveLight, WhiteIsTheWeightedAverageOfNineWavelengths) {
    Scene s = makeScene(TestKind::Ronchi, Orientation::Vertical, -1, 12);
    s.setup.spectrum = Spectrum::White;
    const WaveFrame white = computer().compute(s);
    Options same;
    same.sampling = computer().report().sampling;
    const double weights[9] = {0.038, 0.113, 0.323, 0.793, 0.995, 0.915, 0.631, 0.321, 0.107};
    double total = 0;
    for (double w : weights) total += w;
    std::vector<double> average(white.intensity.size(), 0.0);
    s.setup.spectrum = Spectrum::Mono;
    for (int i = 0; i < 9; ++i) {
        s.setup.wavelength = 0.450 + 0.025 * i;
        const WaveFrame mono = computer().compute(s, same);
        for (std::size_t k = 0; k < average.size(); ++k) average[k] += weights[i] / total * mono.intensity[k];
    }
    double worst = 0;
    forEachMirrorPixel(white, 0, [&](int px, int py, float i) {
        worst = std::max(worst, std::fabs(i - average[static_cast<std::size_t>(py) * WaveFrame::kWidth + px]));
    });
    EXPECT_LT(worst, 1e-5);
    // The colours blur the bands: white differs from its middle wavelength's picture.
    s.setup.wavelength = 0.55;
    EXPECT_GT(rmsChange(white, computer().compute(s, same)), 0.005);
    s.setup.spectrum = Spectrum::White;
    const WaveFrame again = computer().compute(s);
    EXPECT_EQ(0, std::memcmp(white.intensity.data(), again.intensity.data(), white.intensity.size() * sizeof(float)));
}

// A picture on every fourth line across the grating's lines holds the whole
// picture's values on those lines, bit for bit, and nothing elsewhere:
// both orientations, a source on the axis (lines drawn in mirrored pairs)
// and one off it (a moving source with the grating off the axis), and a
// slit averaged over its points.
TEST(WaveLines, EveryFourthLineIsTheWholePicturesLine) {
    struct Case {
        Orientation orientation;
        bool moving;
        double transverse, slit;
    };
    for (const Case& c : {Case{Orientation::Vertical, false, 0, 0}, Case{Orientation::Horizontal, true, 0.3, 0},
                          Case{Orientation::Vertical, true, 0.4, 0.06}}) {
        Scene s = makeScene(TestKind::Ronchi, c.orientation, -1, -4, c.moving);
        s.setup.position.transverseOffset = c.transverse;
        s.setup.slitWidth = c.slit;
        WaveComputer whole, lines;
        Options every4;
        every4.lineStride = 4;
        const WaveFrame all = whole.compute(s), some = lines.compute(s, every4);
        const bool rows = c.orientation == Orientation::Vertical;
        int drawn = 0, left = 0;
        for (int py = 0; py < WaveFrame::kHeight; ++py)
            for (int px = 0; px < WaveFrame::kWidth; ++px) {
                const int line = rows ? py - kDiskCentreY : px - kDiskCentreX;
                const bool kept = (line >= 0 ? line : -line - 1) % 4 == 0;
                const float a = all.at(px, py), b = some.at(px, py);
                if (kept && !std::isnan(a)) {
                    ASSERT_EQ(a, b) << px << ", " << py;
                    ++drawn;
                } else {
                    ASSERT_TRUE(std::isnan(b)) << px << ", " << py;
                    left += !std::isnan(a);
                }
            }
        EXPECT_GT(drawn, 50000);
        EXPECT_GT(left, 3 * drawn - 3000);
    }
}

}  // namespace
}  // namespace sg::wave
