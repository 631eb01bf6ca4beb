// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Progress and cancellation of a fit that runs off the user-interface
// thread. The fit calls `progress` from its own thread (the caller passes
// it on to the window's thread as it likes) and looks at `cancel` between
// steps: once it is set, the fit throws PhotoError(Cancelled) within a few
// milliseconds.

#include "photo/photo_error.h"

#include <atomic>
#include <functional>

namespace sg {

enum class FitStage {
    Edges,        // finding the band edges on the frame
    Search,       // the coarse search over offset and conic
    Fit,          // least squares on the edges
    Zone,         // growing the fit into the zone
    SecondPhoto,  // the joint fit of two photos
    Waves,        // the wave picture's edges against the photo's
    Uncertainty,  // the refits for the uncertainties
};

struct FitControl {
    // The stage and the fraction of it done, 0..1.
    std::function<void(FitStage, double)> progress;
    const std::atomic<bool>* cancel = nullptr;

    void report(FitStage stage, double fraction) const {
        if (progress) progress(stage, fraction);
    }
    void check() const {
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed))
            throw PhotoError(PhotoFailure::Cancelled, "the fit was cancelled");
    }
};

}  // namespace sg
