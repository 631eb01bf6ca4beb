// SPDX-License-Identifier: GPL-3.0-or-later
// Closing the program with work not saved: the set-up, the drawn shape and
// the reduction's readings are each offered Save, Discard or Cancel, and
// nothing is asked when everything is saved.
#include "tests/editor/editor_window_fixture.h"

#include "reduction/reduction_window.h"
#include "testfile/test_record.h"

#include <QTableWidget>

namespace sg {
namespace {

using Choice = Questions::SaveChoice;

class Closing : public EditorWindow {
protected:
    bool closeMain() { return app->mainWindow().close(); }
    void drawKnot() { pressAt(141, 130); }
    void typeReading() {
        app->showReductionWindow();
        auto* table = app->reductionWindow().findChild<QTableWidget*>("ZoneTable");
        ASSERT_NE(table, nullptr);
        ASSERT_GT(table->rowCount(), 0);
        // One set of readings, one per zone, as the reading file needs them.
        for (int r = 0; r < table->rowCount(); ++r) table->item(r, 3)->setText(QString::number(0.5 + 0.3 * r));
    }
};

TEST_F(Closing, NothingUnsavedClosesWithoutAQuestion) {
    // A cell set to the value it had leaves the set-up as it started.
    app->mainWindow().findChild<QTableWidget*>("parameterGrid")->item(kRowConic, 1)->setText("-1");
    EXPECT_TRUE(closeMain());
    EXPECT_TRUE(questions.asked.empty());
}

TEST_F(Closing, EachKindOfWorkIsOfferedInTurnAndCancelKeepsTheWindow) {
    setMainCell(kRowDiameter, "250");
    drawKnot();
    typeReading();

    // Cancel on the first question: nothing else asked, the window stays.
    questions.choices = {Choice::Cancel};
    EXPECT_FALSE(closeMain());
    EXPECT_TRUE(app->mainWindow().isVisible());
    ASSERT_EQ(questions.asked, std::vector<std::string>{kCloseSetupQuestion});

    // Discard the set-up, Cancel on the shape.
    questions.asked.clear();
    questions.choices = {Choice::Discard, Choice::Cancel};
    EXPECT_FALSE(closeMain());
    EXPECT_EQ(questions.asked, (std::vector<std::string>{kCloseSetupQuestion, kCloseShapeQuestion}));

    // Discard all three: the window closes.
    questions.asked.clear();
    questions.choices = {Choice::Discard, Choice::Discard, Choice::Discard};
    EXPECT_TRUE(closeMain());
    EXPECT_EQ(questions.asked,
              (std::vector<std::string>{kCloseSetupQuestion, kCloseShapeQuestion, kCloseReadingsQuestion}));
    EXPECT_TRUE(dialogs.asked.empty()) << "Discard saves nothing";
}

TEST_F(Closing, SaveWritesEachFileAndASaveCancelledKeepsTheWindow) {
    setMainCell(kRowDiameter, "250");
    drawKnot();
    typeReading();

    // A save that fails (readings the file cannot take) keeps the window,
    // with the save's message.
    auto* table = app->reductionWindow().findChild<QTableWidget*>("ZoneTable");
    const QString reading = table->item(1, 3)->text();
    table->item(1, 3)->setText("");
    questions.choices = {Choice::Discard, Choice::Discard, Choice::Save};
    dialogs.answers = {home.filePath("incomplete.fou")};
    EXPECT_FALSE(closeMain());
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0], "zone 2, set 1: no value");
    errors.messages.clear();
    table->item(1, 3)->setText(reading);

    // Save, then the file dialog cancelled: the window stays.
    questions.asked.clear();
    questions.choices = {Choice::Save};
    dialogs.answers = {std::nullopt};
    EXPECT_FALSE(closeMain());
    EXPECT_EQ(questions.asked.size(), 1u);

    // Save each: three files written, and the window closes.
    questions.asked.clear();
    questions.choices = {Choice::Save, Choice::Save, Choice::Save};
    const QString setup = home.filePath("closing.Ron"), shape = home.filePath("closing.Shp"),
                  readings = home.filePath("closing.fou");
    dialogs.answers = {setup, shape, readings};
    EXPECT_TRUE(closeMain());
    EXPECT_EQ(questions.asked.size(), 3u);
    EXPECT_EQ(readTestFile(setup).mirrorDiameter, 250);
    EXPECT_TRUE(QFileInfo(shape).size() > 0);
    EXPECT_TRUE(QFileInfo(readings).size() > 0);
    EXPECT_TRUE(errors.messages.empty()) << errors.messages.front();

    // All saved now: nothing more to ask.
    questions.asked.clear();
    app->mainWindow().show();
    EXPECT_TRUE(closeMain());
    EXPECT_TRUE(questions.asked.empty());
}

TEST_F(Closing, RetrievedAndSavedWorkIsNotAskedFor) {
    setMainCell(kRowDiameter, "250");
    dialogs.answers = {home.filePath("kept.Ron")};
    app->mainWindow().onSave();
    ASSERT_TRUE(errors.messages.empty()) << errors.messages.front();
    setMainCell(kRowDiameter, "300");
    setMainCell(kRowDiameter, "250");  // back as saved
    drawKnot();
    dialogs.answers = {home.filePath("kept.Shp")};
    editor->onSaveShape();
    EXPECT_TRUE(closeMain());
    EXPECT_TRUE(questions.asked.empty());
}

}  // namespace
}  // namespace sg
