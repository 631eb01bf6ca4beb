// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's windows with the editor shown and active, its file dialogs
// and questions answered from scripts, and the ways a user works in it.

#include "mainwindow/application.h"
#include "tests/support/recording_reporter.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/scripted_questions.h"

#include <QDir>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

namespace sg {

class EditorWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        app = std::make_unique<ShadowgramApp>(errors, &dialogs, home.path(), &questions);
        app->start();
        app->showEditorWindow();
        editor = &app->editorWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(editor));
    }

    // A press where the user would press: on the control under the point,
    // or on the window's own surface.
    void pressAt(int x, int y) {
        QWidget* target = editor->childAt(x, y);
        if (target == nullptr) target = editor;
        QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(editor, QPoint(x, y)));
    }
    void press(const char* button) {
        auto* b = editor->findChild<QPushButton*>(button);
        ASSERT_NE(b, nullptr) << button;
        QTest::mouseClick(b, Qt::LeftButton);
    }
    double knot(int k) { return app->shape().knotHeight[k]; }
    void setMainCell(int row, const char* text) {
        app->mainWindow().findChild<QTableWidget*>("parameterGrid")->item(row, 1)->setText(text);
    }
    KnotHeights knots() { return editor->editor().knots(); }
    // The keys of undo and redo, to the editor as the active window.
    void undoKey() { QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier); }
    void redoKey() { QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); }
    void redoKeyY() { QTest::keyClick(editor, Qt::Key_Y, Qt::ControlModifier); }
    std::array<std::string, 5> captions() {
        std::array<std::string, 5> c;
        for (int i = 0; i < 5; ++i) c[static_cast<std::size_t>(i)] = editor->statisticsCaption(i);
        return c;
    }
    QString shapeFolder() { return QDir(home.path()).filePath("Shape"); }

    QTemporaryDir home;
    testing::RecordingReporter errors;
    testing::ScriptedDialogs dialogs;
    testing::ScriptedQuestions questions;
    std::unique_ptr<ShadowgramApp> app;
    SurfaceEditorWindow* editor = nullptr;
};

}  // namespace sg
