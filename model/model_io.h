// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Moving the model between the main window's controls and the MirrorModel.

#include "mirror_model.h"
#include "model_controls.h"

#include <functional>

namespace sg {

// Reads one parameter-grid cell as a number; a bad cell throws its message.
double readParameterCell(const ModelControls& c, int row);

// Grid rows 0..4, the axial position, rows 5 and 6: the numeric part that
// the recompute, the editor's statistics, the analysis and the set-up file
// share. A zone height of exactly 0 is stored as `zeroZoneHeight` (1e-7
// everywhere but the analysis's first reading). `afterZoneHeight`, when
// given, runs between the zone height and the wavelength. A bad cell stops
// at that cell; earlier fields keep their new values.
void readParametersFromControls(MirrorModel& m, const ModelControls& c, double zeroZoneHeight,
                                const std::function<void(MirrorModel&)>& afterZoneHeight);
inline void readParametersFromControls(MirrorModel& m, const ModelControls& c) {
    readParametersFromControls(m, c, 1e-7, {});
}

// The numbers above, then the test choice, the deviation sign, the pure
// surface choice, the tester's source and the ray model with its slit
// width (only with the exact trace; a negative width throws
// kNegativeSlitMessage), the line parity and the tripled ruling of Wire and
// Foucault.
void readModelFromControls(MirrorModel& m, const ModelControls& c);

inline constexpr const char* kNegativeSlitMessage = "The slit width cannot be negative.";

// Grid rows 0..6 and the maximum movement, in the general number format.
void publishParametersToControls(const MirrorModel& m, ModelControls& c);

// The test and orientation choices, "Odd", "Grid", then the parameters as above.
void publishModelToControls(const MirrorModel& m, ModelControls& c);

// Loads getting-started example n = 1..4 and publishes it.
void applyExample(MirrorModel& m, ModelControls& c, int n);

// Sets the orientation flags from RadioGroup1; no item leaves them as they are.
void readOrientation(MirrorModel& m, const ModelControls& c);

}  // namespace sg
