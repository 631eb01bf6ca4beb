// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The mirror and test model: the one shared state of the simulator. The
// application creates one MirrorModel and hands it by reference to every
// window that reads or writes it.

#include <array>
#include <cstdint>

namespace sg {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kSilver{192, 192, 192};  // background and erase colour of every drawing area
inline constexpr Rgb kGrey{128, 128, 128};    // position diagrams, editor grid lines
inline constexpr Rgb kWhite{255, 255, 255};   // mirror disk in White mode
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kYellow{255, 255, 0};
inline constexpr Rgb kBlue{0, 0, 255};

struct Palette {
    Rgb rayColour;          // lit shadowgram pixels
    Rgb mirrorFillColour;   // mirror disk behind the shadowgram
    Rgb gridColour;         // grid overlay
    Rgb gridColourWhite;    // grid overlay in White mode
    Rgb heightGraphColour;  // height graph and the segment ticks of both graphs
    Rgb slopeGraphColour;   // slope graph
};

inline constexpr int kProfileSamples = 276;   // radial working profiles, centre (0) to edge (275)
inline constexpr int kDeviationSlots = 1001;  // room of the zonal deviation arrays, index 0..1000
inline constexpr int kKnotCount = 45;         // editor knots 0..44; 22 is the centre
inline constexpr int kEditorSamples = 704;    // editor profile samples 1..704 (i/16 knot units)
inline constexpr int kRayCount = 50000;       // sample points per shadowgram pass

using RadialProfile = std::array<double, kProfileSamples>;
using DeviationArray = std::array<double, kDeviationSlots>;

struct MirrorModel {
    // Mirror and test parameters.
    double mirrorDiameter = 200;     // mm
    double radiusOfCurvature = 2000; // mm, vertex radius
    double conicConstant = -1;       // 0 sphere, -1 paraboloid
    double linesPerMm = 4;           // grating ruling; 3x the cell value for Wire and Foucault
    double range = 20;               // mm per 100 pixels of the axial diagram
    double zoneHeight = 0.5;         // waves; negative inverts the deviation; never 0 after a recompute
    double wavelength = 0.55;        // micrometres
    double maxMove = 2;              // full scale of the transverse diagram, transverse units
    double pvError = 0.5;            // waves, peak-to-valley used by the editor and the analysis

    // Position of the grating, knife or wire.
    double axialOffsetSetting = 0;   // mm from the centre of curvature, positive away from the mirror
    double axialOffset = -0.2;       // mm, the position the shadowgram uses (set from the setting)
    double transverseOffset = 0;     // bands (Ronchi), wire widths (Wire), grating units (Foucault)
    int axialMarkerY = 325;          // pixel row of the last click on the axial diagram

    // Test kind and orientation: exactly one flag of each group is true.
    bool testWire = false;
    bool testRonchi = true;
    bool testFoucault = false;
    bool orientVertical = true;
    bool orientHorizontal = false;
    bool orient2D = false;

    // Options.
    bool evenLines = false;          // true: bright band at the centre of the Ronchi pattern
    bool useDistortedSurface = false;
    bool invertDeviation = false;    // zoneHeight < 0
    bool showGrid = false;
    bool whiteMode = false;
    bool editorOpened = false;
    int exampleRequest = 0;          // 0, or a getting-started example 1..4 pending
    // The tester: false for a source fixed at the centre of curvature while
    // the grating moves, true for a source that travels with the grating,
    // wire or knife. And the ray model: the two-term series (false) or an
    // exact trace of the conic. Both read from their check boxes at every
    // recompute; off by default.
    bool sourceMoves = false;
    bool exactTrace = false;
    // The source's width across the grating lines, knife edge or wire, mm:
    // 0 a point source. Read with the exact trace only (0 without it).
    double sourceWidth = 0;
    int analysisZoneFrom = 0;
    int analysisZoneTo = 20;

    int rayCount = kRayCount;
    Palette palette{};

    // Working profiles, radial step mirrorDiameter / 550.
    RadialProfile zoneDeviation{};   // deviation shape, peak-to-valley 20
    RadialProfile heightCurve{};     // zoneDeviation * zoneHeight / 10
    RadialProfile slopeDeviation{};  // smoothed radial slope of heightCurve; [0] is 0

    // Zonal deviation data, written only by the surface editor.
    DeviationArray knotX{};          // knot units, knotX[k] = k
    DeviationArray knotHeight{};     // editor plot pixels, positive below the zero line
    int editorSampleCount = kEditorSamples;
    DeviationArray editorSampleX{};  // knot units, i / 16
    DeviationArray editorProfile{};  // editor plot pixels, spline through knots 1..44

    MirrorModel();
};

// The six palette colours.
void setPaletteDefaults(MirrorModel& m);

// Every parameter, position, flag and option to its default, except the
// transverse offset, the pending example, the grid and White options, the
// editor flag, the analysis zone range, the working profiles and the zonal
// deviation data.
void setModelDefaults(MirrorModel& m);

// The flat zonal deviation that the editor's initialisation leaves: knots at
// 0..44 with height 0, 704 samples at i/16 with value 0.
void resetZonalDeviation(MirrorModel& m);

}  // namespace sg
