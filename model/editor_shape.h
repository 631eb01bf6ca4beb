// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The zonal deviation as the editor draws it: the heights of its 45 knots
// in plot pixels and the clamped spline through them, sampled 16 times per
// knot. Written only by the editor (and by those who hand it a shape); the
// simulator, the statistics and the analysis read it.

#include <array>

namespace sg {

inline constexpr int kDeviationSlots = 1001;  // room of the arrays, index 0..1000
inline constexpr int kKnotCount = 45;         // knots 0..44; 22 is the centre
inline constexpr int kEditorSamples = 704;    // profile samples 1..704 (i/16 knot units)

using DeviationArray = std::array<double, kDeviationSlots>;

struct EditorShape {
    DeviationArray knotX{};          // knot units, knotX[k] = k
    // Editor plot pixels, positive below the zero line (downward on the
    // screen). Knot 22 is the mirror's centre, 2 and 42 its edges; knots 0,
    // 1, 43 and 44 lie beyond them.
    DeviationArray knotHeight{};
    int sampleCount = kEditorSamples;
    DeviationArray sampleX{};        // knot units, i / 16
    // Editor plot pixels, positive downward: the spline through knots 1..44
    // at sampleX[i], i = 1..704; element 0 is 0. Samples 32, 352 and 672 are
    // the left edge, the centre and the right edge of the mirror.
    DeviationArray profile{};

    EditorShape() { makeFlat(); }
    // Knots at 0..44 with height 0, 704 samples at i/16 with value 0.
    void makeFlat() {
        knotX.fill(0.0);
        knotHeight.fill(0.0);
        sampleX.fill(0.0);
        profile.fill(0.0);
        for (int k = 0; k < kKnotCount; ++k) knotX[static_cast<std::size_t>(k)] = k;
        sampleCount = kEditorSamples;
        for (int i = 0; i <= kEditorSamples; ++i) sampleX[static_cast<std::size_t>(i)] = i / 16.0;
    }
};

}  // namespace sg
