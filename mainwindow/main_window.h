// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window "Shadowgram": the parameter grid, the test and display
// options, the buttons that open the other windows, the notes, and the
// drawing area behind the controls, where the shadowgram, the position
// diagrams and the profile graphs are drawn. The picture stays until a
// drawing action replaces it.

#include "simulator/canvas.h"
#include "widgets/error_reporter.h"
#include "widgets/file_dialogs.h"
#include "mainwindow/notes_box.h"
#include "mainwindow/main_controls.h"
#include "simulator/positioning.h"
#include "simulator/redraw.h"
#include "simulator/simulator.h"
#include "wave/wave_painter.h"
#include "reduction/simulator_zone.h"
#include "mainwindow/window_catalogue.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QMenu;
class QSettings;
class QPlainTextEdit;
class QPushButton;

namespace sg {

struct FitResult;
class PhotoTools;

class MainWindow : public QWidget, public PictureDisplay {
    Q_OBJECT
public:
    // Creates the controls and runs fillDefaults; nothing is drawn. The
    // distorted surface is the editor's `shape`. Test files are chosen with
    // `dialogs`, starting in <userFolder>/Test.
    MainWindow(EditorShape& shape, WindowCatalogue& windows, ErrorReporter& errors, FileDialogs& dialogs,
           UserFolder& userFolder, QSettings& settings);
    ~MainWindow() override;

    // What the picture shows: the set-up its last drawing read.
    const Scene& scene() const { return picture_.scene; }
    const PictureState& picture() const { return picture_; }
    Canvas& canvas() { return canvas_; }
    Simulator& simulator() { return sim_; }
    ModelControls& controls() { return controls_; }
    // The axial position in mm beside the ray diagram: shown after every
    // drawing, and typed to move the marker (Enter).
    QLineEdit* axialReadout() const { return axialEdit_; }
    QLabel* axialRefusal() const { return axialRefusal_; }

    // What the controls do, each a user action.
    void fillDefaults();
    void onActivated();
    void onDrawingAreaPress(int x, int y);
    void onParameterCellSelected();       // a cell of the parameter grid
    void onParameterCellChanged();        // its text changed, typed or set
    void onMaxMoveCellSelected();         // the maximum-movement cell
    void onGridToggled();                 // "Grid"
    void onZero();                        // "Zero"
    void onWhite();                       // "White"
    void onBrighten();                    // "Brighten"
    void onAnalyseSurface();              // "Analyse Surface"
    void onInvert();                      // "Invert"
    void onCreateIrregularSurface();      // "Create Irregular Surface"
    void onInformation();                 // "INFORMATION"
    void onFiguringHelp();                // "Figuring Help"
    void onFoucaultReduction();           // "Foucault Reduction"
    void onLogbook();                     // "Logbook"
    void onCentres();                     // " Centres"
    void onRetrieve();                    // "Retrieve"
    void onSave();                        // "Save"
    bool saveSetup();                     // "Save"; true when the set-up was saved
    // The set-up the controls show differs from the one last saved or
    // retrieved (the defaults at the start), or cannot be read.
    bool setupChangedSinceSave() const;
    // Asked before the window closes; false keeps it open.
    void setCloseGuard(std::function<bool()> guard) { closeGuard_ = std::move(guard); }
    void onGettingStarted();              // "GETTING STARTED"
    void onSurfaceChoice();               // "Show pure Conic", "Show distorted surface"

    // Retrieve without the dialog: the set-up of the test file at `path`, as
    // if the user had chosen it (used for a file named on the command line).
    void retrieveSetup(const QString& path);
    NotesLines& notes() { return *notesLines_; }

    // A getting-started example: "Show pure Conic", the example's settings,
    // and its picture at once.
    void showExample(int n);
    // The reduced surface of the Foucault reduction: the mirror's diameter,
    // radius and conic and the zone's height and wavelength in the grid, the
    // drawn zone at its true height ("Show distorted surface" and "Exact ray
    // trace"), and the picture.
    void showReducedSurface(const SimulatorZone& zone);
    // A fit of a photo: the fitted mirror, test and ray model in the
    // controls, the grating at the fitted axial and transverse position, and
    // the picture. With a zone, "Show distorted surface" and the zone's
    // height and wavelength; its knots are the editor's to take first (see
    // setFitShower).
    void showFittedModel(const FitResult& result);
    // Who "Apply to simulation" goes to; without one, showFittedModel.
    void setFitShower(std::function<void(const FitResult&)> show) { fitShower_ = std::move(show); }
    // Told each time a cell of the parameter grid changes.
    void setEntriesFollower(std::function<void()> follow) { entriesFollower_ = std::move(follow); }
    // The photo over the picture and its controls.
    PhotoTools& photoTools() { return *photoTools_; }
    // The axial position typed beside the ray diagram (Enter in it).
    void axialPositionEntered();
    // The picture as kept: the drawing area with the caption strip below.
    QImage keptPicture() const;
    // "Save Picture...": a PNG of the kept picture, through a save dialog.
    void savePicture();
    // "Copy Picture": the kept picture on the clipboard.
    void copyPicture();
    // The picture's menu (the right button) at a point of the window: its
    // two entries, or false where the point is not on the picture.
    bool fillPictureMenu(QMenu& menu, QPoint at);

    // PictureDisplay
    void setAxialReadout(const std::string& text) override;
    void setTransverseUnit(const std::string& text) override;
    void showWarning(const std::string& line1, const std::string& line2) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createControls();
    void createHelpButtons();
    // Runs one user action: a failure stops it and shows its message; what
    // was drawn is shown either way.
    void runAction(const std::function<void()>& action);
    // Schedules the redraw of the part of the window whose picture pixels
    // differ from those last painted: the picture's box, the ray diagram's
    // strip and the read-outs a drag changes, never the controls beside them.
    void showChangedPicture();
    QPushButton* addButton(const char* name, const char* caption, int x, int y, int w, int h,
                           void (MainWindow::*handler)());
    // Retrieve with the file chosen, or the current set-up again when none is.
    void retrieve(const std::function<std::optional<QString>()>& choose);
    FileDialogRequest testDialog(const char* caption);
    // The title with the set-up file's name once one is saved or retrieved.
    void showSetupFileName(const QString& path);
    // The two choices kept between runs, restored at start and kept on change.
    void keepOptionsBetweenRuns();

    EditorShape& shape_;
    WindowCatalogue& windows_;
    ErrorReporter& errors_;
    Canvas canvas_{kPictureWidth, kPictureHeight};
    QImage painted_;  // the canvas as last painted on the screen; null before the first paint
    MainWindowControls controls_;
    Simulator sim_{canvas_};
    PictureState picture_;
    WaveCanvasPainter wavePainter_;
    Drawing drawing_{sim_, picture_, shape_, *this, &wavePainter_};
    QLineEdit* axialEdit_ = nullptr;
    QLabel* axialRefusal_ = nullptr;
    bool draggingAxial_ = false;  // a press on the ray diagram, held
    bool dragDrewRays_ = false;   // a wave picture shown in rays while the marker was dragged
    QPlainTextEdit* notes_ = nullptr;
    std::unique_ptr<NotesBoxLines> notesLines_;
    FileDialogs& dialogs_;
    QSettings& settings_;
    DialogFolder testFolder_;
    DialogFolder pictureFolder_;
    std::function<void(const FitResult&)> fitShower_;
    std::function<void()> entriesFollower_;
    std::function<bool()> closeGuard_;
    std::optional<SetupRecord> savedSetup_;
    std::optional<SetupRecord> currentSetup() const;
    std::unique_ptr<PhotoTools> photoTools_;
};

}  // namespace sg
