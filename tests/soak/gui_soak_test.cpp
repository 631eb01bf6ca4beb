// SPDX-License-Identifier: GPL-3.0-or-later
// A soak of the whole program: seeded pseudo-random presses, clicks, keys
// and typed text over every window, the file dialogs answered by a double
// that saves into a temporary folder, retrieves from it or cancels, and
// questions answered Yes or No at random. After
// every event nothing the program wrote shows "nan" or "inf", exactly one
// test and one orientation are chosen, and every knot is finite.
// SOAK_EVENTS (default 3000) and SOAK_SEED (default 1) choose the run.
#include "mainwindow/application.h"
#include "tests/support/recording_reporter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#include <random>

namespace sg {
namespace {

long residentKilobytes() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

int environmentNumber(const char* name, int fallback) {
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok ? v : fallback;
}

// Dialogs that save under a few names in the user's folder, retrieve what
// is there (or a name that is not), and sometimes cancel.
class SoakDialogs : public FileDialogs {
public:
    explicit SoakDialogs(std::mt19937& random) : random_(random) {}
    std::optional<QString> askOpen(QWidget*, const FileDialogRequest& r) override {
        if (pick(5) == 0) return std::nullopt;
        const QDir dir(r.directory);
        const QStringList files = dir.entryList(QDir::Files);
        if (files.isEmpty() || pick(6) == 0) return dir.filePath("missing");
        return dir.filePath(files[pick(static_cast<int>(files.size()))]);
    }
    std::optional<QString> askSave(QWidget*, const FileDialogRequest& r) override {
        if (pick(5) == 0) return std::nullopt;
        return QDir(r.directory).filePath(QString("soak%1").arg(pick(4)));
    }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    std::mt19937& random_;
};

class SoakQuestions : public Questions {
public:
    explicit SoakQuestions(std::mt19937& random) : random_(random) {}
    bool confirm(QWidget*, const std::string&) override { return std::bernoulli_distribution(0.5)(random_); }
    SaveChoice saveOrDiscard(QWidget*, const std::string&) override {
        return static_cast<SaveChoice>(std::uniform_int_distribution<int>(0, 2)(random_));
    }

private:
    std::mt19937& random_;
};

class Soak {
public:
    explicit Soak(unsigned seed)
        : random_(seed), dialogs_(random_), questions_(random_), app_(errors_, &dialogs_, home_.path(), &questions_) {
        app_.start();
    }

    void step() {
        switch (pick(10)) {
        case 0: case 1: case 2: pressButton(); break;
        case 3: case 4: clickSomewhere(); break;
        case 5: case 6: typeIntoCell(); break;
        case 7: pressKeys(); break;
        case 8: clickPicture(); break;
        default: closeWindow(); break;
        }
        errorCount_ += errors_.messages.size();
        errors_.messages.clear();
        settle();
    }

    // What must hold after every event.
    void check(int event) {
        const Scene& m = app_.mainWindow().scene();
        ASSERT_LE(static_cast<int>(m.setup.test), 2) << "event " << event;
        ASSERT_LE(static_cast<int>(m.setup.orientation), 2) << "event " << event;
        for (int k = 0; k < kKnotCount; ++k) ASSERT_TRUE(std::isfinite(app_.shape().knotHeight[k])) << "knot " << k;
        ASSERT_TRUE(std::isfinite(app_.mainWindow().simulator().conicDeviation)) << "event " << event;
        ASSERT_TRUE(std::isfinite(m.setup.position.transverseOffset)) << "event " << event;
        for (QWidget* w : app_.windows()) {
            for (QLabel* l : w->findChildren<QLabel*>()) ASSERT_FALSE(nonFinite(l->text())) << l->text().toStdString();
            for (QTableWidget* g : w->findChildren<QTableWidget*>())
                for (int r = 0; r < g->rowCount(); ++r)
                    for (int c = 0; c < g->columnCount(); ++c) {
                        if (g->item(r, c) != nullptr) {
                            ASSERT_FALSE(nonFinite(g->item(r, c)->text())) << g->item(r, c)->text().toStdString();
                        }
                    }
        }
        for (const auto& written : app_.analysisWindow().written())
            ASSERT_FALSE(nonFinite(QString::fromStdString(written.text))) << written.text;
        for (int i = 0; i < 5; ++i)
            ASSERT_FALSE(nonFinite(QString::fromStdString(app_.editorWindow().statisticsCaption(i))));
    }

    std::size_t errorCount() const { return errorCount_; }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    // What the event loop does between events, in its order: the queued
    // calls and paints first, then the deletion of closed cell editors. A
    // cell editor's Return queues its close before the editor is closed and
    // its deletion posted, so the event loop always runs the close first;
    // deleting first would run it on a deleted editor. (Outside a running
    // loop, deletions wait until they are asked for.)
    static void settle() {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static bool nonFinite(const QString& text) {
        return text.contains("nan", Qt::CaseInsensitive) || text.contains("inf", Qt::CaseInsensitive);
    }

    std::vector<QWidget*> visibleWindows() {
        std::vector<QWidget*> shown;
        for (QWidget* w : app_.windows())
            if (w->isVisible()) shown.push_back(w);
        return shown;
    }

    QWidget* someWindow() {
        const std::vector<QWidget*> shown = visibleWindows();
        return shown[static_cast<std::size_t>(pick(static_cast<int>(shown.size())))];
    }

    // A press where the user would press: on the control under the point.
    void clickAt(QWidget* window, QPoint at) {
        QWidget* target = window->childAt(at);
        if (target == nullptr) target = window;
        QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(window, at));
    }

    void pressButton() {
        QWidget* w = pick(3) == 0 ? someWindow() : &app_.mainWindow();
        QList<QAbstractButton*> buttons;
        for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
            if (b->isVisible() && b->isEnabled()) buttons << b;
        if (buttons.isEmpty()) return;
        QTest::mouseClick(buttons[pick(static_cast<int>(buttons.size()))], Qt::LeftButton);
    }

    void clickSomewhere() {
        QWidget* w = someWindow();
        clickAt(w, QPoint(pick(std::max(1, std::min(w->width(), 1000))), pick(std::max(1, std::min(w->height(), 720)))));
    }

    void clickPicture() {
        // The diagrams at the left and the picture itself.
        static const QPoint places[] = {{400, 300}, {25, 260}, {25, 390}, {10, 470}, {45, 470}, {600, 200}};
        clickAt(&app_.mainWindow(), places[pick(6)] + QPoint(pick(9) - 4, pick(9) - 4));
    }

    QString someText() {
        static const char* const texts[] = {
            "200", "2000", "-1", "0", "4", "20", "0.5", "0.55", "2", "1e308", "-1e308", "1.7976931348623157e308",
            "1e-320", "1E400", "-0", "0.0000001", "abc", "", " 12 ", "1,5", "--3", "7e", "25", "-2", "3", "15",
            "100", "-200", "1e15", "12345678901234567890", "0.001", "9", "-0.75", "x", "1e-7", "5e-324",
        };
        return texts[pick(std::size(texts))];
    }

    void typeIntoCell() {
        std::vector<std::pair<QTableWidget*, std::pair<int, int>>> cells;
        auto* grid1 = app_.mainWindow().findChild<QTableWidget*>("parameterGrid");
        for (int r = 0; r < 7; ++r) cells.push_back({grid1, {r, 1}});
        cells.push_back({app_.mainWindow().findChild<QTableWidget*>("maxMoveGrid"), {2, 0}});
        auto* limits = app_.analysisWindow().findChild<QTableWidget*>("zoneLimitGrid");
        cells.push_back({limits, {0, 0}});
        cells.push_back({limits, {1, 0}});
        const auto& [grid, cell] = cells[static_cast<std::size_t>(pick(static_cast<int>(cells.size())))];
        grid->item(cell.first, cell.second)->setText(someText());
        if (grid->isVisible()) {
            const QRect r = grid->visualRect(grid->model()->index(cell.first, cell.second));
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
        }
    }

    void pressKeys() {
        QWidget* target = QApplication::focusWidget();
        if (target == nullptr) target = &app_.mainWindow();
        static const Qt::Key keys[] = {Qt::Key_1, Qt::Key_Minus, Qt::Key_E, Qt::Key_Period, Qt::Key_Backspace,
                                       Qt::Key_Return, Qt::Key_Tab, Qt::Key_Up, Qt::Key_Down, Qt::Key_A,
                                       Qt::Key_Left, Qt::Key_Space, Qt::Key_9, Qt::Key_Delete};
        for (int i = pick(4); i >= 0; --i) QTest::keyClick(target, keys[pick(std::size(keys))]);
        // Undo and redo, wherever the focus is.
        if (pick(3) == 0) {
            const Qt::KeyboardModifiers shift = pick(2) == 0 ? Qt::ShiftModifier : Qt::NoModifier;
            QTest::keyClick(target, pick(3) == 0 ? Qt::Key_Y : Qt::Key_Z, Qt::ControlModifier | shift);
        }
    }

    void closeWindow() {
        const std::vector<QWidget*> shown = visibleWindows();
        if (shown.size() > 1) shown[static_cast<std::size_t>(1 + pick(static_cast<int>(shown.size()) - 1))]->close();
    }

    std::mt19937 random_;
    QTemporaryDir home_;
    testing::RecordingReporter errors_;
    SoakDialogs dialogs_;
    SoakQuestions questions_;
    ShadowgramApp app_;
    std::size_t errorCount_ = 0;
};

TEST(GuiSoak, RandomEventsLeaveTheProgramSound) {
    const int events = environmentNumber("SOAK_EVENTS", 3000);
    const unsigned seed = static_cast<unsigned>(environmentNumber("SOAK_SEED", 1));
    const long before = residentKilobytes();
    Soak soak(seed);
    const long started = residentKilobytes();
    for (int event = 0; event < events; ++event) {
        soak.step();
        soak.check(event);
        if (::testing::Test::HasFatalFailure()) return;
    }
    const long after = residentKilobytes();
    std::cout << events << " events, seed " << seed << ", " << soak.errorCount() << " error messages; resident memory "
              << before << " kB before the windows, " << started << " kB with them, " << after << " kB at the end\n";
}

}  // namespace
}  // namespace sg
