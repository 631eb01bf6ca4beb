// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's controls read once per user action into a plain value,
// and the set-up that value gives. A cell that is not a number does not stop
// the reading: its message is kept and thrown where the action first uses
// the cell, so that an action stops at the same place, with the same
// message, whatever it drew before.

#include "model/mirror.h"
#include "model/model_controls.h"
#include "model/test_setup.h"
#include "model/view_options.h"

#include <array>
#include <string>

namespace sg {

// A number cell as it was read: its value, or the message it gives.
struct CellReading {
    double value = 0;
    std::string error;  // empty for a number
    // The value; a cell that is not a number throws its message.
    double get() const;
};

struct ControlsReading {
    std::array<CellReading, kParameterRows> parameters;  // the parameter grid's value column
    CellReading maxMove;                                 // the maximum-movement box's value
    CellReading slitWidth;                               // "Slit (mm)"
    std::string parameterText[kParameterRows];           // the cells as typed
    int testItem = kTestRonchi;                          // -1: none selected
    int orientationItem = kOrientVertical;               // -1: none selected
    int surfaceItem = kSurfacePure;
    bool odd = false;
    bool grid = false;
    bool movingSource = false;
    bool exactTrace = false;
    bool waveOptics = false;
    bool whiteLight = false;

    double parameter(int row) const { return parameters.at(static_cast<std::size_t>(row)).get(); }
    // A cell the action itself wrote: its new text, read as a cell.
    void setParameterText(int row, const std::string& text);
};

ControlsReading readControls(const ModelControls& c);

// The grid's numbers as a calculation that reads them all takes them: rows
// 0..6 in order, the first bad cell throwing its message. A zone height of
// exactly 0 becomes `zeroZoneHeight`.
struct EnteredNumbers {
    double mirrorDiameter = 0, radiusOfCurvature = 0, conicConstant = 0, linesPerMm = 0, range = 0;
    double zoneHeight = 0, wavelength = 0;
};
EnteredNumbers enteredNumbers(const ControlsReading& r, double zeroZoneHeight = 1e-7);

// The test choice, or `previous` when none is selected; the same for the
// orientation.
TestKind testFrom(const ControlsReading& r, TestKind previous);
Orientation orientationFrom(const ControlsReading& r, Orientation previous);

// What a drawing reads, in the order it reads it, into the mirror and the
// test: rows 0..4 (diameter, radius, conic, ruling, RANGE), the zone height
// (0 kept as 1e-7) and the wavelength, the test choice, the deviation's
// sign, the pure surface choice (the distorted one is the recompute's, which
// resamples the drawn shape with it), the tester's source, the ray model
// with its slit width (only with the exact trace; a negative width throws
// kNegativeSlitMessage) and the grating's phase. A bad cell stops at that
// cell; what was read before it keeps its new value. The orientation is
// the passes' to take.
void readSetup(const ControlsReading& r, Mirror& mirror, TestSetup& setup);

inline constexpr const char* kNegativeSlitMessage = "The slit width cannot be negative.";

// Grid rows 0..6 and the maximum movement, in the general number format.
void publishParameters(const Mirror& mirror, const TestSetup& setup, ModelControls& c);

// The test and orientation choices, "Odd", "Grid", then the parameters as above.
void publishSetup(const Mirror& mirror, const TestSetup& setup, const ViewOptions& view, ModelControls& c);

// Getting-started example n = 1..4: the mirror and test of the example with
// every other parameter at its default (the marker back at the centre of
// curvature, "Grid" and "White" off), published to the controls. The
// surface choice, the tester, the ray model and the transverse position stay.
void applyExample(int n, Mirror& mirror, TestSetup& setup, ViewOptions& view, ModelControls& c);

}  // namespace sg
