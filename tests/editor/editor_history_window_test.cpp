// SPDX-License-Identifier: GPL-3.0-or-later
// Undo and redo with the editor's keys over presses, new surfaces and
// retrieved shapes, and the question before a new surface discards a shape.
#include "tests/editor/editor_window_fixture.h"

#include <QHash>

#include <bit>
#include <cstdint>
#include <vector>

namespace sg {
namespace {

// "" when every height has the same bits, else the first knot that differs.
std::string knotDifference(const KnotHeights& got, const KnotHeights& expected) {
    for (int k = 0; k < kKnotCount; ++k)
        if (std::bit_cast<std::uint64_t>(got[k]) != std::bit_cast<std::uint64_t>(expected[k]))
            return "knot " + std::to_string(k) + ": " + std::to_string(got[k]) + " instead of " +
                   std::to_string(expected[k]);
    return "";
}

class EditorHistory : public EditorWindow {
protected:
    // What a step shows: the knots, the plot and the statistics.
    struct Shown {
        KnotHeights knots;
        std::size_t plot;
        std::array<std::string, 5> captions;
    };
    Shown shown() {
        const QImage& image = editor->canvas().image();
        return {knots(), qHashBits(image.constBits(), static_cast<std::size_t>(image.sizeInBytes())), captions()};
    }
    void expectShown(const Shown& expected, const std::string& when) {
        const Shown now = shown();
        EXPECT_EQ(knotDifference(now.knots, expected.knots), "") << when;
        EXPECT_EQ(now.plot, expected.plot) << when;
        EXPECT_EQ(now.captions, expected.captions) << when;
    }
    QString shapeFile(const char* name, const ShapeRecord& record) {
        const QString path = home.filePath(name);
        writeShapeFile(path, record);
        return path;
    }
};

// Well over 100 steps of every kind, walked back to the start with Ctrl+Z and
// forward again with both redo keys: each shows the knots, plot and
// statistics it had.
TEST_F(EditorHistory, KeysWalkEveryStepOfPressesNewAndRetrieve) {
    ShapeRecord thirds{}, negative{};
    for (int k = 0; k < kKnotCount; ++k) {
        thirds[k] = (k - 22) / 3.0;  // heights no press makes
        negative[k] = -0.0;
    }
    negative[10] = negative[34] = -1e-300;
    const QString files[] = {shapeFile("thirds.Shp", thirds), shapeFile("negative.Shp", negative)};

    std::vector<Shown> steps{shown()};
    for (int i = 0; i < 130; ++i) {
        if (i % 19 == 9) {
            questions.answers = {true};
            press("startNewButton");
        } else if (i % 13 == 4) {
            dialogs.answers = {files[i % 2]};
            press("retrieveShapeButton");
        } else if (i % 23 == 17) {
            dialogs.answers = {std::nullopt};  // cancelled: no step
            press("retrieveShapeButton");
            EXPECT_EQ(knotDifference(knots(), steps.back().knots), "") << "cancelled retrieve " << i;
            continue;
        } else {
            pressAt(13 + 16 * ((i * 7) % 45), 130 + (i * 37) % 161);
        }
        if (knotDifference(knots(), steps.back().knots) != "") steps.push_back(shown());
    }
    ASSERT_TRUE(errors.messages.empty()) << errors.messages[0];
    ASSERT_GT(steps.size(), 101u);

    for (std::size_t s = steps.size() - 1; s-- > 0;) {
        undoKey();
        expectShown(steps[s], "undo to step " + std::to_string(s));
        if (::testing::Test::HasFailure()) return;
    }
    undoKey();  // nothing more to undo
    expectShown(steps[0], "undo past the first step");
    for (std::size_t s = 1; s < steps.size(); ++s) {
        s % 2 == 0 ? redoKey() : redoKeyY();
        expectShown(steps[s], "redo to step " + std::to_string(s));
        if (::testing::Test::HasFailure()) return;
    }
    redoKeyY();
    expectShown(steps.back(), "redo past the last step");
}

TEST_F(EditorHistory, ANewEditAfterUndoDropsTheRedoSteps) {
    pressAt(77, 135);
    const KnotHeights first = knots();
    pressAt(365, 280);
    undoKey();
    EXPECT_EQ(knotDifference(knots(), first), "");
    pressAt(141, 200);
    const KnotHeights edited = knots();
    redoKey();
    redoKeyY();
    EXPECT_EQ(knotDifference(knots(), edited), "") << "the undone press is gone";
    undoKey();
    EXPECT_EQ(knotDifference(knots(), first), "");
    undoKey();
    EXPECT_EQ(knotDifference(knots(), KnotHeights{}), "");

    // A retrieve that fails, or is cancelled, makes no step.
    pressAt(600, 150);
    const KnotHeights pressed = knots();
    dialogs.answers = {home.filePath("missing.Shp"), std::nullopt};
    press("retrieveShapeButton");
    press("retrieveShapeButton");
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(knotDifference(knots(), pressed), "");
    undoKey();
    EXPECT_EQ(knotDifference(knots(), KnotHeights{}), "") << "the press before the retrieves is undone";
}

TEST_F(EditorHistory, StartNewAsksOnlyBeforeDiscardingAnUnsavedShape) {
    press("startNewButton");  // a flat surface: nothing to discard
    EXPECT_TRUE(questions.asked.empty());

    pressAt(141, 130);
    const KnotHeights drawn = knots();
    questions.answers = {false};
    press("startNewButton");
    ASSERT_EQ(questions.asked.size(), 1u);
    EXPECT_EQ(questions.asked[0], "Discard the shape drawn since it was last saved?");
    EXPECT_EQ(knotDifference(knots(), drawn), "") << "No keeps the shape";
    questions.answers = {true};
    press("startNewButton");
    EXPECT_EQ(questions.asked.size(), 2u);
    EXPECT_EQ(knotDifference(knots(), KnotHeights{}), "");
    undoKey();
    EXPECT_EQ(knotDifference(knots(), drawn), "") << "a new surface is undone";

    // Saved, it is discarded without a question, also after going back to it.
    const QString file = home.filePath("drawn.Shp");
    dialogs.answers = {file};
    press("saveShapeButton");
    press("startNewButton");
    undoKey();
    press("startNewButton");
    EXPECT_EQ(questions.asked.size(), 2u);
    // So is a retrieved shape; once changed it is asked about again.
    dialogs.answers = {file};
    press("retrieveShapeButton");
    press("startNewButton");
    EXPECT_EQ(questions.asked.size(), 2u);
    dialogs.answers = {file};
    press("retrieveShapeButton");
    pressAt(365, 250);
    press("startNewButton");  // the script has run out: No
    EXPECT_EQ(questions.asked.size(), 3u);
    EXPECT_EQ(knot(22), 40);
    // A failed save does not count as saved.
    dialogs.answers = {home.filePath("no/such/folder/x.Shp")};
    press("saveShapeButton");
    ASSERT_EQ(errors.messages.size(), 1u);
    press("startNewButton");
    EXPECT_EQ(questions.asked.size(), 4u);
    EXPECT_EQ(knot(22), 40);
}

}  // namespace
}  // namespace sg
