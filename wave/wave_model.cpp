// SPDX-License-Identifier: GPL-3.0-or-later
#include "wave/wave_model.h"

#include "model/failure.h"
#include "simulator/exact_trace.h"
#include "wave/phase_turn.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <limits>
#include <string>

namespace sg::wave {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Slit points beyond these counts (per axis) are refused rather than computed for minutes.
constexpr int kMostSlitPoints = 1024;
constexpr int kMostCrossedSlitPoints = 128;
// The largest samples per pixel and transform, and the crossed devices'
// largest intermediate field (bytes), beyond which a picture is refused.
constexpr int kMostSamplesPerPixel = 64;
constexpr int kLongestTransform = 1 << 21;
constexpr double kMostCrossedBytes = 128e6;
// What a point of the slit may add to its tilt before each point is traced
// on its own: the spread of the departure over the mirror, in turns.
constexpr double kTiltDeparture = 0.002;

// One wavelength of the light, mm, and its share of the picture.
struct Light {
    double wavelength;
    double weight;
};

// Mono: the test's wavelength. White: 0.450 to 0.650 micrometres in steps of
// 0.025 with the eye's photopic sensitivity, normalised by the weights' sum.
std::vector<Light> lightOf(const TestSetup& t) {
    if (t.spectrum != Spectrum::White) return {{t.wavelength * 1e-3, 1.0}};
    static constexpr double kWeights[9] = {0.038, 0.113, 0.323, 0.793, 0.995, 0.915, 0.631, 0.321, 0.107};
    double total = 0;
    for (double w : kWeights) total += w;
    std::vector<Light> light;
    for (int i = 0; i < 9; ++i) light.push_back({(450 + 25 * i) * 1e-6, kWeights[i] / total});
    return light;
}

double shortestWavelength(const std::vector<Light>& light) {
    double shortest = light.front().wavelength;
    for (const Light& l : light) shortest = std::min(shortest, l.wavelength);
    return shortest;
}

void requireFinite(double v) {
    if (!std::isfinite(v)) throwInvalidOperation();
}

void requirePositive(double v) {
    if (!(v > 0) || !std::isfinite(v)) throwInvalidOperation();
}

int floorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

int wrap(int i, int n) {
    const int r = i % n;
    return r < 0 ? r + n : r;
}

[[noreturn]] void refuseSpread(double spread) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "The wave picture cannot be computed this far from focus: the light spreads over %.3g mm in the "
                  "device's plane.",
                  2 * spread);
    throw ActionError(text);
}

// The test's device along one line and, for "2 D", the crossed pair.
struct Device {
    bool crossed = false;    // "2 D" grating or wire: separable in x and y
    bool alongY = false;     // one device reading P_y (horizontal lines, wire or edge)
    DeviceLine x, y;         // the device along the line (x), or the crossed pair
    bool subtract = false;   // crossed: the image field is U - (the separable field)
    double period = 0;       // 2 w, mm: the slit is sampled against it
};

// The ray rules read as transmissions: Ronchi lit in the odd bands (the even
// ones with a bright centre band), the wire lit outside 1.5 bands of its
// line (offset 3 t), the knife lit where z <= 0. "2 D" combines the two
// directions as the rules do: a grating with a bright centre lets through
// where both directions' bright bands meet, t = t_x t_y, and without one
// where either's odd band is, so the image field is U minus that of the
// bright-centre pair; the wire stops only where both wires are, so U minus
// the field of the two wires' stopped shares. The second direction has no
// transverse offset; the knife reads P_x for "2 D".
Device deviceOf(const TestSetup& t) {
    Device d;
    const double w = 1 / (2 * workingLinesPerMm(t));
    const double offset = t.position.transverseOffset;
    d.period = 2 * w;
    const bool twoD = t.orientation == Orientation::TwoD;
    d.alongY = t.orientation == Orientation::Horizontal;
    if (t.test == TestKind::Foucault) {
        d.x = DeviceLine{DeviceKind::Knife, w, offset, false, false};
        return d;
    }
    const bool wire = t.test == TestKind::Wire;
    const DeviceKind kind = wire ? DeviceKind::Wire : DeviceKind::Grating;
    const double along = wire ? 3 * offset : offset;
    if (!twoD) {
        d.x = DeviceLine{kind, w, along, brightCentreBand(t), false};
        return d;
    }
    d.crossed = true;
    d.subtract = wire || !t.evenLines;
    d.x = DeviceLine{kind, w, along, !wire, wire};
    d.y = DeviceLine{kind, w, 0, !wire, wire};
    return d;
}

// The midpoint rule across a slit of width `width`: at least 8 points and
// at least `perPeriod` per period of the device, 16 when that many would
// pass `most`.
std::vector<double> slitPoints(double width, double period, int perPeriod, int most) {
    if (!(width > 0)) return {0.0};
    double wanted = std::ceil(perPeriod * width / period);
    if (wanted > most) wanted = std::ceil(16 * width / period);
    if (!(wanted <= most)) {
        char text[160];
        std::snprintf(text, sizeof text, "The slit is too wide for the wave picture: %.4g mm is more than %.4g periods.",
                      width, most / 16.0);
        throw ActionError(text);
    }
    const int count = std::max(8, static_cast<int>(wanted));
    std::vector<double> points;
    for (int i = 0; i < count; ++i) points.push_back(width * ((i + 0.5) / count - 0.5));
    return points;
}

// How far a point (sx, sy) of the source departs from a pure tilt of the
// pupil's phase: the spread over the mirror of W_s - W_0 + (sx x + sy y) /
// zS, in turns of `wavelength`.
double tiltDeparture(const PupilGeometry& g, double sx, double sy, double wavelength) {
    double low = std::numeric_limits<double>::infinity(), high = -low;
    const int steps = 32;
    for (int i = 0; i <= steps; ++i)
        for (int j = 0; j <= steps; ++j) {
            const double x = g.diameter * (static_cast<double>(i) / steps - 0.5);
            const double y = g.diameter * (static_cast<double>(j) / steps - 0.5);
            const double moved = opticalPath(g, x, y, sx, sy), centred = opticalPath(g, x, y, 0, 0);
            if (std::isnan(moved) || std::isnan(centred)) continue;
            const double d = moved - centred + (sx * x + sy * y) / g.sourceZ;
            low = std::min(low, d);
            high = std::max(high, d);
        }
    return high > low ? (high - low) / wavelength : 0;
}

}  // namespace

PupilGeometry pupilGeometry(const Scene& scene) {
    const Mirror& m = scene.mirror;
    const TestSetup& t = scene.setup;
    requirePositive(m.mirrorDiameter);
    requirePositive(m.radiusOfCurvature);
    requireFinite(m.conicConstant);
    requirePositive(t.wavelength);
    const double ruling = workingLinesPerMm(t);
    if (ruling == 0) throwDivisionByZero();
    requirePositive(ruling);
    requireFinite(t.position.axialOffset);
    requireFinite(t.position.transverseOffset);
    requireFinite(t.slitWidth);
    PupilGeometry g;
    g.diameter = m.mirrorDiameter;
    g.radius = m.radiusOfCurvature;
    g.conic = m.conicConstant;
    g.pixel = m.mirrorDiameter / kDiskPixels;
    g.deviceZ = m.radiusOfCurvature + t.position.axialOffset;
    // The device at or behind the vertex has no image to show.
    requirePositive(g.deviceZ);
    g.sourceZ = t.sourceMoves() ? g.deviceZ : m.radiusOfCurvature;
    g.zone = scene.zone;
    return g;
}

namespace {

// The optical path less (sourceZ + deviceZ) at any (x, y) where the conic
// has a sag, on the mirror or beyond its rim (for the rim's samples); NaN
// beyond the conic's validity.
double pathAnywhere(const PupilGeometry& g, double x, double y, double sx, double sy) {
    const double s = x * x + y * y;
    const double square = g.radius * g.radius - (1 + g.conic) * s;
    if (!(square >= 0)) return kNaN;
    // The exact conic's sag, z = s / (R + sqrt(R^2 - (1 + K) s)), and the zone's.
    double sag = s / (g.radius + std::sqrt(square));
    if (!g.zone.flat) sag += zoneAt(g.zone, std::sqrt(s)).sag;
    // d - h for the distance d from P to the axial point at height h, taken
    // as (d^2 - h^2) / (d + h) so that nothing of the order of R cancels.
    const double dx = x - sx, dy = y - sy;
    const double lateral = dx * dx + dy * dy;
    const double toSource = g.sourceZ - sag;
    const double fromSource = (lateral + sag * (sag - 2 * g.sourceZ)) /
                              (std::sqrt(lateral + toSource * toSource) + g.sourceZ);
    const double toDevice = g.deviceZ - sag;
    const double toF = (s + sag * (sag - 2 * g.deviceZ)) / (std::sqrt(s + toDevice * toDevice) + g.deviceZ);
    return fromSource + toF;
}

// Within the rim and the conic's validity.
bool onTheMirror(const PupilGeometry& g, double x, double y) {
    const double s = x * x + y * y;
    const double rim = g.diameter / 2;
    return s <= rim * rim && g.radius * g.radius - (1 + g.conic) * s >= 0;
}

}  // namespace

double opticalPath(const PupilGeometry& g, double x, double y, double sx, double sy) {
    if (!onTheMirror(g, x, y)) return kNaN;
    return pathAnywhere(g, x, y, sx, sy);
}

double rayLandingSpread(const PupilGeometry& g) {
    const ExactMirror mirror{g.radius, g.conic};
    const ExactSource source{0, 0, g.sourceZ};
    const int steps = 2048;
    double spread = 0;
    for (int i = 0; i <= steps; ++i) {
        const double r = g.diameter / 2 * i / steps;
        const ExactHit h = traceExact(mirror, r, 0, zoneAt(g.zone, r), source, g.deviceZ);
        if (h.hit) spread = std::max(spread, std::fabs(h.x));
    }
    return spread;
}

double deviceSampleWidth(const PupilGeometry& g, const Sampling& s, double wavelength) {
    return wavelength * g.deviceZ / (s.paddedPixels * g.pixel);
}

namespace {

// The sampling for a field that spreads `spread` mm about F at the
// shortest wavelength.
//  - Window: lambda L / (D / 550) per sample per pixel. It holds the
//    spread on both sides and a margin of kWindowMargin times the
//    one-sample window for the diffraction at the rim, whose field falls
//    off only as 1 / q: what lies beyond the window comes back from its
//    other side, where the device may differ. At least 2 samples per pixel.
//  - Padding: N' pixels of pupil. The mirror's sheared copies must not
//    wrap round onto it (N' >= 2 D), and the box-averaged samples weigh a
//    shear d by sinc(d / (N' pixel)): 2.5 D for gratings and wires, whose
//    copies' weights alternate in sign. A knife's response falls off only
//    as 1 / d: the transform on a circle of N' pixels takes cot(pi d / N')
//    for it, off by pi d / (3 N'^2), which grows with the light the edge
//    cuts. Concentrated near focus (the spot a diffraction width or two)
//    that takes 9 D; spread over many widths the field at the edge is
//    weaker as one over the square root of their number, and the pupil
//    shortens with its square root, down to 2.5 D.
Sampling samplingFor(const PupilGeometry& g, TestKind test, double spread, double shortest) {
    const double window = shortest * g.deviceZ / g.pixel;
    constexpr double kWindowMargin = 1.5;
    const double wanted = std::ceil(2 * spread / window + kWindowMargin);
    if (!(wanted <= kMostSamplesPerPixel)) refuseSpread(spread);
    Sampling s;
    s.samplesPerPixel = smoothLength(static_cast<int>(wanted));
    double factor = 2.5;
    if (test == TestKind::Foucault) {
        const double widths = 2 * spread * g.diameter / (shortest * g.deviceZ);
        factor = std::clamp(9 / std::sqrt(std::sqrt(std::max(1.0, widths))), 2.5, 9.0);
    }
    s.paddedPixels = smoothLength(static_cast<int>(std::ceil(factor * kDiskPixels)));
    return s;
}

}  // namespace

Sampling chooseSampling(const Scene& scene) {
    const PupilGeometry g = pupilGeometry(scene);
    return samplingFor(g, scene.setup.test, rayLandingSpread(g), shortestWavelength(lightOf(scene.setup)));
}

struct WaveComputer::Plan {
    PupilGeometry g;
    std::vector<Light> light;
    Sampling sampling;
    Device device;
    // The points of the source whose optical paths are traced, mm across
    // the axis (one, on the axis, when the device moves instead).
    std::vector<std::array<double, 2>> tracePoints;
    // The device's moves against the light, mm in the rule's frame, along
    // the line (shiftsX) and, for the crossed pair, along y.
    std::vector<double> shiftsX{0.0}, shiftsY{0.0};
    std::vector<char> onMirror;  // the frame's pixels whose centres lie on the mirror
    int lineStride = 1;          // every stride-th line across the device's lines
};

WaveFrame WaveComputer::compute(const Scene& scene, const Options& options) {
    Plan p;
    p.g = pupilGeometry(scene);
    p.light = lightOf(scene.setup);
    p.device = deviceOf(scene.setup);
    const TestSetup& t = scene.setup;
    const PupilGeometry& g = p.g;
    const double shortest = shortestWavelength(p.light);

    // The source's points: across the lines, edge or wire; both ways for
    // the crossed pair. A knife reads P_x for "2 D", which a point moved
    // along y only tilts along its own line: it takes the x points alone.
    // A point's (x, y) from its place along and down:
    auto pointOf = [&](double a, double b) -> std::array<double, 2> {
        if (options.sourcePoint) return *options.sourcePoint;
        if (p.device.crossed) return {a, b};
        return p.device.alongY ? std::array<double, 2>{0, a} : std::array<double, 2>{a, 0};
    };
    const double edge = t.slitWidth > 0 ? t.slitWidth / 2 : 0;
    bool move = options.slit != SlitMethod::TraceEachPoint;
    if (options.slit == SlitMethod::Auto)
        move = tiltDeparture(g, pointOf(edge, edge)[0], pointOf(edge, edge)[1], shortest) <= kTiltDeparture &&
               tiltDeparture(g, pointOf(-edge, -edge)[0], pointOf(-edge, -edge)[1], shortest) <= kTiltDeparture;
    // Points 16 apart in a period leave the cross terms of the device's
    // orders 16 apart, a ripple of 1/16 of the bands' period (7 % for a
    // grating and a slit of a period); moving the device costs only an
    // inverse transform per point and line, so the lines' passes take 64.
    std::vector<double> across, down{0.0};
    if (options.sourcePoint) {
        across = {p.device.alongY ? (*options.sourcePoint)[1] : (*options.sourcePoint)[0]};
        if (p.device.crossed) down = {(*options.sourcePoint)[1]};
    } else {
        const int most = p.device.crossed ? kMostCrossedSlitPoints : kMostSlitPoints;
        const int perPeriod = options.slitPointsPerPeriod >= 16 ? options.slitPointsPerPeriod
                              : move && !p.device.crossed ? 64
                                                          : 16;
        across = slitPoints(t.slitWidth, p.device.period, perPeriod, most);
        if (p.device.crossed) down = slitPoints(t.slitWidth, p.device.period, perPeriod, most);
    }
    // Moving the source by s (true frame) tilts the pupil's phase by
    // -s x / zS, which moves the field by -s L / zS in the true frame: its
    // light then stands at P = s L / zS in the rule's frame (P = -q). The
    // device's samples are taken with that shift, z = (P + shift) / w +
    // offset, against the field of the point on the axis.
    const double moveScale = g.deviceZ / g.sourceZ;
    double widest = 0;
    if (move) {
        p.tracePoints = {{0.0, 0.0}};
        p.shiftsX.clear();
        p.shiftsY.clear();
        for (double a : across) p.shiftsX.push_back(a * moveScale);
        for (double b : down) p.shiftsY.push_back(b * moveScale);
    } else {
        p.tracePoints.clear();
        for (double a : across)
            for (double b : down) {
                p.tracePoints.push_back(pointOf(a, b));
                widest = std::max({widest, std::fabs(a), std::fabs(b)});
            }
    }

    const double spread = rayLandingSpread(g) + widest * moveScale;
    p.sampling = options.sampling ? *options.sampling : samplingFor(g, t.test, spread, shortest);
    p.sampling.samplesPerPixel *= options.samplesFactor;
    p.sampling.paddedPixels *= options.paddingFactor;
    const double forwardLength = static_cast<double>(p.sampling.samplesPerPixel) * p.sampling.paddedPixels;
    if (p.sampling.samplesPerPixel > kMostSamplesPerPixel || forwardLength > kLongestTransform) refuseSpread(spread);
    if (p.device.crossed && 16.0 * (p.sampling.samplesPerPixel * (kDiskPixels + 2.0)) * kDiskPixels > kMostCrossedBytes)
        refuseSpread(spread);
    // The pupil's line must fit in the transform with room for a pixel on either side.
    if (p.sampling.paddedPixels < kDiskPixels + 4 || p.sampling.samplesPerPixel < 1)
        throw ActionError("The wave picture's sampling is too coarse for the mirror.");

    report_ = Report{};
    report_.sampling = p.sampling;
    report_.spread = spread;
    report_.deviceSample = deviceSampleWidth(g, p.sampling, p.light.front().wavelength);
    report_.sourcePoints = static_cast<int>(across.size());
    report_.movedDevice = move;

    // The pixels whose centres lie on the mirror.
    p.onMirror.assign(static_cast<std::size_t>(WaveFrame::kWidth) * WaveFrame::kHeight, 0);
    for (int py = kDiskCentreY - kDiskPixels / 2 - 1; py <= kDiskCentreY + kDiskPixels / 2; ++py)
        for (int px = kDiskCentreX - kDiskPixels / 2 - 1; px <= kDiskCentreX + kDiskPixels / 2; ++px) {
            const double u = (px + 0.5 - kDiskCentreX) * g.pixel, v = (py + 0.5 - kDiskCentreY) * g.pixel;
            p.onMirror[static_cast<std::size_t>(py) * WaveFrame::kWidth + static_cast<std::size_t>(px)] =
                onTheMirror(g, u, v);
        }
    p.lineStride = std::max(1, options.lineStride);
    if (p.lineStride > 1 && !p.device.crossed)
        for (int py = 0; py < WaveFrame::kHeight; ++py)
            for (int px = 0; px < WaveFrame::kWidth; ++px) {
                const int line = p.device.alongY ? px - kDiskCentreX : py - kDiskCentreY;
                // A line below the centre's stands for its mirror image above.
                const int kept = line >= 0 ? line : -line - 1;
                if (kept % p.lineStride != 0)
                    p.onMirror[static_cast<std::size_t>(py) * WaveFrame::kWidth + static_cast<std::size_t>(px)] = 0;
            }
    std::vector<double> sum(static_cast<std::size_t>(WaveFrame::kWidth) * WaveFrame::kHeight, 0.0);
    if (p.device.crossed)
        crossedImages(p, sum);
    else
        lineImages(p, sum);

    WaveFrame frame;
    for (std::size_t i = 0; i < sum.size(); ++i)
        frame.intensity[i] = p.onMirror[i] ? static_cast<float>(sum[i]) : std::numeric_limits<float>::quiet_NaN();
    return frame;
}

namespace {

// The samples of one line of the pupil: `first` (a pixel centre, a
// multiple of n) and `count` samples on from it, covering the mirror.
struct Span {
    int first = 0;
    int count = 0;
    double across = 0;  // mm: the line's distance from the axis
    double half = -1;   // mm: half the mirror's chord along the line (below 0 off the mirror)
};

Span spanOf(const PupilGeometry& g, double across, int n) {
    Span s;
    s.across = across;
    const double rim = g.diameter / 2;
    if (!(across * across <= rim * rim)) return s;
    s.half = std::sqrt(rim * rim - across * across);
    const double half = s.half / g.pixel;
    const int low = static_cast<int>(std::floor(n * (-half - 0.5))) - 1;
    const int high = static_cast<int>(std::ceil(n * (half - 0.5))) + 1;
    s.first = n * floorDiv(low, n);
    s.count = high - s.first + 1;
    return s;
}

// The sample's distance from the axis along its line, mm.
double samplePosition(const PupilGeometry& g, int k, int n) {
    return (static_cast<double>(k) / n + 0.5) * g.pixel;
}

// The pupil's amplitude at a sample: the share of its interval along the
// line, of width `step` mm, that lies on the mirror's chord (1 inside, 0
// outside, between at the rim), as the device's samples take their shares.
double rimShare(double half, double along, double step) {
    return std::clamp((half - std::fabs(along)) / step + 0.5, 0.0, 1.0);
}

// The paths and amplitudes of a line's samples from one point of the
// source; 0 and 0 off the mirror.
void traceLine(const PupilGeometry& g, const Span& s, int n, bool alongY, const std::array<double, 2>& source,
               double* path, double* amplitude) {
    const double step = g.pixel / n;
    for (int b = 0; b < s.count; ++b) {
        const double along = samplePosition(g, s.first + b, n);
        double a = rimShare(s.half, along, step);
        double w = 0;
        if (a > 0) {
            w = alongY ? pathAnywhere(g, s.across, along, source[0], source[1])
                       : pathAnywhere(g, along, s.across, source[0], source[1]);
            if (std::isnan(w)) a = w = 0;
        }
        path[b] = w;
        amplitude[b] = a;
    }
}

// The pupil field A exp(2 pi i W / lambda) of a line's samples into the
// forward transform's buffer, zero beyond them. A sample off the mirror
// has amplitude 0 and a path of 0.
void fillField(std::complex<double>* V, int length, const double* path, const double* amplitude, int count,
               double turnsPerMm) {
    double* out = reinterpret_cast<double*>(V);
    for (int b = 0; b < count; ++b) {
        const Phasor f = phasorOfTurns(path[b] * turnsPerMm);
        out[2 * b] = amplitude[b] * f.re;
        out[2 * b + 1] = amplitude[b] * f.im;
    }
    std::fill(V + count, V + length, std::complex<double>(0, 0));
}

// t V folded onto the pixel centres: the inverse transform of n N' points
// read at every n-th point is that of N' points of the sums of t V over
// the points N' apart.
void foldMasked(const std::complex<double>* V, const double* t, int n, int paddedPixels, std::complex<double>* H) {
    for (int j = 0; j < paddedPixels; ++j) {
        std::complex<double> acc = t[j] * V[j];
        for (int r = 1; r < n; ++r) {
            const int m = j + r * paddedPixels;
            acc += t[m] * V[m];
        }
        H[j] = acc;
    }
}

// A pass's lengths and transforms: n samples per pixel, the padded
// pupil's np pixels, the forward transform of n np points (its input U, the
// device plane V) and the inverse of np points back to the pixels (its
// input H, the image).
struct PassBuffers {
    int n, np, length;
    std::size_t L;
    Transform& forward;
    Transform& backward;
    std::complex<double>* U;
    const std::complex<double>* V;
    std::complex<double>* H;
    const std::complex<double>* image;
};

PassBuffers passBuffers(Transforms& transforms, const Sampling& sampling) {
    const int n = sampling.samplesPerPixel, np = sampling.paddedPixels, length = n * np;
    Transform& forward = transforms.forward(length);
    Transform& backward = transforms.backward(np);
    return {n, np, length, static_cast<std::size_t>(length), forward, backward,
            forward.input(), forward.output(), backward.input(), backward.output()};
}

std::size_t frameIndex(int px, int py) {
    return static_cast<std::size_t>(py) * WaveFrame::kWidth + static_cast<std::size_t>(px);
}

}  // namespace

void WaveComputer::lineImages(const Plan& p, std::vector<double>& sum) {
    const PupilGeometry& g = p.g;
    const auto [n, np, length, L, forward, backward, U, V, H, image] = passBuffers(transforms_, p.sampling);
    const double norm = 1.0 / (static_cast<double>(length) * length);  // |IFT / n N'|^2

    // The lines through the pixel centres across the device's axis, each
    // with its pixel index across.
    std::vector<Span> spans;
    std::vector<int> lines;
    std::size_t samples = 0;
    // A source on the axis across the lines, as every point of a slit is,
    // gives the line at -y the paths of the line at y (x for horizontal
    // lines), bit for bit, and so the same image: each pair is computed
    // once.
    bool mirrored = true;
    for (const auto& source : p.tracePoints) mirrored = mirrored && source[p.device.alongY ? 0 : 1] == 0;
    for (int line = mirrored ? 0 : -kDiskPixels / 2; line < kDiskPixels / 2; ++line) {
        if ((line >= 0 ? line : -line - 1) % p.lineStride != 0) continue;
        const Span s = spanOf(g, (line + 0.5) * g.pixel, n);
        if (s.count == 0) continue;
        spans.push_back(s);
        lines.push_back(line);
        samples += static_cast<std::size_t>(s.count);
    }
    // One traced point: its paths are kept across the wavelengths.
    const bool keep = p.tracePoints.size() == 1 && p.light.size() > 1 && samples <= (std::size_t{1} << 22);
    std::vector<std::vector<double>> keptPath, keptAmplitude;
    if (keep)
        for (const Span& s : spans) {
            keptPath.emplace_back(static_cast<std::size_t>(s.count));
            keptAmplitude.emplace_back(static_cast<std::size_t>(s.count));
            traceLine(g, s, n, p.device.alongY, p.tracePoints.front(), keptPath.back().data(),
                      keptAmplitude.back().data());
        }
    std::vector<double> path(L), amplitude(L), masks;
    const double share = 1.0 / (static_cast<double>(p.tracePoints.size()) * static_cast<double>(p.shiftsX.size()));
    for (const Light& light : p.light) {
        const double dq = deviceSampleWidth(g, p.sampling, light.wavelength);
        masks.resize(p.shiftsX.size() * L);
        for (std::size_t i = 0; i < p.shiftsX.size(); ++i)
            sampleTransmission(p.device.x, dq, p.shiftsX[i], L, masks.data() + i * L);
        const double weight = light.weight * share * norm;
        for (const auto& source : p.tracePoints)
            for (std::size_t li = 0; li < spans.size(); ++li) {
                const Span& s = spans[li];
                const double* W = path.data();
                const double* A = amplitude.data();
                if (keep) {
                    W = keptPath[li].data();
                    A = keptAmplitude[li].data();
                } else {
                    traceLine(g, s, n, p.device.alongY, source, path.data(), amplitude.data());
                }
                fillField(U, length, W, A, s.count, 1 / light.wavelength);
                forward.run();
                for (std::size_t i = 0; i < p.shiftsX.size(); ++i) {
                    foldMasked(V, masks.data() + i * L, n, np, H);
                    backward.run();
                    for (int copy = 0; copy < (mirrored ? 2 : 1); ++copy) {
                        const int line = copy == 0 ? lines[li] : -lines[li] - 1;
                        for (int b = 0; b < s.count; b += n) {
                            const int along = (s.first + b) / n;
                            const int px = (p.device.alongY ? line : along) + kDiskCentreX;
                            const int py = (p.device.alongY ? along : line) + kDiskCentreY;
                            if (px < 0 || px >= WaveFrame::kWidth || py < 0 || py >= WaveFrame::kHeight) continue;
                            if (!p.onMirror[frameIndex(px, py)]) continue;
                            sum[frameIndex(px, py)] += weight * std::norm(image[b / n]);
                        }
                    }
                }
            }
    }
}

void WaveComputer::crossedImages(const Plan& p, std::vector<double>& sum) {
    const PupilGeometry& g = p.g;
    const auto [n, np, length, L, forward, backward, U, V, H, image] = passBuffers(transforms_, p.sampling);
    const double scale = 1.0 / length;  // each pass's inverse transform
    constexpr int half = kDiskPixels / 2;
    constexpr std::size_t columns = kDiskPixels;

    // The sample rows over the mirror (a multiple of n first, so that every
    // n-th row is a row of pixel centres) and each one's span along x.
    const double rim = g.diameter / 2;
    const int lowRow = static_cast<int>(std::floor(n * (-rim / g.pixel - 0.5))) - 1;
    const int highRow = static_cast<int>(std::ceil(n * (rim / g.pixel - 0.5))) + 1;
    const int firstRow = n * floorDiv(lowRow, n);
    const int rows = highRow - firstRow + 1;
    std::vector<Span> spans;
    for (int l = 0; l < rows; ++l) spans.push_back(spanOf(g, samplePosition(g, firstRow + l, n), n));

    // The field after the pass along x at the pixel-centre columns, for
    // every sample row; the pupil field at the pixel centres, for U - F.
    std::vector<std::complex<double>> rowField(static_cast<std::size_t>(rows) * columns);
    std::vector<std::complex<double>> centreField(columns * columns);
    std::vector<double> path(L), amplitude(L), masksX, masksY;
    const double share = 1.0 / (static_cast<double>(p.tracePoints.size()) * static_cast<double>(p.shiftsX.size()) *
                                static_cast<double>(p.shiftsY.size()));
    for (const Light& light : p.light) {
        const double dq = deviceSampleWidth(g, p.sampling, light.wavelength);
        masksX.resize(p.shiftsX.size() * L);
        masksY.resize(p.shiftsY.size() * L);
        for (std::size_t i = 0; i < p.shiftsX.size(); ++i)
            sampleTransmission(p.device.x, dq, p.shiftsX[i], L, masksX.data() + i * L);
        for (std::size_t i = 0; i < p.shiftsY.size(); ++i)
            sampleTransmission(p.device.y, dq, p.shiftsY[i], L, masksY.data() + i * L);
        const double weight = light.weight * share;
        const double turnsPerMm = 1 / light.wavelength;
        for (const auto& source : p.tracePoints) {
            // The pupil field at the pixel centres, only where the device's
            // light is taken from the whole field's.
            for (int j = -half; j < half && p.device.subtract; ++j) {
                const Span s = spanOf(g, (j + 0.5) * g.pixel, 1);
                for (int i = -half; i < half; ++i) {
                    const double x = (i + 0.5) * g.pixel;
                    const double a = s.half < 0 ? 0 : rimShare(s.half, x, g.pixel / n);
                    const double w = pathAnywhere(g, x, s.across, source[0], source[1]);
                    std::complex<double> u{0, 0};
                    if (a > 0 && !std::isnan(w)) {
                        const Phasor f = phasorOfTurns(w * turnsPerMm);
                        u = {a * f.re, a * f.im};
                    }
                    centreField[static_cast<std::size_t>(j + half) * columns + static_cast<std::size_t>(i + half)] = u;
                }
            }
            for (std::size_t ix = 0; ix < p.shiftsX.size(); ++ix) {
                const double* tx = masksX.data() + ix * L;
                for (int l = 0; l < rows; ++l) {
                    const Span& s = spans[static_cast<std::size_t>(l)];
                    std::complex<double>* out = rowField.data() + static_cast<std::size_t>(l) * columns;
                    if (s.count == 0) {
                        std::fill(out, out + columns, std::complex<double>(0, 0));
                        continue;
                    }
                    traceLine(g, s, n, false, source, path.data(), amplitude.data());
                    fillField(U, length, path.data(), amplitude.data(), s.count, turnsPerMm);
                    forward.run();
                    foldMasked(V, tx, n, np, H);
                    backward.run();
                    const int firstPixel = s.first / n;
                    for (int i = -half; i < half; ++i) out[i + half] = image[wrap(i - firstPixel, np)] * scale;
                }
                const int firstPixelRow = firstRow / n;
                for (int i = -half; i < half; ++i) {
                    for (int l = 0; l < rows; ++l)
                        U[l] = rowField[static_cast<std::size_t>(l) * columns + static_cast<std::size_t>(i + half)];
                    std::fill(U + rows, U + length, std::complex<double>(0, 0));
                    forward.run();
                    for (std::size_t iy = 0; iy < p.shiftsY.size(); ++iy) {
                        foldMasked(V, masksY.data() + iy * L, n, np, H);
                        backward.run();
                        for (int j = -half; j < half; ++j) {
                            const int px = i + kDiskCentreX, py = j + kDiskCentreY;
                            if (!p.onMirror[frameIndex(px, py)]) continue;
                            std::complex<double> field = image[wrap(j - firstPixelRow, np)] * scale;
                            if (p.device.subtract)
                                field = centreField[static_cast<std::size_t>(j + half) * columns +
                                                    static_cast<std::size_t>(i + half)] - field;
                            sum[frameIndex(px, py)] += weight * std::norm(field);
                        }
                    }
                }
            }
        }
    }
}

}  // namespace sg::wave
