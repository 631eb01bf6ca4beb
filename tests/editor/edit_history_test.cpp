// SPDX-License-Identifier: GPL-3.0-or-later
// Undo and redo of the editor's knots without its window: the steps kept
// and dropped, the heights restored bit for bit, the redraw of a step, and
// when a shape counts as unsaved.
#include "editor/edit_history.h"
#include "tests/editor/plain_editor.h"
#include "editor/surface_editor.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

namespace sg {
namespace {

using Editor = testing::PlainEditor;

// "" when every height has the same bits, else the first knot that differs.
std::string knotDifference(const KnotHeights& got, const KnotHeights& expected) {
    for (int k = 0; k < kKnotCount; ++k)
        if (std::bit_cast<std::uint64_t>(got[k]) != std::bit_cast<std::uint64_t>(expected[k]))
            return "knot " + std::to_string(k) + ": " + std::to_string(got[k]) + " instead of " +
                   std::to_string(expected[k]);
    return "";
}

KnotHeights heightsWith(int k, double h) {
    KnotHeights heights{};
    heights[k] = h;
    return heights;
}

TEST(EditHistory, StepsGoBackAndForthAndANewEditDropsTheRedoSteps) {
    EditHistory h(3);
    const KnotHeights a = heightsWith(0, 1), b = heightsWith(0, 2), c = heightsWith(0, 3), d = heightsWith(0, 4),
                      e = heightsWith(0, 5);
    EXPECT_FALSE(h.undo(a));
    EXPECT_FALSE(h.redo(a));
    // Edits a -> b -> c -> d -> e with a limit of three: a is forgotten.
    for (const KnotHeights* before : {&a, &b, &c, &d}) h.record(*before);
    EXPECT_EQ(h.undoSteps(), 3u);
    EXPECT_EQ(knotDifference(h.undo(e).value(), d), "");
    EXPECT_EQ(knotDifference(h.undo(d).value(), c), "");
    EXPECT_EQ(knotDifference(h.undo(c).value(), b), "");
    EXPECT_FALSE(h.undo(b));
    EXPECT_EQ(h.redoSteps(), 3u);
    EXPECT_EQ(knotDifference(h.redo(b).value(), c), "");
    EXPECT_EQ(knotDifference(h.undo(c).value(), b), "");

    h.record(b);  // a new edit from b
    EXPECT_EQ(h.redoSteps(), 0u);
    EXPECT_FALSE(h.redo(a));
    EXPECT_EQ(knotDifference(h.undo(a).value(), b), "");

    EXPECT_FALSE(sameHeights(heightsWith(3, 0.0), heightsWith(3, -0.0)));
    EXPECT_TRUE(sameHeights(heightsWith(3, 0.1 + 0.2), heightsWith(3, 0.1 + 0.2)));
}

// More steps than the history keeps, of presses, new surfaces and shapes
// with heights no press makes: every kept step comes back exactly.
TEST(EditorUndo, EveryKeptStepRestoresAllKnotsExactly) {
    Editor e;
    ASSERT_GE(EditHistory::kDefaultLimit, 100u);
    const int edits = static_cast<int>(EditHistory::kDefaultLimit) + 25;
    std::vector<KnotHeights> states{e.editor.knots()};
    for (int i = 0; i < edits; ++i) {
        if (i % 17 == 5) {
            e.editor.startNewSurface();
        } else if (i % 11 == 3) {
            KnotHeights shape{};
            for (int k = 0; k < kKnotCount; ++k) shape[k] = (i + 1) / 3.0 - k * 1e-7;
            shape[7] = -0.0;
            e.editor.takeRetrievedShape(shape);
        } else {
            ASSERT_TRUE(e.editor.pressAt(13 + 16 * (i % 45), 130 + (i * 37) % 161));
        }
        if (!sameHeights(states.back(), e.editor.knots())) states.push_back(e.editor.knots());
    }
    ASSERT_GT(states.size(), EditHistory::kDefaultLimit + 1);
    EXPECT_EQ(e.editor.history().undoSteps(), EditHistory::kDefaultLimit);

    const std::size_t last = states.size() - 1;
    for (std::size_t s = last; s-- > last - EditHistory::kDefaultLimit;) {
        ASSERT_TRUE(e.editor.undo()) << "step " << s;
        ASSERT_EQ(knotDifference(e.editor.knots(), states[s]), "") << "undo to state " << s;
    }
    const int shown = e.display.shown;
    EXPECT_FALSE(e.editor.undo());
    EXPECT_EQ(e.display.shown, shown);  // nothing to undo draws nothing
    for (std::size_t s = last - EditHistory::kDefaultLimit + 1; s <= last; ++s) {
        ASSERT_TRUE(e.editor.redo());
        ASSERT_EQ(knotDifference(e.editor.knots(), states[s]), "") << "redo to state " << s;
    }
    EXPECT_FALSE(e.editor.redo());
}

// An undone press leaves the plot and statistics of the presses before it.
TEST(EditorUndo, AStepRedrawsAsThePressesWould) {
    Editor undone, direct;
    for (auto [x, y] : {std::pair{77, 135}, {365, 280}}) {
        undone.editor.pressAt(x, y);
        direct.editor.pressAt(x, y);
    }
    undone.editor.pressAt(141, 130);
    undone.editor.pressAt(250, 290);
    ASSERT_TRUE(undone.editor.undo());
    ASSERT_TRUE(undone.editor.undo());
    EXPECT_EQ(undone.editor.canvas().image(), direct.editor.canvas().image());
    EXPECT_EQ(undone.display.lines, direct.display.lines);
    EXPECT_EQ(undone.shape.profile, direct.shape.profile);

    // A press that sets a knot to the height it has redraws but makes no step.
    undone.editor.pressAt(365, 280);
    EXPECT_EQ(undone.editor.history().undoSteps(), 2u);
    // Nor does a new surface over a flat one.
    Editor flat;
    flat.editor.startNewSurface();
    EXPECT_EQ(flat.editor.history().undoSteps(), 0u);
}

TEST(EditorUndo, UnsavedOnlyWhenTheShapeDiffersFromFlatAndFromTheLastSaved) {
    Editor e;
    EXPECT_FALSE(e.editor.hasUnsavedShape());
    e.editor.pressAt(100, 150);
    EXPECT_TRUE(e.editor.hasUnsavedShape());
    e.editor.markSaved();
    EXPECT_FALSE(e.editor.hasUnsavedShape());
    e.editor.pressAt(300, 250);
    EXPECT_TRUE(e.editor.hasUnsavedShape());
    e.editor.undo();  // back to the saved shape
    EXPECT_FALSE(e.editor.hasUnsavedShape());
    e.editor.startNewSurface();
    EXPECT_FALSE(e.editor.hasUnsavedShape());
    e.editor.undo();
    EXPECT_FALSE(e.editor.hasUnsavedShape());

    KnotHeights shape{};
    shape[4] = shape[40] = 12.5;
    e.editor.takeRetrievedShape(shape);
    EXPECT_FALSE(e.editor.hasUnsavedShape());
    e.editor.pressAt(365, 200);
    EXPECT_TRUE(e.editor.hasUnsavedShape());
    e.editor.takeRetrievedShape(heightsWith(9, -0.0));  // flat, written with negative zeros
    EXPECT_FALSE(e.editor.hasUnsavedShape());
}

}  // namespace
}  // namespace sg
