// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Custom Surface": the window in which the zonal deviation is drawn. It
// stays on top of the main window and is hidden until "Create Irregular
// Surface" shows it; closing it only hides it.

#include "widgets/error_reporter.h"
#include "widgets/file_dialogs.h"
#include "widgets/questions.h"
#include "editor/shape_file.h"
#include "editor/surface_editor.h"

#include <QWidget>

#include <array>
#include <functional>
#include <optional>
#include <string>

class QLabel;
class QSettings;

namespace sg {

class SurfaceEditorWindow : public QWidget, public StatisticsDisplay {
public:
    // Creates the controls and runs initialiseOnActivation, which draws the flat
    // surface and fills the statistics from the main window's grid.
    SurfaceEditorWindow(QWidget* mainWindow, EditorShape& shape, const Mirror& shownMirror,
                             const ModelControls& mainControls,
                             ErrorReporter& errors, FileDialogs& dialogs, UserFolder& userFolder, QSettings& settings,
                             Questions& questions);

    SurfaceEditor& editor() { return editor_; }
    const Canvas& canvas() const { return editor_.canvas(); }
    // The caption of statistics line 0..4, top to bottom.
    std::string statisticsCaption(int line) const;
    const QString& shapeFileName() const { return shapeFileName_; }

    // What the controls do, each a user action.
    void initialiseOnActivation();
    void onPlotPress(int x, int y);
    void onStartNewSurface();  // "Start NEW surface"
    void onShowSurface();  // "Show  surface"
    bool onSaveShape();  // "Save Shape"; true when the shape was saved
    void onRetrieveShape();  // "Retrieve Shape"

    // Retrieve without the dialog: the shape file at `path`, as if the user
    // had chosen it (used for a file named on the command line).
    void retrieveShape(const QString& path);
    // A shape given by another window (the reduced surface of the Foucault
    // reduction): the knots take it, as an undo step, and the plot shows it.
    void showShape(const KnotHeights& knotHeights);

    // Ctrl+Z: back to the knots before the latest edit (a press, "Start NEW
    // surface" or "Retrieve Shape"). Ctrl+Shift+Z and Ctrl+Y: forward again.
    void undoEdit();
    void redoEdit();

    // Puts the window, before it is shown, at the place remembered from the
    // last time the user or the window manager moved it, when that place
    // still lies on the screens; otherwise its client's top left at `place`.
    void placeWindow(QPoint place);

    // StatisticsDisplay
    void showStatistics(const StatisticsLines& lines) override;
    void dimStatistics(bool dim) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void createControls();
    // Runs one action: a failure stops it and shows its message; what was
    // drawn is shown either way.
    void runAction(const std::function<void()>& action);
    // Takes away the text an earlier failed save or retrieve drew.
    void clearFileMessages();
    FileDialogRequest shapeDialog(const char* caption);
    // Retrieve with the file chosen, or the current knots again when none is.
    void retrieve(const std::function<std::optional<QString>()>& choose);

    SurfaceEditor editor_;
    ErrorReporter& errors_;
    FileDialogs& dialogs_;
    QSettings& settings_;
    Questions& questions_;
    DialogFolder folder_;
    ShapeRecord shapeRecord_{};
    QString shapeFileName_;
    std::array<QLabel*, 5> statistics_{};
};

}  // namespace sg
