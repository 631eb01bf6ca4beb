// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Foucault Reduction": the mirror's fields, the zones of the mask with the
// knife's readings (one column per reading set), and the state of the
// mirror recomputed on every edit: the surface profile, the TA / rho bars,
// the figures and the verdict, and each zone's null of the reduced surface
// in the simulator (the round trip). Below the plots, the figures (each
// set's among them) and the zone table the command prints. An entry that
// cannot be reduced shows its message; the last good result stays. Open
// and Save use the reading file; "Save Report..." keeps the reduction as a
// one-page PDF; "Show in simulator" hands the reduced surface to the main
// window.

#include "widgets/error_reporter.h"
#include "widgets/file_dialogs.h"
#include "reduction/reduction.h"
#include "reduction/reduction_input.h"
#include "reduction/simulator_zone.h"

#include <QWidget>

#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSettings;
class QSpinBox;
class QTabWidget;
class QTableWidget;

namespace sg {

class ReductionPlots;

// The question before "Show in simulator" replaces a shape drawn in the
// editor and not saved.
inline constexpr const char* kReplaceDrawnShapeQuestion =
    "Replace the shape drawn in the editor, which is not saved, with the measured surface?";

class ReductionWindow : public QWidget {
public:
    // Reading files are chosen with `dialogs`, starting in the user folder's
    // "Reduction". A window of its own beside the main one, not above it:
    // "Show in simulator" brings the main window's picture to the front.
    ReductionWindow(ErrorReporter& errors, FileDialogs& dialogs, UserFolder& userFolder, QSettings& settings);

    // The main window's mirror and tester, which the window starts from.
    struct MainMirror {
        double diameter = 200;    // mm
        double radius = 2000;     // mm
        double conic = -1;
        double wavelength = 0.55; // micrometres
        bool movingSource = false;
    };
    // Puts the main window's mirror into the fields (in mm) while no
    // reading has been entered: the window opens with the mirror on the
    // test stand, and what the user typed or opened stays.
    void offerMirror(const MainMirror& mirror);
    // Whether any reading cell holds text.
    bool hasReadings() const;
    // Readings typed or changed since they were last opened or saved.
    bool hasUnsavedReadings() const;
    // "Save..."; true when the readings were saved.
    bool saveReadings();

    // Who takes the reduced surface into the simulator: false when the
    // user chose to keep what the simulator shows.
    void setSimulatorShower(std::function<bool(const SimulatorZone&)> show) { showInSimulator_ = std::move(show); }
    // Who "Add to logbook" hands the reduction shown to, with the reading
    // file it came from (empty for readings typed in).
    void setLogbookAdder(std::function<void(const ReductionInput&, const ReductionResult&, const QString&)> add) {
        addToLogbook_ = std::move(add);
    }
    // Shows readings kept elsewhere (a logbook's entry) as if just opened:
    // `name` stands for the reading file in the report.
    void showReadings(const ReductionInput& input, const QString& name);
    // What "Show in simulator" last said about the radius the simulator
    // keeps; empty when it said nothing.
    QString simulatorNote() const;

    // The buttons. "Add set" and "Add zone" stop, with a message, at the
    // reading file's limits (kMaxReadingSets, kMaxZones).
    void openClick();
    void saveClick();
    void standardMaskClick();  // "Standard mask of N zones"
    void addSetClick();
    void removeSetClick();
    void addZoneClick();
    void removeZoneClick();
    void showInSimulatorClick();
    // "Save Report...": the one-page PDF of the last good result.
    void saveReportClick();
    // "Add to logbook": the reduction shown, as the entries give it.
    void addToLogbookClick();
    // Writes that report to `path`; throws ReductionInputError "cannot save
    // ..." when there is no result or the file cannot be written.
    void writeReport(const QString& path) const;
    // Open without the dialog (a file named on the command line).
    void openFile(const QString& path);

    // What the fields and the table hold, as a reduction's input; throws
    // ReductionInputError naming the field or cell that is wrong.
    ReductionInput input() const;
    // Reduces what is entered: the result shown, or the message of the
    // entry that is wrong with the last good result still shown.
    void recompute();
    const std::optional<ReductionResult>& result() const { return result_; }
    // The message of the entry that stops the reduction; empty when none.
    QString message() const;
    ReductionPlots* plots() const { return plots_; }
    QTableWidget* zoneTable() const { return table_; }
    QPlainTextEdit* figures() const { return figures_; }
    // The zone table the command prints, per zone of the last good result.
    QTableWidget* resultTable() const { return results_; }

    // The table's columns: zone, inner, outer, the sets, the round trip.
    static constexpr int kFirstSetColumn = 3;
    int setCount() const;

private:
    void createControls();
    QLineEdit* addField(const char* name, const char* label, int y, const char* text);
    // Puts an input into the fields and the table (edges written out), each
    // number in the shortest text that reads back to it.
    void show(const ReductionInput& input);
    void setZoneRows(int zones, int sets);
    void showResult();
    void runAction(const std::function<void()>& action);
    FileDialogRequest readingDialog(const char* caption);

    ErrorReporter& errors_;
    FileDialogs& dialogs_;
    DialogFolder folder_;
    std::function<bool(const SimulatorZone&)> showInSimulator_;
    std::function<void(const ReductionInput&, const ReductionResult&, const QString&)> addToLogbook_;

    QLineEdit* diameter_ = nullptr;
    QLineEdit* radius_ = nullptr;
    QLineEdit* conic_ = nullptr;
    QLineEdit* wavelength_ = nullptr;
    QComboBox* source_ = nullptr;
    QLineEdit* sourceDistance_ = nullptr;
    QComboBox* zoneRadius_ = nullptr;
    QComboBox* nulls_ = nullptr;
    QLineEdit* obstruction_ = nullptr;
    QComboBox* units_ = nullptr;
    QCheckBox* reverse_ = nullptr;
    QSpinBox* maskZones_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* message_ = nullptr;
    QLabel* simulatorNote_ = nullptr;
    QPlainTextEdit* figures_ = nullptr;
    QTableWidget* results_ = nullptr;
    QTabWidget* resultTabs_ = nullptr;
    ReductionPlots* plots_ = nullptr;
    bool filling_ = false;  // the window itself is writing the fields
    QStringList savedEntries_;  // the entries as last opened or saved
    QStringList entries() const;
    QString fileName_;      // the reading file last opened or saved, for the report
    std::optional<ReductionResult> result_;
};

}  // namespace sg
