#pragma once
// The main window "Ronchi ": the parameter grid, the test and display
// options, the buttons that open the other windows, the notes, and the
// drawing area behind the controls, where the shadowgram, the position
// diagrams and the profile graphs are drawn.

#include "canvas.h"
#include "error_reporter.h"
#include "file_dialogs.h"
#include "notes_box.h"
#include "main_controls.h"
#include "positioning.h"
#include "simulator.h"
#include "window_catalogue.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QLabel;
class QSettings;
class QPlainTextEdit;
class QPushButton;

namespace sg {

class TForm1 : public QWidget, public PositionDisplay {
    Q_OBJECT
public:
    // Creates the controls and runs FormCreate; nothing is drawn. Test files
    // are chosen with `dialogs`, starting in <userFolder>/Test.
    TForm1(MirrorModel& model, WindowCatalogue& windows, ErrorReporter& errors, FileDialogs& dialogs,
           UserFolder& userFolder, QSettings& settings);

    MirrorModel& model() { return model_; }
    Canvas& canvas() { return canvas_; }
    Simulator& simulator() { return sim_; }
    ModelControls& controls() { return controls_; }
    QLabel* axialReadout() const { return label3_; }

    // Event handlers, named after their controls.
    void FormCreate();
    void FormActivate();
    void FormMouseDown(int x, int y);
    void StringGrid1Click();
    void StringGrid2Click();
    void CheckBox3Click();
    void Button2Click();   // "Zero"
    void Button3Click();   // "White"
    void Button4Click();   // "Brighten"
    void Button5Click();   // "Analyse Surface"
    void Button6Click();   // "Invert"
    void Button7Click();   // "Create Irregular Surface"
    void Button8Click();   // "INFORMATION"
    void Button10Click();  // "Figuring Help"
    void Button11Click();  // "Foucault Reduction": no action
    void Button13Click();  // " Centres"
    void Button1Click();   // "Retrieve"
    void Button9Click();   // "Save"
    void Panel1Click();    // "GETTING STARTED"
    void RadioGroup2Click();

    // Retrieve without the dialog: the set-up of the test file at `path`, as
    // if the user had chosen it (used for a file named on the command line).
    void retrieveSetup(const QString& path);
    NotesLines& notes() { return *notesLines_; }

    // PositionDisplay
    void setAxialReadout(const std::string& text) override;
    void showWarning(const std::string& line1, const std::string& line2) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void createControls();
    void createHelpButtons();
    // Runs one user action: a failure stops it and shows its message; what
    // was drawn is shown either way.
    void runAction(const std::function<void()>& action);
    QPushButton* addButton(const char* name, const char* caption, int x, int y, int w, int h,
                           void (TForm1::*handler)());
    // Retrieve with the file chosen, or the current set-up again when none is.
    void retrieve(const std::function<std::optional<QString>()>& choose);
    FileDialogRequest testDialog(const char* caption);

    MirrorModel& model_;
    WindowCatalogue& windows_;
    ErrorReporter& errors_;
    Canvas canvas_{kPictureWidth, kPictureHeight};
    MainWindowControls controls_;
    Simulator sim_{model_, controls_, canvas_};
    QLabel* label3_ = nullptr;
    QPlainTextEdit* notes_ = nullptr;
    std::unique_ptr<NotesBoxLines> notesLines_;
    FileDialogs& dialogs_;
    QSettings& settings_;
    DialogFolder testFolder_;
};

}  // namespace sg
