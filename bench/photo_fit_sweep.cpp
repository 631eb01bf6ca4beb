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
#include <random>
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

// A wave photo's light and tester, drawn at random: a point source, a slit
// up to half the grating's period, or the grating lit from behind (a slit
// of half the period); the source fixed or moving with the grating; red
// light or white light.
struct WaveCase {
    testing::PhotoTruth truth;
    testing::WaveLight light;
    bool gratingSource = false;
    std::string name;
};

WaveCase waveCase(testing::PhotoTruth truth, std::uint32_t seed) {
    std::mt19937 random(seed * 2246822519u + 5u);
    std::uniform_real_distribution<double> unit(0, 1);
    WaveCase w;
    w.truth = truth;
    w.truth.mirror.exact = true;
    const bool moving = unit(random) < 0.5;
    if (moving) {
        // The same bands, the grating at half the offset.
        w.truth.mirror.sourceMoves = true;
        w.truth.parameters.offset /= 2;
    }
    const double halfPeriod = 1 / (2 * truth.mirror.linesPerMm);
    const double kind = unit(random);
    if (kind < 0.35) {
        w.light.slitWidth = 0;
        w.name = "point";
    } else if (kind < 0.8) {
        w.light.slitWidth = halfPeriod * unit(random);
        w.name = "slit";
    } else {
        w.light.slitWidth = halfPeriod;
        w.gratingSource = true;
        w.name = "grating";
    }
    const bool white = unit(random) < 0.25;
    w.light.spectrum = white ? Spectrum::White : Spectrum::Mono;
    w.truth.mirror.wavelength = white ? 0.55 : 0.63;
    w.name += white ? " white" : " red";
    w.name += moving ? " moving" : " fixed";
    return w;
}

FitRequest waveRequest(const WaveCase& w, bool rayFit) {
    FitRequest r;
    r.mirror = w.truth.mirror;
    r.side = sideOf(w.truth.parameters.offset);
    if (!rayFit) {
        r.mirror.model = FitModel::Waves;
        r.mirror.spectrum = w.light.spectrum;
        r.mirror.source = w.gratingSource ? LightSource::Grating : w.light.slitWidth > 0 ? LightSource::Slit : LightSource::Point;
        r.mirror.slitWidth = w.gratingSource ? 0 : w.light.slitWidth;
    }
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    int conics = 200, edges = 60, pairs = 40, waveConics = 0, waveEdges = 0;
    bool rayFit = false;
    std::string saveFolder, cameraKind;
    std::uint32_t seed = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--ray-fit") {
            rayFit = true;
            continue;
        }
        if (i + 1 >= argc) break;
        const int v = std::atoi(argv[++i]);
        if (a == "--save") saveFolder = argv[i];
        else if (a == "--camera") cameraKind = argv[i];
        else if (a == "--conics") conics = v;
        else if (a == "--edges") edges = v;
        else if (a == "--pairs") pairs = v;
        else if (a == "--wave-conics") waveConics = v;
        else if (a == "--wave-edges") waveEdges = v;
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

    // Photos drawn by the wave model: a point source or a slit up to half a
    // period, both testers, red or white light.
    Spread wK, wA, wTime;
    int wCovered = 0, wFailed = 0;
    for (int n = 0; n < waveConics; ++n) {
        const std::uint32_t s = seed + 20000 + std::uint32_t(n);
        const WaveCase w = waveCase(testing::randomConic(s), s);
        testing::Camera cam = testing::randomCamera(s);
        if (!cameraKind.empty()) {
            testing::Camera clean;
            clean.colour = false;
            if (cameraKind.find("blur") != std::string::npos) clean.blur = cam.blur;
            if (cameraKind.find("gamma") != std::string::npos) clean.gamma = cam.gamma;
            if (cameraKind.find("scale") != std::string::npos) clean = cam, clean.blur = 0, clean.gamma = 1, clean.noise = 0, clean.jpegQuality = 0, clean.vignetting = 0;
            cam = clean;
        }
        try {
            const testing::SyntheticPhoto photo = testing::makeWavePhoto(w.truth, w.light, cam);
            if (!saveFolder.empty()) testing::savePhoto(photo, saveFolder + "/wave_" + std::to_string(s) + ".png");
            const PhotoAlignment a = alignPhoto(photo.view());
            FitRequest r = waveRequest(w, rayFit);
            const auto started = Clock::now();
            const FitResult f = fitPhoto(a, r);
            wTime.add(seconds(started));
            const double k = f.conic.value - w.truth.parameters.conic;
            const double da = f.offset.value - w.truth.parameters.offset;
            wK.add(k);
            wA.add(da);
            wCovered += std::fabs(k) <= 3 * f.conic.sigma + 0.005;
            std::fprintf(stderr, "wave %u: %s K %.3f a %.3f f/%.1f %.2f l/mm slit %.3f -> dK %+.4f (sigma %.4f) da %+.4f rms %.2f px  %.2f s\n",
                         s, w.name.c_str(), w.truth.parameters.conic, w.truth.parameters.offset,
                         w.truth.mirror.radius / (2 * w.truth.mirror.diameter), w.truth.mirror.linesPerMm,
                         w.light.slitWidth, k, f.conic.sigma, da, f.edgeRmsPhoto, wTime.v.back());
        } catch (const std::exception& e) {
            ++wFailed;
            std::fprintf(stderr, "wave %u: failed: %s\n", s, e.what());
        }
    }
    Spread wZone, wKZone, wZoneTime;
    int wZoneFailed = 0;
    for (int n = 0; n < waveEdges; ++n) {
        const std::uint32_t s = seed + 25000 + std::uint32_t(n);
        const WaveCase w = waveCase(testing::randomTurnedEdge(s), s);
        try {
            const PhotoAlignment a = alignPhoto(testing::makeWavePhoto(w.truth, w.light, testing::randomCamera(s)).view());
            FitRequest r = waveRequest(w, rayFit);
            r.zone = w.truth.zone;
            const auto started = Clock::now();
            const FitResult f = fitPhoto(a, r);
            wZoneTime.add(seconds(started));
            wZone.add(f.zoneHeight->value - w.truth.parameters.zoneHeight);
            wKZone.add(f.conic.value - w.truth.parameters.conic);
            std::fprintf(stderr, "wave edge %u: %s start %.2f height %+.3f -> dh %+.4f dK %+.4f  %.2f s\n", s,
                         w.name.c_str(), w.truth.zone.start, w.truth.parameters.zoneHeight,
                         f.zoneHeight->value - w.truth.parameters.zoneHeight, f.conic.value - w.truth.parameters.conic,
                         wZoneTime.v.back());
        } catch (const std::exception& e) {
            ++wZoneFailed;
            std::fprintf(stderr, "wave edge %u: failed: %s\n", s, e.what());
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
    if (waveConics > 0 || waveEdges > 0) {
        std::printf("\nPhotos drawn by the wave model, fitted %s\n",
                    rayFit ? "by the rays alone" : "with the wave model");
        std::printf("  pure conics, side given: %zu fitted, %d failed\n", wK.v.size(), wFailed);
        std::printf("  |dK|            %s\n", wK.line(4).c_str());
        std::printf("  |offset error|  %s mm\n", wA.line(4).c_str());
        std::printf("  |dK| <= 3 sigma + 0.005 in %.1f %% of the photos\n",
                    wK.v.empty() ? 0.0 : 100.0 * wCovered / double(wK.v.size()));
        std::printf("  fit time        %s s\n", wTime.line(3).c_str());
        std::printf("  turned edges, start given: %zu fitted, %d failed\n", wZone.v.size(), wZoneFailed);
        std::printf("  |zone height error| %s waves\n", wZone.line(4).c_str());
        std::printf("  |dK|                %s\n", wKZone.line(4).c_str());
        std::printf("  fit time            %s s\n", wZoneTime.line(3).c_str());
    }
    return 0;
}
