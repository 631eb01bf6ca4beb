// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's windows, created once in their order: the main window, the
// warning window, the information, editor, getting-started, figuring and
// analysis windows, and the 27 help windows. It owns the editor's shape,
// which the editor draws and the main window and the analysis read.

#include "analysis/analysis_window.h"
#include "widgets/error_reporter.h"
#include "widgets/file_dialogs.h"
#include "widgets/window_placement.h"
#include "help/help_windows.h"
#include "mainwindow/main_window.h"
#include "model/editor_shape.h"
#include "widgets/questions.h"
#include "logbook/logbook_window.h"
#include "reduction/reduction_window.h"
#include "editor/surface_editor_window.h"
#include "mainwindow/warning_window.h"
#include "mainwindow/window_catalogue.h"

#include <QMetaObject>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>
#include <vector>

class QWindow;

namespace sg {

inline constexpr const char* kCloseSetupQuestion =
    "The set-up has changed since it was last saved. Save it before closing?";
inline constexpr const char* kCloseShapeQuestion =
    "The shape drawn in the Irregular Surface editor has not been saved. Save it before closing?";
inline constexpr const char* kCloseReadingsQuestion =
    "The Foucault readings have not been saved. Save them before closing?";
inline constexpr const char* kReplaceReadingsQuestion =
    "Replace the Foucault readings, which are not saved, with the logbook's entry?";

class ShadowgramApp : public WindowCatalogue {
public:
    // Errors go to `errors`. The file dialogs and questions are real ones
    // unless `dialogs` and `questions` are given, and the user's files live
    // in `userFolder` (default: the "Shadowgram" folder in the user's
    // documents). What is kept between runs goes to the application's
    // QSettings.
    explicit ShadowgramApp(ErrorReporter& errors, FileDialogs* dialogs = nullptr, QString userFolder = QString(),
                           Questions* questions = nullptr);
    ~ShadowgramApp() override;
    ShadowgramApp(const ShadowgramApp&) = delete;
    ShadowgramApp& operator=(const ShadowgramApp&) = delete;

    // Shows the main window maximised and runs its activation once.
    void start();

    // Before the main window closes: for each kind of work not saved (the
    // set-up, the drawn shape, the reduction's readings) the user saves it,
    // lets it go or cancels; false when the program is to stay open.
    bool mayClose();

    EditorShape& shape() { return shape_; }
    QSettings& settings() { return settings_; }
    MainWindow& mainWindow() { return *mainWindow_; }
    WarningWindow& warningWindow() { return *warning_; }
    InformationWindow& informationWindow() { return *information_; }
    SurfaceEditorWindow& editorWindow() { return *editor_; }
    GettingStartedWindow& gettingStartedWindow() { return *gettingStarted_; }
    FiguringWindow& figuringWindow() { return *figuring_; }
    AnalysisWindow& analysisWindow() { return *analysis_; }
    ReductionWindow& reductionWindow() { return *reduction_; }
    LogbookWindow& logbookWindow() { return *logbook_; }
    const std::vector<std::unique_ptr<HelpWindow>>& helpWindows() const { return help_; }
    HelpWindow* helpWindow(HelpTopic topic) const;
    // Every window in the order of creation.
    std::vector<QWidget*> windows() const;

    void showInformationWindow() override;
    void showEditorWindow() override;
    void showGettingStartedWindow() override;
    void showFiguringWindow() override;
    void showAnalysisWindow(const std::string& inner, const std::string& outer) override;
    void showReductionWindow() override;
    void showLogbookWindow() override;
    void showHelpWindow(HelpTopic topic) override;
    void showWarning(const std::string& line1, const std::string& line2) override;

private:
    void focusChanged(QWindow* now);
    void connectLogbook();
    // The mirror on the test stand as the grid gives it (the last drawn
    // mirror's values where a cell is not a number above 0).
    ReductionWindow::MainMirror mainMirror() const;

    EditorShape shape_;
    ErrorReporter& errors_;
    QtFileDialogs qtDialogs_;
    FileDialogs& dialogs_;
    MessageBoxQuestions boxQuestions_;
    Questions& questions_;
    QSettings settings_;
    UserFolder userFolder_;
    std::unique_ptr<MainWindow> mainWindow_;
    std::unique_ptr<WarningWindow> warning_;
    std::unique_ptr<InformationWindow> information_;
    std::unique_ptr<SurfaceEditorWindow> editor_;
    std::unique_ptr<GettingStartedWindow> gettingStarted_;
    PlaceKeeper* gettingStartedPlace_ = nullptr;  // owned by the window
    // The ray diagram and its buttons, which the editor keeps clear, screen pixels.
    KeepClear positionControlsOnScreen() const;
    std::unique_ptr<FiguringWindow> figuring_;
    std::unique_ptr<AnalysisWindow> analysis_;
    std::vector<std::unique_ptr<HelpWindow>> help_;
    std::unique_ptr<ReductionWindow> reduction_;
    std::unique_ptr<LogbookWindow> logbook_;
    // The photos of logbook entries, written out for the photo's overlay.
    QTemporaryDir keptPhotos_;
    QMetaObject::Connection focusConnection_;
    QWindow* lastFocus_ = nullptr;  // the last of the program's windows that had the focus
};

}  // namespace sg
