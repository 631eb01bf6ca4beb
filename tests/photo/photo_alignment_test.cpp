// SPDX-License-Identifier: GPL-3.0-or-later
// Laying a photo of the grating test onto the program's frame: the disk,
// the band direction, the resampling and the band edges, on synthetic
// photos whose truth is known, and the photos that must be refused.
#include "fit/band_model.h"
#include "photo/disk_detection.h"
#include "photo/edge_extraction.h"
#include "photo/photo_alignment.h"
#include "photo/photo_error.h"
#include "tests/support/synthetic_photo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

namespace sg {
namespace {

using testing::Camera;
using testing::PhotoTruth;

// A paraboloid of 200 mm at f/6 with 4 lines per mm, outside the centre of
// curvature: about four band pairs.
PhotoTruth paraboloid() {
    PhotoTruth t;
    t.mirror.diameter = 200;
    t.mirror.radius = 2400;
    t.mirror.linesPerMm = 4;
    t.parameters.conic = -1;
    t.parameters.offset = 12;
    t.parameters.transverse = 0.3;
    return t;
}

// The band normal's angle that a camera turned by `rotation` gives upright
// bands, in (-90, 90].
double normalOf(double rotation) {
    double a = std::fmod(rotation, 180.0);
    if (a <= -90) a += 180;
    if (a > 90) a -= 180;
    return a;
}

struct CameraCase {
    const char* name;
    Camera camera;
};

Camera camera(int width, int height, double cx, double cy, double radius, double rotation, double blur, double gamma,
              int jpeg, double noise, double vignetting, std::uint32_t seed) {
    Camera c;
    c.width = width, c.height = height, c.cx = cx, c.cy = cy, c.radius = radius, c.rotationDeg = rotation;
    c.blur = blur, c.gamma = gamma, c.jpegQuality = jpeg, c.noise = noise, c.vignetting = vignetting, c.seed = seed;
    return c;
}

class DegradedPhoto : public ::testing::TestWithParam<CameraCase> {};

// Disk centre within half a pixel, radius within 1.5 pixels, band
// direction within half a degree, whatever the camera did.
TEST_P(DegradedPhoto, DiskAndBandDirectionAreFound) {
    const Camera& cam = GetParam().camera;
    const testing::SyntheticPhoto photo = makeSyntheticPhoto(paraboloid(), cam);
    const PhotoAlignment a = alignPhoto(photo.view());
    EXPECT_NEAR(a.disk.cx, cam.cx, 0.5);
    EXPECT_NEAR(a.disk.cy, cam.cy, 0.5);
    EXPECT_NEAR(a.disk.radius, cam.radius, 1.5);
    EXPECT_NEAR(a.direction.normalDeg, normalOf(cam.rotationDeg), 0.5);
    EXPECT_GT(a.direction.coherence, 0.5);
    // The bands go onto the frame's nearer axis.
    EXPECT_EQ(a.mapping.bands, std::fabs(normalOf(cam.rotationDeg)) <= 45 ? BandAxis::Vertical : BandAxis::Horizontal);
    EXPECT_LE(std::fabs(a.mapping.rotationDeg), 45);
}

// The edges found on the frame lie on the model's band boundaries, within
// the shift a photo's gamma gives them toward one side, and each says on
// which side its bright band lies.
TEST_P(DegradedPhoto, EdgesLieOnTheBandBoundaries) {
    const Camera& cam = GetParam().camera;
    const PhotoTruth truth = paraboloid();
    const testing::SyntheticPhoto photo = makeSyntheticPhoto(truth, cam);
    const PhotoAlignment a = alignPhoto(photo.view());
    const std::vector<BandEdge> edges = extractEdges(a.frame, a.mapping.bands);
    ASSERT_GT(edges.size(), 300u);
    const BandPhase phase(truth.mirror, truth.zone, truth.parameters);
    // The truth lies on the camera's own frame: a point of the photo's
    // frame goes to the photo, and from there back through the camera.
    const double turn = cam.rotationDeg * std::acos(-1.0) / 180, scale = cam.radius / kDiskRadius;
    auto truthZ = [&](double x, double y) {
        const FramePoint p = a.mapping.toPhoto({x, y});
        const double dx = (p.x - cam.cx) / scale, dy = (p.y - cam.cy) / scale;
        return phase.atFrame(kDiskCentreX + dx * std::cos(turn) + dy * std::sin(turn),
                             kDiskCentreY - dx * std::sin(turn) + dy * std::cos(turn), BandAxis::Vertical);
    };
    const bool upright = a.mapping.bands == BandAxis::Vertical;
    std::vector<double> distances;
    int wrongSide = 0;
    for (const BandEdge& e : edges) {
        const double z = truthZ(e.x, e.y);
        const double gx = truthZ(e.x + 0.5, e.y) - truthZ(e.x - 0.5, e.y);
        const double gy = truthZ(e.x, e.y + 0.5) - truthZ(e.x, e.y - 0.5);
        // Distance in frame pixels to the nearest boundary z = n + 1/2.
        distances.push_back(std::fabs(z - (std::floor(z) + 0.5)) / std::hypot(gx, gy));
        // Two pixels toward the side the edge calls bright, the truth's band is even.
        const double side = 2.0 * e.brightSide;
        const double beyond = upright ? truthZ(e.x + side, e.y) : truthZ(e.x, e.y + side);
        if (std::fmod(std::fabs(std::round(beyond)), 2.0) != 0) ++wrongSide;
    }
    std::sort(distances.begin(), distances.end());
    const double median = distances[distances.size() / 2];
    const double ninetieth = distances[distances.size() * 9 / 10];
    EXPECT_LT(median, 1.0) << GetParam().name;
    EXPECT_LT(ninetieth, 2.0) << GetParam().name;
    EXPECT_LT(wrongSide, int(edges.size() / 50)) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Cameras, DegradedPhoto,
    ::testing::Values(
        CameraCase{"small_sharp", camera(400, 360, 196.3, 181.7, 137.5, 3, 1, 1, 0, 0.005, 0, 1)},
        CameraCase{"large_blurred_jpeg", camera(1400, 1250, 690.2, 640.9, 550, -8, 3, 0.7, 60, 0.02, 0.3, 2)},
        CameraCase{"level_bands_gamma", camera(900, 820, 470.6, 401.2, 330, 97.5, 2, 1.6, 85, 0.01, 0.2, 3)},
        CameraCase{"off_centre", camera(1000, 760, 420.1, 390.4, 300, -84, 1.5, 1.2, 50, 0.03, 0.4, 4)}),
    [](const ::testing::TestParamInfo<CameraCase>& i) { return std::string(i.param.name); });

// A picture drawn on the frame itself (the camera at the frame's own place)
// comes back onto the frame where it was: the mapping is the identity and
// the resampled picture is the picture.
TEST(PictureFrameMapping, APictureOnTheFrameResamplesOntoItself) {
    Camera cam;  // 800 x 700, the disk at (410, 300), radius 275
    cam.blur = 1;
    cam.colour = false;
    const testing::SyntheticPhoto photo = makeSyntheticPhoto(paraboloid(), cam);
    const GreyImage grey = toGrey(photo.view());
    const PhotoAlignment a = alignPhoto(grey);
    EXPECT_NEAR(a.mapping.cx, kDiskCentreX, 0.25);
    EXPECT_NEAR(a.mapping.cy, kDiskCentreY, 0.25);
    EXPECT_NEAR(a.mapping.scale * kDiskRadius, kDiskRadius, 1.0);
    EXPECT_NEAR(a.mapping.rotationDeg, 0, 0.1);
    ASSERT_EQ(a.frame.width, kPictureWidth);
    ASSERT_EQ(a.frame.height, kPictureHeight);
    double sum = 0;
    int n = 0, far = 0;
    for (int y = 0; y < grey.height; ++y)
        for (int x = 0; x < grey.width; ++x) {
            const double d = std::fabs(a.frame.at(x, y) - grey.at(x, y));
            sum += d, ++n;
            if (d > 0.25) ++far;
        }
    // Under a pixel's shift everywhere: no pixel moves a band edge's full step.
    EXPECT_LT(sum / n, 0.004);
    EXPECT_EQ(far, 0);
    // The mapping and its inverse agree.
    for (const FramePoint p : {FramePoint{10, 20}, FramePoint{410, 300}, FramePoint{790.5, 650.25}}) {
        const FramePoint back = a.mapping.toFrame(a.mapping.toPhoto(p));
        EXPECT_NEAR(back.x, p.x, 1e-9);
        EXPECT_NEAR(back.y, p.y, 1e-9);
    }
}

// A turned and scaled photo lands on the frame with the disk on the
// frame's disk: the frame's rim and centre read the photo's rim and
// centre.
TEST(PictureFrameMapping, ATurnedPhotoLandsOnTheFramesDisk) {
    const Camera cam = camera(1200, 1100, 610.3, 540.8, 480, 7, 1.5, 1, 0, 0.005, 0, 9);
    const PhotoAlignment a = alignPhoto(makeSyntheticPhoto(paraboloid(), cam).view());
    // Walk out from the frame's centre along a row in a bright band: the
    // brightness falls through half-way at the frame's rim.
    for (const double angle : {0.0, 1.3, 2.9, 4.4}) {
        const FramePoint rim{kDiskCentreX + kDiskRadius * std::cos(angle),
                             kDiskCentreY + kDiskRadius * std::sin(angle)};
        const FramePoint photoRim = a.mapping.toPhoto(rim);
        EXPECT_NEAR(std::hypot(photoRim.x - cam.cx, photoRim.y - cam.cy), cam.radius, 1.5) << angle;
    }
}

// What is no photo of a mirror is refused, with the kind of failure the
// programs turn into their exit status.
TEST(DiskDetection, PhotosWithoutAMirrorAreRefused) {
    auto refusal = [](const GreyImage& image) {
        try {
            alignPhoto(image);
        } catch (const PhotoError& e) {
            return std::pair{e.kind(), std::string(e.what())};
        }
        return std::pair{PhotoFailure::Cancelled, std::string("accepted")};
    };
    const auto tiny = refusal(GreyImage(40, 30, 0.5f));
    EXPECT_EQ(tiny.first, PhotoFailure::Unusable);
    EXPECT_NE(tiny.second.find("40 x 30 pixels"), std::string::npos) << tiny.second;

    const auto blank = refusal(GreyImage(640, 480, 0.7f));
    EXPECT_EQ(blank.first, PhotoFailure::Unusable);
    EXPECT_NE(blank.second.find("blank"), std::string::npos) << blank.second;

    // Noise, a square and a gradient: bright regions, but no round rim.
    std::mt19937 random(5);
    std::uniform_real_distribution<float> unit(0, 1);
    GreyImage noise(640, 480), square(640, 480, 0.05f), gradient(640, 480);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            noise.at(x, y) = unit(random);
            if (x > 200 && x < 440 && y > 120 && y < 360) square.at(x, y) = 0.9f;
            gradient.at(x, y) = float(x) / 640;
        }
    for (const GreyImage* image : {&noise, &square, &gradient}) {
        const auto r = refusal(*image);
        EXPECT_EQ(r.first, PhotoFailure::NoMirror) << r.second;
        EXPECT_NE(r.second.find("no mirror"), std::string::npos) << r.second;
    }
}

// A disk that runs out of the photo, or one darker than its ground (an
// inverted picture), is no mirror to fit; a disk touching the border within
// its blur still is.
TEST(DiskDetection, DisksOutsideThePhotoOrDarkerThanTheGroundAreRefused) {
    auto grey = [](const testing::SyntheticPhoto& p, bool invert) {
        GreyImage g = toGrey(p.view());
        if (invert)
            for (float& v : g.pixels) v = 1 - v;
        return g;
    };
    auto refusal = [](const GreyImage& image) -> std::string {
        try {
            alignPhoto(image);
        } catch (const PhotoError& e) {
            return e.kind() == PhotoFailure::NoMirror ? e.what() : "another failure: " + std::string(e.what());
        }
        return "accepted";
    };
    const PhotoTruth t = paraboloid();
    struct Case {
        Camera camera;
        bool invert;
        const char* words;
    };
    const Case cases[] = {
        {camera(700, 640, 150, 320, 260, 0, 1.5, 1, 0, 0.01, 0.2, 1), false, "runs outside the photo of 700 x 640"},
        {camera(700, 640, 351, 560, 260, 90, 1.5, 1, 0, 0.01, 0.2, 2), false, "runs outside the photo of 700 x 640"},
        {camera(1200, 1000, 600, 500, 250, 0, 1.5, 1.2, 0, 0.01, 0.2, 3), true, "no mirror found"},
        {camera(800, 700, 400, 350, 275, 0, 1.5, 1.2, 0, 0.01, 0.2, 4), true, "no mirror found"},
        {camera(1000, 1000, 500, 500, 300, 0, 1.5, 1.2, 0, 0.01, 0.2, 5), true, "no mirror found"},
    };
    for (const Case& c : cases) {
        const std::string r = refusal(grey(testing::makeSyntheticPhoto(t, c.camera), c.invert));
        EXPECT_NE(r.find(c.words), std::string::npos) << c.camera.cx << ", " << c.camera.cy << ": " << r;
    }
    // The rim a pixel inside the border: found.
    const Camera touching = camera(700, 640, 261.5, 320, 260, 0, 1, 1, 0, 0.005, 0, 6);
    const PhotoAlignment a = alignPhoto(grey(testing::makeSyntheticPhoto(t, touching), false));
    EXPECT_NEAR(a.disk.cx, 261.5, 0.5);
    EXPECT_NEAR(a.disk.radius, 260, 1.5);
}

// A bright disk whose pixels hold the share of their area inside the rim:
// its radius is exact, and so must the found one be, within a fifth of a
// pixel, on its own and under the bands, blur and noise of a photo.
GreyImage coveredDisk(int width, int height, double cx, double cy, double radius, float bright, float dark) {
    GreyImage image(width, height, dark);
    constexpr int kSub = 8;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
            if (d > radius + 1) continue;
            int in = kSub * kSub;
            if (d > radius - 1) {
                in = 0;
                for (int j = 0; j < kSub; ++j)
                    for (int i = 0; i < kSub; ++i)
                        in += std::hypot(x + (i + 0.5) / kSub - cx, y + (j + 0.5) / kSub - cy) < radius;
            }
            image.at(x, y) = dark + (bright - dark) * float(in) / (kSub * kSub);
        }
    return image;
}

TEST(DiskDetection, TheRadiusIsTheRimsWithinAFifthOfAPixel) {
    struct Disk {
        int width, height;
        double cx, cy, radius;
    };
    for (const Disk& d : {Disk{320, 300, 161.3, 148.8, 97.35}, Disk{800, 700, 410.6, 352.1, 275.8},
                          Disk{640, 480, 300.2, 251.7, 201.1}}) {
        const DiskFit fit = findDisk(coveredDisk(d.width, d.height, d.cx, d.cy, d.radius, 0.85f, 0.06f));
        EXPECT_NEAR(fit.radius, d.radius, 0.2) << d.radius;
        EXPECT_NEAR(fit.cx, d.cx, 0.2) << d.radius;
        EXPECT_NEAR(fit.cy, d.cy, 0.2) << d.radius;
    }
    for (const double radius : {180.4, 262.7}) {
        const Camera cam = camera(int(2.6 * radius), int(2.3 * radius), 1.27 * radius + 0.4, 1.13 * radius - 0.3,
                                  radius, 7, 1.0, 1.0, 0, 0.01, 0.1, 17);
        const DiskFit fit = findDisk(toGrey(makeSyntheticPhoto(paraboloid(), cam).view()));
        EXPECT_NEAR(fit.radius, radius, 0.2) << radius;
        EXPECT_NEAR(fit.cx, cam.cx, 0.2) << radius;
        EXPECT_NEAR(fit.cy, cam.cy, 0.2) << radius;
    }
}

TEST(DiskDetection, CirclesOfPoints) {
    // Points on a circle and inside it: the enclosing circle is the circle.
    std::vector<double> xy;
    for (int k = 0; k < 50; ++k) {
        const double a = 0.37 * k;
        xy.insert(xy.end(), {100 + 40 * std::cos(a), -20 + 40 * std::sin(a)});
        xy.insert(xy.end(), {100 + 13 * std::cos(2 * a), -20 + 21 * std::sin(a)});
    }
    const Circle enclosing = smallestEnclosingCircle(xy);
    EXPECT_NEAR(enclosing.cx, 100, 1e-6);
    EXPECT_NEAR(enclosing.cy, -20, 1e-6);
    EXPECT_NEAR(enclosing.radius, 40, 1e-6);
    // The least-squares circle through noisy points on an arc of 120 degrees.
    std::mt19937 random(3);
    std::normal_distribution<double> noise(0, 0.1);
    std::vector<double> arc;
    for (int k = 0; k < 200; ++k) {
        const double a = 0.2 + 2.1 * k / 200;
        arc.insert(arc.end(), {-50 + 300 * std::cos(a) + noise(random), 70 + 300 * std::sin(a) + noise(random)});
    }
    const Circle fitted = fitCircle(arc);
    EXPECT_NEAR(fitted.cx, -50, 0.2);
    EXPECT_NEAR(fitted.cy, 70, 0.2);
    EXPECT_NEAR(fitted.radius, 300, 0.2);
    EXPECT_LT(fitCircle({0, 0, 1, 1, 2, 2}).radius, 0) << "three points in a line";
}

// A photo's bytes align exactly as its grey image does, without the whole
// photo ever being held as floats: the same halvings, disk, direction and
// frame, bit for bit, for colour and grey photos, small and large.
TEST(GreyPyramid, ABytesViewAlignsAsItsGreyImage) {
    struct Case {
        const char* name;
        Camera camera;
        bool colour;
    };
    const Case cases[] = {
        {"small, colour", camera(400, 360, 203.3, 178.1, 140, 3, 1.5, 1.1, 0, 0.01, 0.2, 3), true},
        {"large, grey", camera(2100, 1700, 1040.6, 862.4, 600, -7, 2, 1.3, 85, 0.02, 0.3, 4), false},
        {"large, colour, odd sides", camera(2201, 1653, 1100.2, 820.9, 700, 12, 2.5, 0.9, 0, 0.015, 0.1, 5), true},
    };
    for (const Case& c : cases) {
        Camera cam = c.camera;
        cam.colour = c.colour;
        const testing::SyntheticPhoto photo = testing::makeSyntheticPhoto(paraboloid(), cam);
        const GreyImage grey = toGrey(photo.view());
        const GreyPyramid fromBytes(photo.view()), fromGrey(grey);
        ASSERT_EQ(fromBytes.width(), grey.width) << c.name;
        for (int k = 1; k <= 3; ++k) {
            const GreyImage& a = fromBytes.level(k);
            const GreyImage& b = fromGrey.level(k);
            ASSERT_EQ(a.width, b.width) << c.name << " level " << k;
            EXPECT_EQ(fromBytes.levelWidth(k), a.width) << c.name << " level " << k;
            EXPECT_EQ(fromBytes.levelHeight(k), a.height) << c.name << " level " << k;
            EXPECT_TRUE(a.pixels == b.pixels) << c.name << " level " << k;
        }
        EXPECT_EQ(fromBytes.sample(123.25, 77.6), sampleBilinear(grey, 123.25, 77.6)) << c.name;
        const PhotoAlignment a = alignPhoto(photo.view()), b = alignPhoto(grey);
        EXPECT_EQ(a.disk.cx, b.disk.cx) << c.name;
        EXPECT_EQ(a.disk.cy, b.disk.cy) << c.name;
        EXPECT_EQ(a.disk.radius, b.disk.radius) << c.name;
        EXPECT_EQ(a.direction.normalDeg, b.direction.normalDeg) << c.name;
        ASSERT_EQ(a.frame.pixels.size(), b.frame.pixels.size()) << c.name;
        EXPECT_EQ(std::memcmp(a.frame.pixels.data(), b.frame.pixels.data(), a.frame.pixels.size() * sizeof(float)), 0)
            << c.name;
        EXPECT_NEAR(a.disk.radius, cam.radius, 2) << c.name;
    }
}

}  // namespace
}  // namespace sg
