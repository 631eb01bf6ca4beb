// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program started for a test in a home folder of its own, its file
// dialogs answered from a script and its messages recorded, with the ways
// a user presses on the main window.

#include "mainwindow/application.h"
#include "tests/support/recording_reporter.h"
#include "tests/support/scripted_dialogs.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace sg::testing {

class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override;

    // The program started anew in the same home folder, as a user starts it
    // again: the earlier one ends first and keeps what it remembers.
    void startApp();

    // A press where the user would press: on the control under the point,
    // or on the bare drawing area.
    void clickAt(int x, int y, Qt::KeyboardModifiers modifiers = {});
    // A press on the window's own surface, whatever control stands there.
    void clickOnWindow(int x, int y);
    // A click on the window's button of that name; a failure when there is none.
    void press(const char* name);

    // Destroyed in reverse order: the program before the dialogs and the
    // reporter it uses, the home folder last.
    QTemporaryDir home;
    RecordingReporter errors;
    ScriptedDialogs dialogs;
    std::unique_ptr<ShadowgramApp> app;
    MainWindow* form = nullptr;
};

}  // namespace sg::testing
