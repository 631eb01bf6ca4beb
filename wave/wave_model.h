// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The wave picture's working parts: the mirror's optical path, the
// sampling, and the computation with its sampling and its slit method open
// to choice, so that both can be checked against finer ones.
//
// Frame: the exact trace's. The vertex at the origin, z towards the centre
// of curvature; the device's plane z = L = R + a and its reference point
// F = (0, 0, L); the source S at z = R (fixed) or z = R + a (moving with the
// device), moved sideways across a slit. Pupil samples stand on the
// picture's pixel centres and between them: sample k of a line at
// (k / n + 1/2) D / 550 mm from the axis, n samples per pixel, so that
// sample n i is the centre of pixel 410 + i (across) or 300 + i (down).

#include "wave/device_mask.h"
#include "wave/transforms.h"
#include "wave/wave_picture.h"

#include <array>
#include <optional>
#include <vector>

namespace sg::wave {

inline constexpr int kDiskPixels = 550;       // the disk's diameter in pixels
inline constexpr int kDiskCentreX = 410, kDiskCentreY = 300;

struct PupilGeometry {
    double diameter = 0;   // D, mm
    double radius = 0;     // R, mm, the vertex radius
    double conic = 0;      // K
    double pixel = 0;      // D / 550, mm on the mirror per picture pixel
    double sourceZ = 0;    // mm from the vertex: R, or R + a for a source moving with the device
    double deviceZ = 0;    // L = R + a, mm
    DrawnZone zone;        // the drawn zone at its true height (flat for the pure conic)
};

// The scene's geometry; throws ActionError for a set-up that has none
// (see WaveEngine::compute).
PupilGeometry pupilGeometry(const Scene& scene);

// The optical path |S - P| + |P - F| less (sourceZ + deviceZ), mm, through
// the mirror point above (x, y) (mm) from the source moved (sx, sy) mm
// across the axis: P = (x, y, z), z the exact conic's sag plus the zone's.
// NaN off the mirror (x^2 + y^2 > (D/2)^2) and beyond the conic's validity.
double opticalPath(const PupilGeometry& g, double x, double y, double sx, double sy);

// The largest distance from F, mm, at which a ray from the source on the
// axis, reflected anywhere on the mirror, crosses the device's plane.
double rayLandingSpread(const PupilGeometry& g);

struct Sampling {
    int samplesPerPixel = 1;   // n, pupil samples per picture pixel
    // N', the padded pupil in picture pixels: the forward transform has
    // n N' points, the device's plane is sampled every lambda L / (N' D / 550).
    int paddedPixels = 0;
};

// The spacing of the device plane's samples, mm, at `wavelength` mm.
double deviceSampleWidth(const PupilGeometry& g, const Sampling& s, double wavelength);

// How the source's points across a slit are taken: by moving the device
// against the field of the point on the axis (a point of the slit tilts the
// pupil's phase, to first order, which moves the field in the device's
// plane), or by tracing each point's own optical path. Auto moves the
// device where the tilt's departure from a plane stays below 1/500 turn
// over the mirror.
enum class SlitMethod { Auto, MoveDevice, TraceEachPoint };

struct Options {
    std::optional<Sampling> sampling;  // instead of the sampling chosen from the set-up
    int samplesFactor = 1;             // multiplies the samples per pixel
    int paddingFactor = 1;             // multiplies the padded length
    SlitMethod slit = SlitMethod::Auto;
    // One point of the source, mm across the axis (x, y), in place of the
    // slit's average.
    std::optional<std::array<double, 2>> sourcePoint;
    // The slit's points per period of the device instead of the method's
    // own (64 moving the device along lines, else 16); at least 16.
    int slitPointsPerPeriod = 0;
    // Every `lineStride`-th line of pixels across the device's lines (the
    // lines through the centre's pixel row or column and every stride-th
    // from it), the others left off the mirror (NaN); the crossed pair
    // takes every line. Lines are independent, so a picture of one line
    // in four costs a quarter and its lines are those of the whole one.
    int lineStride = 1;
};

// What a computation used.
struct Report {
    Sampling sampling;           // at the shortest wavelength
    double spread = 0;           // the rays' spread in the device's plane, mm
    double deviceSample = 0;     // the device plane's sample width at the first wavelength, mm
    int sourcePoints = 1;        // points across the slit, per axis
    bool movedDevice = true;     // the slit's points by moving the device
};

// The sampling for a scene: the device plane's window, lambda L n / (D /
// 550), holds the rays' spread with a margin for the diffraction at the rim
// at the shortest wavelength; the padded pupil holds the mirror's sheared
// copies without wrapping round, more of it for a knife near focus, whose
// long-range response falls off slowly.
Sampling chooseSampling(const Scene& scene);

class WaveComputer {
public:
    WaveFrame compute(const Scene& scene, const Options& options = {});
    const Report& report() const { return report_; }

private:
    struct Plan;
    void lineImages(const Plan& plan, std::vector<double>& sum);
    void crossedImages(const Plan& plan, std::vector<double>& sum);

    Transforms transforms_;
    Report report_;
};

}  // namespace sg::wave
