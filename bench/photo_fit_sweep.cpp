// SPDX-License-Identifier: GPL-3.0-or-later
// The accuracy sweep of the photo fit: synthetic photos of random mirrors
// (f/4..f/8, 3..6 band pairs, either side of the centre of curvature) taken
// by random cameras (scale 0.5..2, rotation within 10 degrees, blur 1..3
// px, gamma 0.6..1.6, noise, vignetting, JPEG 50..90), aligned and fitted,
// the errors against the truth summed up. Not a test: run it by hand,
//
//     build/bench/photo_fit_sweep [--conics N] [--edges N] [--pairs N] [--seed S]
//
// It prints one line per photo on standard error as it goes and the
// figures at the end on standard output.
#include "fit/photo_fit.h"
#include "tests/support/synthetic_photo.h"

#include <QGuiApplication>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace sg;
using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

struct Spread {
    std::vector<double> v;
    void add(double x) { v.push_back(std::fabs(x)); }
    double median() const {
        if (v.empty()) return NAN;
        std::vector<double> s = v;
        std::sort(s.begin(), s.end());
        return s[s.size() / 2];
    }
    double max() const { return v.empty() ? NAN : *std::max_element(v.begin(), v.end()); }
    std::string line(int decimals) const {
        char text[96];
        std::snprintf(text, sizeof text, "median %.*f, max %.*f (%zu)", decimals, median(), decimals, max(), v.size());
        return text;
    }
};

double truthNormal(double rotation) {
    double a = std::fmod(rotation, 180.0);
    if (a <= -90) a += 180;
    if (a > 90) a -= 180;
    return a;
}

Side sideOf(double offset) { return offset < 0 ? Side::Inside : Side::Outside; }

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    int conics = 200, edges = 60, pairs = 40;
    std::uint32_t seed = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        const int v = std::atoi(argv[i + 1]);
        if (a == "--conics") conics = v;
        else if (a == "--edges") edges = v;
        else if (a == "--pairs") pairs = v;
        else if (a == "--seed") seed = std::uint32_t(v);
    }

    // Pure conics, the side given; the same photos again without it.
    Spread dK, dA, centre, radius, direction, alignTime, fitTime;
    int covered = 0, fitted = 0, failed = 0;
    int decidedRight = 0, decidedWrong = 0, undecidedNear = 0, nearSphere = 0, farFromSphere = 0, between = 0;
    for (int n = 0; n < conics; ++n) {
        const std::uint32_t s = seed + std::uint32_t(n);
        const testing::PhotoTruth t = testing::randomConic(s);
        const testing::Camera cam = testing::randomCamera(s);
        const testing::SyntheticPhoto photo = testing::makeSyntheticPhoto(t, cam);
        try {
            auto started = Clock::now();
            const PhotoAlignment a = alignPhoto(photo.view());
            alignTime.add(seconds(started));
            FitRequest r;
            r.mirror = t.mirror;
            r.side = sideOf(t.parameters.offset);
            started = Clock::now();
            const FitResult f = fitPhoto(a, r);
            fitTime.add(seconds(started));
            ++fitted;
            const double k = f.conic.value - t.parameters.conic;
            dK.add(k);
            dA.add(f.offset.value - t.parameters.offset);
            covered += std::fabs(k) <= 3 * f.conic.sigma + 0.005;
            centre.add(std::hypot(a.disk.cx - cam.cx, a.disk.cy - cam.cy));
            radius.add(a.disk.radius - cam.radius);
            double dd = a.direction.normalDeg - truthNormal(cam.rotationDeg);
            if (dd > 90) dd -= 180;
            if (dd < -90) dd += 180;
            direction.add(dd);
            std::fprintf(stderr, "conic %u: K %.3f a %.3f -> dK %+.4f (sigma %.4f) da %+.4f rms %.2f px  %.2f s\n", s,
                         t.parameters.conic, t.parameters.offset, k, f.conic.sigma,
                         f.offset.value - t.parameters.offset, f.edgeRmsPhoto, fitTime.v.back());

            r.side = Side::Unknown;
            const FitResult u = fitPhoto(a, r);
            const double K = t.parameters.conic;
            if (K <= -0.3) {
                ++farFromSphere;
                if (u.sideFrom == SideFrom::Conic && u.side == sideOf(t.parameters.offset)) ++decidedRight;
                else if (u.sideFrom == SideFrom::Conic) ++decidedWrong;
            } else if (std::fabs(K) < 0.25) {
                ++nearSphere;
                if (u.sideFrom == SideFrom::Undecided) ++undecidedNear;
            } else {
                ++between;
            }
        } catch (const std::exception& e) {
            ++failed;
            std::fprintf(stderr, "conic %u: failed: %s\n", s, e.what());
        }
    }

    // Turned edges, their start given.
    Spread dZone, dKZone, zoneTime;
    int zoneFailed = 0;
    for (int n = 0; n < edges; ++n) {
        const std::uint32_t s = seed + 5000 + std::uint32_t(n);
        const testing::PhotoTruth t = testing::randomTurnedEdge(s);
        const testing::SyntheticPhoto photo = testing::makeSyntheticPhoto(t, testing::randomCamera(s));
        try {
            const PhotoAlignment a = alignPhoto(photo.view());
            FitRequest r;
            r.mirror = t.mirror;
            r.side = sideOf(t.parameters.offset);
            r.zone = t.zone;
            const auto started = Clock::now();
            const FitResult f = fitPhoto(a, r);
            zoneTime.add(seconds(started));
            dZone.add(f.zoneHeight->value - t.parameters.zoneHeight);
            dKZone.add(f.conic.value - t.parameters.conic);
            std::fprintf(stderr, "edge %u: start %.2f height %+.3f -> dh %+.4f dK %+.4f  %.2f s\n", s, t.zone.start,
                         t.parameters.zoneHeight, f.zoneHeight->value - t.parameters.zoneHeight,
                         f.conic.value - t.parameters.conic, zoneTime.v.back());
        } catch (const std::exception& e) {
            ++zoneFailed;
            std::fprintf(stderr, "edge %u: failed: %s\n", s, e.what());
        }
    }

    // Pairs 1..3 mm apart, in their order and swapped.
    int pairRight = 0, pairWrong = 0, pairFellBack = 0, pairTried = 0, swappedRefused = 0, swappedTried = 0,
        pairFailed = 0;
    for (int n = 0; n < pairs; ++n) {
        const std::uint32_t s = seed + 9000 + std::uint32_t(n);
        testing::PhotoTruth first = testing::randomConic(s);
        first.parameters.conic = -0.3 - 1.0 * ((s * 2654435761u) % 1000) / 1000.0;
        testing::PhotoTruth second = first;
        // Away from the null, so that the second photo has as many bands:
        // farther out outside, nearer the mirror inside.
        const double separation = (first.parameters.offset < 0 ? -1 : 1) * double(1 + s % 3);
        second.parameters.offset += separation;
        second.parameters.transverse = -first.parameters.transverse;
        try {
            const PhotoAlignment a = alignPhoto(testing::makeSyntheticPhoto(first, testing::randomCamera(s)).view());
            const PhotoAlignment b =
                alignPhoto(testing::makeSyntheticPhoto(second, testing::randomCamera(s + 77777)).view());
            FitRequest r;
            r.mirror = first.mirror;
            ++pairTried;
            const FitResult f = fitPhotoPair(a, b, separation, r);
            const bool right = f.side == sideOf(first.parameters.offset) &&
                               std::fabs(f.conic.value - first.parameters.conic) < 0.05;
            const bool byPair = f.sideFrom == SideFrom::SecondPhoto;
            pairRight += right && byPair;
            pairWrong += !right;
            pairFellBack += right && !byPair;
            ++swappedTried;
            try {
                fitPhotoPair(b, a, separation, r);
            } catch (const PhotoError& e) {
                swappedRefused += e.kind() == PhotoFailure::BadInput;
            }
            std::fprintf(stderr, "pair %u: K %.3f a %.3f %+.0f mm -> %s\n", s, first.parameters.conic,
                         first.parameters.offset, separation,
                         !right ? "WRONG" : byPair ? "right" : "right, by the conic");
        } catch (const std::exception& e) {
            ++pairFailed;
            std::fprintf(stderr, "pair %u: failed: %s\n", s, e.what());
        }
    }

    std::printf("Pure conics, side given: %d photos fitted, %d failed\n", fitted, failed);
    std::printf("  |dK|            %s\n", dK.line(4).c_str());
    std::printf("  |offset error|  %s mm\n", dA.line(4).c_str());
    std::printf("  |dK| <= 3 sigma + 0.005 in %.1f %% of the photos\n", fitted ? 100.0 * covered / fitted : 0.0);
    std::printf("  disk centre     %s px\n", centre.line(3).c_str());
    std::printf("  disk radius     %s px\n", radius.line(3).c_str());
    std::printf("  band direction  %s deg\n", direction.line(3).c_str());
    std::printf("  align time      %s s\n", alignTime.line(3).c_str());
    std::printf("  fit time        %s s\n", fitTime.line(3).c_str());
    std::printf("Side not given: K <= -0.3 decided right %d, wrong %d of %d; |K| < 0.25 undecided %d of %d; %d between\n",
                decidedRight, decidedWrong, farFromSphere, undecidedNear, nearSphere, between);
    std::printf("Turned edges, start given: %zu fitted, %d failed\n", dZone.v.size(), zoneFailed);
    std::printf("  |zone height error| %s waves\n", dZone.line(4).c_str());
    std::printf("  |dK|                %s\n", dKZone.line(4).c_str());
    std::printf("  fit time            %s s\n", zoneTime.line(3).c_str());
    std::printf("Pairs, K <= -0.3: of %d, side and conic right by the pair %d, right by the conic (the pair not\n"
                "  decisive) %d, wrong %d; swapped order refused %d of %d; %d failed to align or fit\n",
                pairTried, pairRight, pairFellBack, pairWrong, swappedRefused, swappedTried, pairFailed);
    return 0;
}
