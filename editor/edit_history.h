// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The undo and redo steps of the editor: each step keeps all 45 knot heights
// as they were before an edit, so that going back restores them bit for bit.

#include "model/editor_shape.h"

#include <array>
#include <cstddef>
#include <deque>
#include <optional>

namespace sg {

// The heights of knots 0..44, editor plot pixels, positive below the zero line.
using KnotHeights = std::array<double, kKnotCount>;

// True when every height has the same bits (0 and -0 differ, as do NaNs).
bool sameHeights(const KnotHeights& a, const KnotHeights& b);

class EditHistory {
public:
    // The number of undo steps kept; older ones are forgotten.
    static constexpr std::size_t kDefaultLimit = 1000;

    explicit EditHistory(std::size_t limit = kDefaultLimit);

    // An edit changed the heights from `before`: a new undo step, and the
    // redo steps are dropped. Beyond the limit the oldest step goes.
    void record(const KnotHeights& before);

    // The heights before the latest step, or nothing when there is no step;
    // `current` becomes the next redo step.
    std::optional<KnotHeights> undo(const KnotHeights& current);
    // The heights the latest undo left, or nothing when there is none;
    // `current` becomes the next undo step.
    std::optional<KnotHeights> redo(const KnotHeights& current);

    std::size_t undoSteps() const { return undo_.size(); }
    std::size_t redoSteps() const { return redo_.size(); }
    std::size_t limit() const { return limit_; }

private:
    std::size_t limit_;
    std::deque<KnotHeights> undo_;  // oldest first
    std::deque<KnotHeights> redo_;  // the next redo last
};

}  // namespace sg
