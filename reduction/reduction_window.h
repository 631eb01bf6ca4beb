// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Foucault Reduction": the mirror's fields, the zones of the mask with the
// knife's readings (one column per reading set), and the state of the
// mirror recomputed on every edit: the surface profile, the TA / rho bars,
// the figures and the verdict, and each zone's null of the reduced surface
// in the simulator (the round trip). An entry that cannot be reduced shows
// its message; the last good result stays. Open and Save use the reading
// file; "Show in simulator" hands the reduced surface to the main window.

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
class QTableWidget;

namespace sg {

class ReductionPlots;

class ReductionWindow : public QWidget {
public:
    // Reading files are chosen with `dialogs`, starting in the user folder's
    // "Reduction". A window of its own beside the main one, not above it:
    // "Show in simulator" brings the main window's picture to the front.
    ReductionWindow(ErrorReporter& errors, FileDialogs& dialogs, UserFolder& userFolder, QSettings& settings);

    // Who takes the reduced surface into the simulator.
    void setSimulatorShower(std::function<void(const SimulatorZone&)> show) { showInSimulator_ = std::move(show); }

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
    std::function<void(const SimulatorZone&)> showInSimulator_;

    QLineEdit* diameter_ = nullptr;
    QLineEdit* radius_ = nullptr;
    QLineEdit* conic_ = nullptr;
    QLineEdit* wavelength_ = nullptr;
    QComboBox* source_ = nullptr;
    QLineEdit* sourceDistance_ = nullptr;
    QComboBox* zoneRadius_ = nullptr;
    QLineEdit* obstruction_ = nullptr;
    QComboBox* units_ = nullptr;
    QCheckBox* reverse_ = nullptr;
    QSpinBox* maskZones_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* message_ = nullptr;
    QPlainTextEdit* figures_ = nullptr;
    ReductionPlots* plots_ = nullptr;
    bool filling_ = false;  // the window itself is writing the fields
    std::optional<ReductionResult> result_;
};

}  // namespace sg
