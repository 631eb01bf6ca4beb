// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The test at the centre of curvature: which device stands in the light
// (grating, wire or knife), how it is turned, where it stands, the source
// and the ray model the pictures are computed with.

namespace sg {

// The device; the values are the items of the test choice.
enum class TestKind { Wire = 0, Ronchi = 1, Foucault = 2 };

// The direction of the grating lines, the wire or the knife edge: vertical
// lines, horizontal lines, or both at once ("2 D"); the values are the
// items of the orientation choice.
enum class Orientation { Vertical = 0, Horizontal = 1, TwoD = 2 };

// The tester's source: fixed at the centre of curvature while the device
// moves, or travelling with the device (most amateur testers).
enum class SourceConvention { Fixed, MovesWithDevice };

// The two-term series of the conic's sag, or an exact trace of the conic.
enum class RayModel { Series, Exact };

// The light: one wavelength, or white light (the eye's sensitivity over
// nine wavelengths from 0.450 to 0.650 micrometres).
enum class Spectrum { Mono, White };

// Where the grating, knife or wire stands, and the scales of the two
// diagrams that place it.
struct DevicePosition {
    // mm from the centre of curvature, positive away from the mirror.
    double axialOffset = 0;
    // Sideways: bands for Ronchi, wire widths for Wire, sixths of the
    // grating period for Foucault.
    double transverseOffset = 0;
    double range = 20;        // mm per 100 rows of the axial diagram
    double maxMove = 2;       // full scale of the transverse slider, in the transverse unit
    int axialMarkerY = 325;   // the axial marker's row on the diagram
    // The axial position was given as a number (typed, applied from a fit,
    // retrieved) rather than by a row of the diagram: it is drawn as given,
    // the marker at its nearest row, until the marker is moved.
    bool axialHeld = false;

    friend bool operator==(const DevicePosition&, const DevicePosition&) = default;
};

struct TestSetup {
    TestKind test = TestKind::Ronchi;
    Orientation orientation = Orientation::Vertical;
    SourceConvention source = SourceConvention::Fixed;
    RayModel rayModel = RayModel::Series;
    double linesPerMm = 4;    // the grating's ruling as entered
    // The Ronchi grating's phase: a bright band at the centre (an even
    // number of dark bands) rather than a dark one ("Odd" unchecked).
    bool evenLines = false;
    double wavelength = 0.55;  // micrometres
    // The source's width across the lines, knife edge or wire, mm (0 a
    // point source); the exact trace's only.
    double slitWidth = 0;
    // The picture in wave optics (diffraction included) rather than rays;
    // it uses the exact surface.
    bool waveOptics = false;
    Spectrum spectrum = Spectrum::Mono;  // the wave picture's light
    DevicePosition position;

    friend bool operator==(const TestSetup&, const TestSetup&) = default;
    bool sourceMoves() const { return source == SourceConvention::MovesWithDevice; }
    bool exact() const { return rayModel == RayModel::Exact; }
};

// The ruling the passes work with: the entered ruling for Ronchi; Wire and
// Foucault work on a third of the entered period, so three times it.
inline double workingLinesPerMm(const TestSetup& t) {
    return t.test == TestKind::Ronchi ? t.linesPerMm : 3 * t.linesPerMm;
}

// The grating's phase as the passes take it: only Ronchi has one.
inline bool brightCentreBand(const TestSetup& t) { return t.test == TestKind::Ronchi && t.evenLines; }

// The source's width as the passes take it: only the exact trace has one.
inline double workingSlitWidth(const TestSetup& t) { return t.exact() ? t.slitWidth : 0; }

}  // namespace sg
