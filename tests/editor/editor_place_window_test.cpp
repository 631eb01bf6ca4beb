// SPDX-License-Identifier: GPL-3.0-or-later
// Where the program opens the editor window, and the place a move by the
// user or the window manager leaves for the next time. These need a screen
// tall enough to open the editor below the picture: the test run
// editor_window_tests_on_a_tall_screen gives them one of 1280 x 1024. (On
// the default test screen, 800 x 600, the editor opens at its usual place,
// which EditorWindow.LayoutCaptionsAndTheFirstStatistics checks.)
#include "tests/editor/editor_window_fixture.h"
#include "simulator/simulator.h"

#include <QScreen>
#include <QSettings>

namespace sg {
namespace {

bool tallScreen() {
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    return available.width() >= 1280 && available.height() >= 1024;
}

struct Program {
    testing::RecordingReporter errors;
    testing::ScriptedDialogs dialogs;
    testing::ScriptedQuestions questions;
    ShadowgramApp app;
    explicit Program(const QString& home) : app(errors, &dialogs, home, &questions) {
        app.start();
        app.showEditorWindow();
    }
    QWidget& editor() { return app.editorWindow(); }
    QPoint mainClientOrigin() { return app.mainWindow().mapToGlobal(QPoint(0, 0)); }
};

TEST(EditorPlace, BelowThePictureAndWhereItWasLastMoved) {
    if (!tallScreen()) GTEST_SKIP() << "needs a screen of 1280 x 1024 (editor_window_tests_on_a_tall_screen)";
    QTemporaryDir home;
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    QPoint opened, movedClient;
    const QPoint moved(200, 300);
    {
        Program first(home.path());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&first.editor()));
        const QRect frame = first.editor().frameGeometry();
        // The whole mirror disk shows above the editor, the whole editor on the screen.
        EXPECT_GT(frame.top(), first.mainClientOrigin().y() + kDiskCentreY + kDiskRadius) << frame.top();
        EXPECT_TRUE(available.contains(frame)) << frame.x() << ", " << frame.y();
        opened = first.editor().geometry().topLeft();
        EXPECT_FALSE(QSettings().contains("editor/geometry")) << "the program's own place is not remembered";

        first.editor().move(moved);  // as a window manager would: the frame's top left
        QCoreApplication::processEvents();
        ASSERT_EQ(first.editor().frameGeometry().topLeft(), moved);
        movedClient = first.editor().geometry().topLeft();
        first.editor().close();
    }
    {
        // The next run opens it where it was left, also after it was closed there.
        Program second(home.path());
        EXPECT_EQ(second.editor().geometry().topLeft(), movedClient);
        EXPECT_EQ(second.editor().size(), QSize(967, 357));
    }
    {
        // A remembered place off the screens is not used.
        QSettings().setValue("editor/geometry", QRect(available.right() - 400, 300, 967, 357));
        Program third(home.path());
        EXPECT_EQ(third.editor().geometry().topLeft(), opened);
    }
}

}  // namespace
}  // namespace sg
