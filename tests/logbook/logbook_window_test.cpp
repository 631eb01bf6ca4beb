// SPDX-License-Identifier: GPL-3.0-or-later
// The "Logbook" window driven as a user drives it: a logbook made with
// "New…", a reduction and a fitted photo added with "Add to logbook" and
// opened again with "Open Entry", a note and a comment, another program's
// entry seen when the window comes to the front, the report, a newer
// logbook read-only, and the last logbook taken when none is open.
#include "fit/fit_dialog.h"
#include "fit/photo_tools.h"
#include "logbook/logbook_text.h"
#include "logbook/progress_plot.h"
#include "reduction/reading_text.h"
#include "reduction/reduction_window.h"
#include "tests/support/main_window_fixture.h"
#include "tests/support/synthetic_photo.h"

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace sg {
namespace {

constexpr const char* kReadings =
    "diameter 200\nradius 1600\nzones 4\n"
    "1 0.12 0.11\n2 1.01 1.02\n3 1.95 1.97\n4 2.95 2.93\n";
constexpr const char* kOtherReadings =
    "diameter 200\nradius 1600\nzones 3\n"
    "1 0.30\n2 1.60\n3 3.05\n";

class LogbookWindowTest : public testing::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        if (HasFatalFailure()) return;
        book = &app->logbookWindow();
    }
    void pressIn(QWidget* window, const char* name) {
        auto* b = window->findChild<QAbstractButton*>(name);
        ASSERT_NE(b, nullptr) << name;
        ASSERT_TRUE(b->isEnabled()) << name;
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
    }
    QString write(const char* name, const char* text) {
        const QString path = home.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return path;
    }
    // "Logbook" in the main window, then "New…" answered with `name`.
    QString newLogbook(const char* name = "mirror.sglog") {
        press("logbookButton");
        EXPECT_TRUE(book->isVisible());
        const QString path = home.filePath(name);
        dialogs.answers = {path};
        pressIn(book, "ButtonNewLogbook");
        EXPECT_NE(book->logbook(), nullptr);
        return path;
    }
    QString cell(int row, int column) const {
        const QTableWidgetItem* item = book->entryTable()->item(row, column);
        return item ? item->text() : QString();
    }
    void selectRow(int row) {
        QTableWidget* t = book->entryTable();
        const QRect r = t->visualItemRect(t->item(row, 1));
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, r.center());
    }

    LogbookWindow* book = nullptr;
};

// A reduction goes in through "Add to logbook" with its figures, and comes
// back with "Open Entry" into the reduction window as it was; the plot
// draws its point.
TEST_F(LogbookWindowTest, AReductionAddedAndOpenedAgain) {
    const QString path = newLogbook();
    ASSERT_TRUE(errors.messages.empty()) << errors.messages.front();
    EXPECT_EQ(book->windowTitle(), "Logbook \u2014 mirror");
    // The new logbook's mirror is the main window's.
    EXPECT_EQ(book->logbook()->mirror().diameter, form->scene().mirror.mirrorDiameter);
    EXPECT_EQ(book->logbook()->mirror().radius, form->scene().mirror.radiusOfCurvature);

    press("reductionButton");
    ReductionWindow& reduction = app->reductionWindow();
    dialogs.answers = {write("zones.fou", kReadings)};
    pressIn(&reduction, "ButtonOpen");
    ASSERT_TRUE(reduction.result().has_value());
    const ReductionResult result = *reduction.result();
    pressIn(&reduction, "ButtonAddToLogbook");
    ASSERT_TRUE(errors.messages.empty()) << errors.messages.front();
    ASSERT_EQ(book->logbook()->entryCount(), 1);
    ASSERT_EQ(book->entryTable()->rowCount(), 1);
    EXPECT_EQ(cell(0, 2), "reduction");
    EXPECT_EQ(cell(0, 3).toStdString(), listRow(*book->logbook()->entry(1))[3]);
    EXPECT_EQ(book->logbook()->entry(1)->conic, result.bestFitConic);
    EXPECT_EQ(book->logbook()->entry(1)->reduction->fileName, home.filePath("zones.fou").toStdString());
    EXPECT_TRUE(book->entryText()->toPlainText().contains("Verdict: ")) << "the selected entry's report";

    // The plot's point of the reduction, in its colour.
    const ProgressPlot plot(progressSeries(book->logbook()->entries(), book->logbook()->mirror()));
    const ProgressPoint& p = plot.series().conic.at(0);
    const QPointF at = plot.place(ProgressPlot::Panel::Conic, p.time, p.value);
    EXPECT_EQ(book->plotImage().pixel(at.toPoint()), ProgressPlot::kReductionColour);

    // Other readings opened; then the entry opened brings its own back.
    dialogs.answers = {write("other.fou", kOtherReadings)};
    pressIn(&reduction, "ButtonOpen");
    ASSERT_EQ(reduction.zoneTable()->rowCount(), 3);
    ASSERT_FALSE(reduction.hasUnsavedReadings()) << "readings just opened are not unsaved work";
    selectRow(0);
    pressIn(book, "ButtonOpenEntry");
    ASSERT_TRUE(errors.messages.empty()) << errors.messages.front();
    EXPECT_TRUE(reduction.isVisible());
    EXPECT_EQ(reduction.zoneTable()->rowCount(), 4);
    EXPECT_EQ(readingText(reduction.input()), book->logbook()->entry(1)->reduction->readings);
    ASSERT_TRUE(reduction.result().has_value());
    EXPECT_EQ(reduction.result()->bestFitConic, result.bestFitConic);
    EXPECT_FALSE(reduction.hasUnsavedReadings()) << "readings opened from the logbook are kept there";
    EXPECT_TRUE(QFile::exists(path));
}

// A note and a comment through the window's own fields; another program's
// entry shows when the window comes to the front; the report is written;
// a newer logbook opens read-only and says so.
TEST_F(LogbookWindowTest, NotesCommentsOtherProgramsAndReadOnly) {
    const QString path = newLogbook();
    QTest::keyClicks(book->noteEdit(), "Pitch lap pressed 20 min");
    pressIn(book, "ButtonAddNote");
    ASSERT_EQ(book->entryTable()->rowCount(), 1);
    EXPECT_EQ(cell(0, 2), "note");
    EXPECT_EQ(cell(0, 8), "Pitch lap pressed 20 min");
    EXPECT_TRUE(book->noteEdit()->text().isEmpty());

    // Another program adds; the window reads it when it comes to the front.
    {
        const auto other = Logbook::open(path);
        LogEntry e;
        e.kind = EntryKind::Note;
        e.made = "2026-12-08T09:00:00.000Z";
        e.note = "from the command line";
        other->add(e);
    }
    EXPECT_EQ(book->entryTable()->rowCount(), 1);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(book, &activate);
    ASSERT_EQ(book->entryTable()->rowCount(), 2);
    EXPECT_EQ(cell(1, 8), "from the command line");

    selectRow(0);
    book->commentEdit()->clear();
    QTest::keyClicks(book->commentEdit(), "W strokes, 1/3 D");
    pressIn(book, "ButtonSetComment");
    EXPECT_EQ(Logbook::open(path)->entry(1)->comment, "W strokes, 1/3 D");

    const QString pdf = home.filePath("history.pdf");
    dialogs.answers = {pdf};
    pressIn(book, "ButtonLogbookReport");
    ASSERT_TRUE(errors.messages.empty()) << errors.messages.front();
    QFile report(pdf);
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    EXPECT_TRUE(report.readAll().startsWith("%PDF-"));

    // Made newer by a later version: read, never written.
    book->closeLogbook();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "raw");
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery(db).exec("PRAGMA user_version = 5");
        db.close();
    }
    QSqlDatabase::removeDatabase("raw");
    dialogs.answers = {path};
    pressIn(book, "ButtonOpenLogbook");
    ASSERT_NE(book->logbook(), nullptr);
    EXPECT_FALSE(book->readOnlyLabel()->isHidden());
    EXPECT_TRUE(book->readOnlyLabel()->text().contains("newer version")) << book->readOnlyLabel()->text().toStdString();
    EXPECT_FALSE(book->findChild<QAbstractButton*>("ButtonAddNote")->isEnabled());
    EXPECT_EQ(book->entryTable()->rowCount(), 2);
}

// Without an open logbook, "Add to logbook" takes the one used last, also
// after the program is started again; with none, it says what to do.
TEST_F(LogbookWindowTest, AddingWithoutAnOpenLogbook) {
    press("reductionButton");
    dialogs.answers = {write("zones.fou", kReadings)};
    pressIn(&app->reductionWindow(), "ButtonOpen");
    pressIn(&app->reductionWindow(), "ButtonAddToLogbook");
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages.front(), kNoLogbookMessage);
    errors.messages.clear();

    const QString path = newLogbook("kept.sglog");
    startApp();
    book = &app->logbookWindow();
    EXPECT_EQ(book->logbook(), nullptr);
    EXPECT_EQ(book->recentLogbooks().value(0), path);
    press("reductionButton");
    dialogs.answers = {home.filePath("zones.fou")};
    pressIn(&app->reductionWindow(), "ButtonOpen");
    pressIn(&app->reductionWindow(), "ButtonAddToLogbook");
    ASSERT_TRUE(errors.messages.empty()) << errors.messages.front();
    ASSERT_NE(book->logbook(), nullptr);
    EXPECT_EQ(book->logbook()->path(), path);
    EXPECT_EQ(book->logbook()->entryCount(), 1);
}

// A fitted photo goes in with its bytes, its place on the picture and its
// fit, and comes back over the picture with the same fit.
TEST_F(LogbookWindowTest, AFittedPhotoAddedAndOpenedAgain) {
    newLogbook();
    testing::PhotoTruth truth;
    truth.mirror.diameter = 200;
    truth.mirror.radius = 2000;
    truth.mirror.linesPerMm = 4;
    truth.parameters.conic = -1;
    truth.parameters.offset = 8;
    truth.parameters.transverse = 0.25;
    testing::Camera camera;
    camera.width = 760, camera.height = 700, camera.cx = 372.4, camera.cy = 351.8, camera.radius = 300;
    camera.blur = 1.2, camera.noise = 0.01, camera.seed = 5;
    const QString photo = home.filePath("ronchi.png");
    ASSERT_TRUE(testing::savePhoto(testing::makeSyntheticPhoto(truth, camera), photo.toStdString()));

    form->controls().setParameterCell(kRowDiameter, "200");
    form->controls().setParameterCell(kRowRadius, "2000");
    form->controls().setParameterCell(kRowLinesPerMm, "4");
    dialogs.answers = {photo};
    press("ButtonOpenPhoto");
    ASSERT_TRUE(errors.messages.empty()) << errors.messages.front();
    PhotoTools& tools = form->photoTools();
    press("ButtonFitPhoto");
    FitDialog* d = tools.fitDialog();
    ASSERT_NE(d, nullptr);
    EXPECT_FALSE(d->findChild<QAbstractButton*>("AddToLogbookButton")->isEnabled()) << "nothing fitted yet";
    pressIn(d, "SideOutside");
    pressIn(d, "FitButton");
    ASSERT_TRUE(QTest::qWaitFor([d] { return !d->running(); }, 300000));
    ASSERT_TRUE(d->result().has_value()) << (errors.messages.empty() ? "" : errors.messages.front());
    const FitResult fitted = *d->result();
    const FrameMapping mapping = tools.overlay().mapping();
    pressIn(d, "AddToLogbookButton");
    ASSERT_TRUE(errors.messages.empty()) << errors.messages.front();
    ASSERT_EQ(book->logbook()->entryCount(), 1);
    const LogEntry e = *book->logbook()->entry(1);
    EXPECT_EQ(e.kind, EntryKind::Photo);
    EXPECT_EQ(e.conic, fitted.conic.value);
    EXPECT_EQ(e.conicSigma, fitted.conic.sigma);
    QFile file(photo);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(e.photo->bytes == file.readAll()) << "the photo's bytes";
    EXPECT_EQ(e.photo->mapCx, mapping.cx);
    EXPECT_EQ(e.photo->mapScale, mapping.scale);
    EXPECT_EQ(e.photo->sideGiven, "outside");
    EXPECT_EQ(cell(0, 2), "photo");
    EXPECT_FALSE(cell(0, 4).isEmpty()) << "the fit's sigma in the list";

    // Closed and the file gone: the entry brings the photo back with its fit.
    press("ButtonClosePhoto");
    ASSERT_FALSE(tools.overlay().isOpen());
    QFile::remove(photo);
    selectRow(0);
    pressIn(book, "ButtonOpenEntry");
    ASSERT_TRUE(errors.messages.empty()) << errors.messages.front();
    ASSERT_TRUE(tools.overlay().isOpen());
    EXPECT_EQ(tools.overlay().mapping().cx, mapping.cx);
    EXPECT_EQ(tools.overlay().mapping().cy, mapping.cy);
    EXPECT_EQ(tools.overlay().mapping().scale, mapping.scale);
    EXPECT_EQ(tools.overlay().mapping().rotationDeg, mapping.rotationDeg);
    const FitResult* shown = tools.fitOnFrame();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->parameters.conic, fitted.parameters.conic);
    EXPECT_EQ(shown->parameters.offset, fitted.parameters.offset);
    EXPECT_EQ(shown->parameters.transverse, fitted.parameters.transverse);
    // The fitted edges drawn again are the ones of the fit.
    EXPECT_EQ(fittedEdgeMask(*shown), fittedEdgeMask(fitted));
    // And the picture under it is the fitted model's.
    EXPECT_NEAR(form->scene().mirror.conicConstant, fitted.parameters.conic, 1e-9);
}

}  // namespace
}  // namespace sg
