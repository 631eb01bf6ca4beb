// SPDX-License-Identifier: GPL-3.0-or-later
#include "reduction/reduction_window.h"

#include "model/number_text.h"
#include "model/failure.h"
#include "reduction/reading_file.h"
#include "reduction/reading_text.h"
#include "reduction/reduction_plots.h"
#include "reduction/reduction_report.h"
#include "reduction/report_pdf.h"
#include "widgets/user_action.h"
#include "widgets/window_style.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>

#include <cmath>

namespace sg {

namespace {

constexpr int kFieldX = 150, kFieldWidth = 90, kRowStep = 24;

// The zone table of the results: the command's columns and more, each with
// its header, its decimals and its value.
struct ResultColumn {
    const char* header;
    int decimals;
    double (*value)(const ZoneResult&);
};

constexpr ResultColumn kResultColumns[] = {
    {"Zone", 0, [](const ZoneResult& z) { return static_cast<double>(z.number); }},
    {"h mm", 3, [](const ZoneResult& z) { return z.h; }},
    {"Expected", 5, [](const ZoneResult& z) { return z.expected; }},
    {"Measured", 5, [](const ZoneResult& z) { return z.measured; }},
    {"Departure", 5, [](const ZoneResult& z) { return z.departure; }},
    {"TA um", 3, [](const ZoneResult& z) { return z.transverseMicrons; }},
    {"TA/rho", 3, [](const ZoneResult& z) { return z.taOverRho; }},
    {"Tolerance", 5, [](const ZoneResult& z) { return z.tolerance; }},
    {"Surface nm", 1, [](const ZoneResult& z) { return z.surfaceNm; }},
    {"Spread", 4, [](const ZoneResult& z) { return z.spread; }},
    {"Repeatability", 4, [](const ZoneResult& z) { return z.repeatability; }},
};
// The columns that need two sets or more.
constexpr int kFirstSetsColumn = 9;

std::string cellText(const QTableWidget* table, int row, int column) {
    const QTableWidgetItem* item = table->item(row, column);
    return item == nullptr ? std::string() : item->text().trimmed().toStdString();
}

// A value as read or computed, in the shortest text that reads back to it:
// what the window shows it reduces and saves.
QString numberText(double v) { return QString::fromStdString(shortestText(v)); }

}  // namespace

ReductionWindow::ReductionWindow(ErrorReporter& errors, FileDialogs& dialogs, UserFolder& userFolder,
                               QSettings& settings)
    : QWidget(nullptr, Qt::Window), errors_(errors), dialogs_(dialogs), folder_(userFolder, "Reduction", &settings) {
    setObjectName("reductionWindow");
    setWindowTitle("Foucault Reduction");
    applyWindowStyle(this);
    setAttribute(Qt::WA_QuitOnClose, false);
    // Whole on a 1024 x 768 screen, also without a window manager.
    setGeometry(12, 30, 1000, 690);
    createControls();
    filling_ = true;
    setZoneRows(5, 1);
    filling_ = false;
    standardMaskClick();
}

QLineEdit* ReductionWindow::addField(const char* name, const char* label, int y, const char* text) {
    makeLabel(this, (std::string("Label") + name).c_str(), label, 8, y + 3);
    auto* edit = new QLineEdit(text, this);
    edit->setObjectName(name);
    edit->setGeometry(kFieldX, y, kFieldWidth, 20);
    connect(edit, &QLineEdit::textChanged, this, [this] {
        if (!filling_) recompute();
    });
    return edit;
}

void ReductionWindow::createControls() {
    int y = 8;
    diameter_ = addField("Diameter", "Diameter (mm)", y, "200");
    radius_ = addField("Radius", "Radius of curvature (mm)", y += kRowStep, "2000");
    conic_ = addField("Conic", "Wanted conic", y += kRowStep, "-1");
    wavelength_ = addField("Wavelength", "Wavelength (um)", y += kRowStep, "0.55");
    auto addChoice = [this](const char* name, const char* label, int at, std::initializer_list<const char*> items) {
        makeLabel(this, (std::string("Label") + name).c_str(), label, 8, at + 3);
        auto* box = new QComboBox(this);
        box->setObjectName(name);
        for (const char* item : items) box->addItem(item);
        box->setGeometry(kFieldX, at, kFieldWidth, 20);
        connect(box, &QComboBox::currentIndexChanged, this, [this] {
            if (!filling_) recompute();
        });
        return box;
    };
    source_ = addChoice("Source", "Source", y += kRowStep, {"moving", "fixed"});
    sourceDistance_ = addField("SourceDistance", "Fixed source at (mm)", y += kRowStep, "");
    sourceDistance_->setPlaceholderText("R");
    zoneRadius_ = addChoice("ZoneRadius", "Zone radius", y += kRowStep, {"rms", "mid", "carlin"});
    nulls_ = addChoice("Nulls", "Nulls", y += kRowStep, {"exact", "classical"});
    obstruction_ = addField("Obstruction", "Obstruction (mm)", y += kRowStep, "0");
    units_ = addChoice("Units", "Units", y += kRowStep, {"mm", "in"});
    reverse_ = new QCheckBox("Reverse scale (counts toward the mirror)", this);
    reverse_->setObjectName("Reverse");
    reverse_->setGeometry(8, y += kRowStep, 240, 20);
    connect(reverse_, &QCheckBox::toggled, this, [this] {
        if (!filling_) recompute();
    });

    auto addButton = [this](const char* name, const char* caption, QRect place, void (ReductionWindow::*handler)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setGeometry(place);
        connect(b, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
        return b;
    };
    addButton("ButtonOpen", "Open...", {260, 8, 70, 24}, &ReductionWindow::openClick);
    addButton("ButtonSave", "Save...", {338, 8, 70, 24}, &ReductionWindow::saveClick);
    makeLabel(this, "LabelMask", "Zones of the mask:", 260, 46);
    maskZones_ = new QSpinBox(this);
    maskZones_->setObjectName("MaskZones");
    maskZones_->setRange(2, kMaxZones);
    maskZones_->setValue(5);
    maskZones_->setGeometry(360, 43, 48, 20);
    addButton("ButtonMask", "Standard mask", {260, 68, 148, 24}, &ReductionWindow::standardMaskClick);
    addButton("ButtonAddSet", "Add set", {260, 104, 70, 24}, &ReductionWindow::addSetClick);
    addButton("ButtonRemoveSet", "Remove set", {338, 104, 70, 24}, &ReductionWindow::removeSetClick);
    addButton("ButtonAddZone", "Add zone", {260, 132, 70, 24}, &ReductionWindow::addZoneClick);
    addButton("ButtonRemoveZone", "Remove zone", {338, 132, 70, 24}, &ReductionWindow::removeZoneClick);
    QPushButton* show = addButton("ButtonShow", "Show in simulator", {260, 176, 148, 28},
                                  &ReductionWindow::showInSimulatorClick);
    show->setFont(withPixelSize(font(), 11, true));
    addButton("ButtonReport", "Save Report...", {260, 212, 148, 24}, &ReductionWindow::saveReportClick);
    addButton("ButtonAddToLogbook", "Add to logbook", {260, 244, 148, 24}, &ReductionWindow::addToLogbookClick)
        ->setToolTip("Keep these readings, their figures and the verdict in the mirror's logbook.");
    simulatorNote_ = new QLabel(this);
    simulatorNote_->setObjectName("SimulatorNote");
    simulatorNote_->setGeometry(8, 598, 402, 30);
    simulatorNote_->setWordWrap(true);
    simulatorNote_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    table_ = new QTableWidget(this);
    table_->setObjectName("ZoneTable");
    table_->setGeometry(8, 282, 402, 316);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setMinimumSectionSize(30);
    connect(table_, &QTableWidget::itemChanged, this, [this] {
        if (!filling_) recompute();
    });

    message_ = new QLabel(this);
    message_->setObjectName("Message");
    message_->setGeometry(8, 630, 402, 56);
    message_->setWordWrap(true);
    message_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette red = message_->palette();
    red.setColor(QPalette::WindowText, QColor(180, 0, 0));
    message_->setPalette(red);

    plots_ = new ReductionPlots(this);
    plots_->setGeometry(420, 8, 572, 440);
    // Under the plots, the figures and the zone table the command prints.
    resultTabs_ = new QTabWidget(this);
    resultTabs_->setObjectName("ResultTabs");
    resultTabs_->setGeometry(420, 456, 572, 228);
    figures_ = new QPlainTextEdit;
    figures_->setObjectName("Figures");
    figures_->setReadOnly(true);
    figures_->setLineWrapMode(QPlainTextEdit::NoWrap);
    resultTabs_->addTab(figures_, "Figures");
    results_ = new QTableWidget;
    results_->setObjectName("ResultTable");
    results_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    results_->verticalHeader()->hide();
    results_->horizontalHeader()->setMinimumSectionSize(30);
    results_->setColumnCount(static_cast<int>(std::size(kResultColumns)));
    QStringList headers;
    for (const ResultColumn& c : kResultColumns) headers << c.header;
    results_->setHorizontalHeaderLabels(headers);
    for (int c = 0; c < results_->columnCount(); ++c) results_->setColumnWidth(c, c == 0 ? 36 : 50);
    resultTabs_->addTab(results_, "Zones");
}

int ReductionWindow::setCount() const { return table_->columnCount() - kFirstSetColumn - 1; }

void ReductionWindow::setZoneRows(int zones, int sets) {
    const bool was = filling_;
    filling_ = true;
    table_->setRowCount(zones);
    table_->setColumnCount(kFirstSetColumn + sets + 1);
    QStringList headers{"Zone", "Inner", "Outer"};
    for (int s = 1; s <= sets; ++s) headers << QString("Set %1").arg(s);
    headers << "Round trip";
    table_->setHorizontalHeaderLabels(headers);
    for (int c = 0; c < table_->columnCount(); ++c) table_->setColumnWidth(c, c == 0 ? 40 : 62);
    for (int r = 0; r < zones; ++r) {
        for (int c = 0; c < table_->columnCount(); ++c)
            if (table_->item(r, c) == nullptr) table_->setItem(r, c, new QTableWidgetItem());
        QTableWidgetItem* number = table_->item(r, 0);
        number->setText(QString::number(r + 1));
        number->setFlags(Qt::ItemIsEnabled);
        table_->item(r, table_->columnCount() - 1)->setFlags(Qt::ItemIsEnabled);
    }
    filling_ = was;
}

ReductionInput ReductionWindow::input() const {
    ReductionInput in;
    auto header = [&in](HeaderKey key, const QLineEdit* edit, const char* label, bool required) {
        const std::string text = edit->text().trimmed().toStdString();
        if (text.empty()) {
            if (required) throw ReductionInputError(std::string(label) + ": no value");
            return;
        }
        try {
            setHeaderValue(in, key, text);
        } catch (const ReductionInputError& e) {
            throw ReductionInputError(std::string(label) + ": " + e.what());
        }
        in.fieldOf(key) = label;
    };
    header(HeaderKey::Diameter, diameter_, "Diameter", true);
    header(HeaderKey::Radius, radius_, "Radius of curvature", true);
    header(HeaderKey::Conic, conic_, "Wanted conic", true);
    header(HeaderKey::Wavelength, wavelength_, "Wavelength", true);
    setHeaderValue(in, HeaderKey::Source, source_->currentText().toStdString());
    header(HeaderKey::SourceDistance, sourceDistance_, "Fixed source at", false);
    setHeaderValue(in, HeaderKey::ZoneRadius, zoneRadius_->currentText().toStdString());
    setHeaderValue(in, HeaderKey::Null, nulls_->currentText().toStdString());
    header(HeaderKey::Obstruction, obstruction_, "Obstruction", false);
    setHeaderValue(in, HeaderKey::Units, units_->currentText().toStdString());
    in.reverse = reverse_->isChecked();

    auto number = [this](int row, int column, const std::string& what) {
        const std::string text = cellText(table_, row, column);
        if (text.empty()) throw ReductionInputError("zone " + std::to_string(row + 1) + ", " + what + ": no value");
        double v = 0;
        if (!tryParseCellFloat(text, kDecimalSeparator, v))
            throw ReductionInputError("zone " + std::to_string(row + 1) + ", " + what + ": '" +
                                      printableToken(text) + "' is not a number");
        return v;
    };
    for (int r = 0; r < table_->rowCount(); ++r) {
        ZoneEntry z;
        z.inner = number(r, 1, "inner");
        z.outer = number(r, 2, "outer");
        for (int s = 0; s < setCount(); ++s)
            z.readings.push_back(number(r, kFirstSetColumn + s, "set " + std::to_string(s + 1)));
        in.zones.push_back(z);
    }
    return in;
}

QString ReductionWindow::message() const { return message_->text(); }

QString ReductionWindow::simulatorNote() const { return simulatorNote_->text(); }

void ReductionWindow::recompute() {
    try {
        const ReductionResult r = reduce(input());
        result_ = r;
        message_->clear();
    } catch (const ReductionInputError& e) {
        message_->setText(QString::fromStdString(e.what()) + (result_ ? "\n(the last good result stays shown)" : ""));
    } catch (const ReductionFitError& e) {
        message_->setText(QString::fromStdString(e.what()) + (result_ ? "\n(the last good result stays shown)" : ""));
    }
    showResult();
}

void ReductionWindow::showResult() {
    plots_->setResult(result_);
    if (!result_) {
        figures_->clear();
        results_->setRowCount(0);
        return;
    }
    QStringList lines;
    for (const std::string& line : figureLines(*result_)) lines << QString::fromStdString(line);
    for (std::size_t j = 0; j < result_->sets.size(); ++j)
        lines << QString::fromStdString(setLine(result_->sets[j], static_cast<int>(j + 1)));
    for (const std::string& line : result_->verdict) lines << QString::fromStdString("Verdict: " + line);
    for (const std::string& line : result_->notes) lines << QString::fromStdString("Note: " + line);
    figures_->setPlainText(lines.join('\n'));
    const int zones = static_cast<int>(result_->zones.size());
    results_->setRowCount(zones);
    for (int r = 0; r < zones; ++r) {
        const ZoneResult& z = result_->zones[static_cast<std::size_t>(r)];
        for (int c = 0; c < results_->columnCount(); ++c) {
            const ResultColumn& column = kResultColumns[c];
            // The spread and the repeatability of a single set are empty.
            const QString text = c >= kFirstSetsColumn && result_->setCount < 2
                                     ? QString()
                                     : QString::fromStdString(fixedText(column.value(z), column.decimals));
            QTableWidgetItem* item = results_->item(r, c);
            if (item == nullptr) results_->setItem(r, c, item = new QTableWidgetItem);
            item->setText(text);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
    }
    // Every figure and heading whole; the table scrolls sideways instead.
    results_->resizeColumnsToContents();
    // The round trip beside the readings, where the table still has those zones.
    const bool was = filling_;
    filling_ = true;
    const int column = table_->columnCount() - 1;
    for (int r = 0; r < table_->rowCount(); ++r) {
        QTableWidgetItem* item = table_->item(r, column);
        const bool known = r < static_cast<int>(result_->zones.size());
        // Empty where the reduced surface has no null for the zone.
        const double back = known ? result_->zones[static_cast<std::size_t>(r)].roundTrip : 0;
        item->setText(known && std::isfinite(back) ? QString::fromStdString(formatFixed(back, 10, 4)) : QString());
    }
    filling_ = was;
}

void ReductionWindow::show(const ReductionInput& in) {
    filling_ = true;
    diameter_->setText(in.diameter ? numberText(*in.diameter) : QString());
    radius_->setText(in.radius ? numberText(*in.radius) : QString());
    conic_->setText(numberText(in.conic));
    wavelength_->setText(numberText(in.wavelength));
    source_->setCurrentIndex(in.source == SourceKind::Fixed ? 1 : 0);
    sourceDistance_->setText(in.sourceDistance ? numberText(*in.sourceDistance) : QString());
    zoneRadius_->setCurrentIndex(static_cast<int>(in.zoneRadius));
    nulls_->setCurrentIndex(static_cast<int>(in.nulls));
    obstruction_->setText(numberText(in.obstruction));
    units_->setCurrentIndex(in.units == LengthUnit::Inch ? 1 : 0);
    reverse_->setChecked(in.reverse);
    const int zones = static_cast<int>(in.zones.size());
    const int sets = zones == 0 ? 1 : static_cast<int>(in.zones.front().readings.size());
    table_->clearContents();
    setZoneRows(zones, sets);
    maskZones_->setValue(std::max(zones, maskZones_->minimum()));
    // A mask given as a count of equal-area zones is written out as edges.
    const double a = in.diameter ? *in.diameter / 2 : 0;
    for (int r = 0; r < zones; ++r) {
        const ZoneEntry& z = in.zones[static_cast<std::size_t>(r)];
        const double inner = in.zoneCount > 0 ? a * std::sqrt(static_cast<double>(r) / in.zoneCount) : z.inner;
        const double outer = in.zoneCount > 0 ? a * std::sqrt(static_cast<double>(r + 1) / in.zoneCount) : z.outer;
        table_->item(r, 1)->setText(numberText(inner));
        table_->item(r, 2)->setText(numberText(outer));
        for (int s = 0; s < sets && s < static_cast<int>(z.readings.size()); ++s)
            table_->item(r, kFirstSetColumn + s)->setText(numberText(z.readings[static_cast<std::size_t>(s)]));
    }
    filling_ = false;
    recompute();
}

void ReductionWindow::runAction(const std::function<void()>& action) {
    runUserAction(this, errors_, [&] {
        try {
            action();
        } catch (const ReductionInputError& e) {
            throw ActionError(e.what());
        } catch (const ReductionFitError& e) {
            throw ActionError(e.what());
        }
    });
}

FileDialogRequest ReductionWindow::readingDialog(const char* caption) {
    return FileDialogRequest{caption, folder_.start(), {"Foucault Readings (*.fou)", "All Files (*)"}, "fou"};
}

void ReductionWindow::openClick() {
    runAction([this] {
        if (const std::optional<QString> chosen = dialogs_.askOpen(this, readingDialog("Open Readings"))) {
            folder_.remember(*chosen);
            show(readReadingFile(*chosen));
            fileName_ = *chosen;
            savedEntries_ = entries();
        }
    });
}

void ReductionWindow::openFile(const QString& path) {
    runAction([&] {
        folder_.remember(path);
        show(readReadingFile(path));
        fileName_ = path;
        savedEntries_ = entries();
    });
}

void ReductionWindow::showReadings(const ReductionInput& input, const QString& name) {
    runAction([&] {
        show(input);
        fileName_ = name;
        savedEntries_ = entries();
    });
}

void ReductionWindow::addToLogbookClick() {
    runAction([this] {
        if (!result_) throw ActionError("Nothing to add yet: " + message_->text().toStdString());
        if (!message_->text().isEmpty())
            throw ActionError("The entries cannot be reduced as they stand: " + message_->text().toStdString());
        if (addToLogbook_) addToLogbook_(input(), *result_, fileName_);
    });
}

void ReductionWindow::saveClick() { saveReadings(); }

bool ReductionWindow::saveReadings() {
    bool saved = false;
    runAction([this, &saved] {
        const ReductionInput in = input();
        if (const std::optional<QString> chosen = dialogs_.askSave(this, readingDialog("Save Readings"))) {
            const QString path = withDefaultSuffix(*chosen, "fou");
            folder_.remember(path);
            writeReadingFile(path, in);
            fileName_ = path;
            savedEntries_ = entries();
            saved = true;
        }
    });
    return saved;
}

// Every field, choice and cell as the user sees it.
QStringList ReductionWindow::entries() const {
    QStringList all;
    for (const QLineEdit* e : findChildren<QLineEdit*>())
        if (!qobject_cast<const QAbstractSpinBox*>(e->parent())) all << e->objectName() + "=" + e->text();
    for (const QComboBox* c : findChildren<QComboBox*>()) all << c->objectName() + "=" + c->currentText();
    for (const QAbstractButton* b : findChildren<QAbstractButton*>())
        if (b->isCheckable()) all << b->objectName() + (b->isChecked() ? "=1" : "=0");
    for (int r = 0; r < table_->rowCount(); ++r)
        for (int c = 0; c < table_->columnCount(); ++c) all << QString::fromStdString(cellText(table_, r, c));
    return all;
}

bool ReductionWindow::hasUnsavedReadings() const { return hasReadings() && entries() != savedEntries_; }

void ReductionWindow::standardMaskClick() {
    runAction([this] {
        double diameter = 0;
        if (!tryParseCellFloat(diameter_->text().trimmed().toStdString(), kDecimalSeparator, diameter) ||
            !(diameter > 0))
            throw ActionError("Diameter: '" + printableToken(diameter_->text().toStdString()) +
                              "' is not a diameter above 0");
        const int n = maskZones_->value();
        filling_ = true;
        setZoneRows(n, std::max(setCount(), 1));
        for (int r = 0; r < n; ++r) {
            table_->item(r, 1)->setText(numberText(diameter / 2 * std::sqrt(static_cast<double>(r) / n)));
            table_->item(r, 2)->setText(numberText(diameter / 2 * std::sqrt(static_cast<double>(r + 1) / n)));
        }
        filling_ = false;
        recompute();
    });
}

void ReductionWindow::addSetClick() {
    if (setCount() >= kMaxReadingSets) {
        runAction([] {
            throw ActionError("A reading file holds at most " + std::to_string(kMaxReadingSets) +
                              " reading sets: this table has them all");
        });
        return;
    }
    const int sets = setCount() + 1;
    // The round trip column moves one to the right: its texts go with it.
    filling_ = true;
    table_->insertColumn(kFirstSetColumn + sets - 1);
    setZoneRows(table_->rowCount(), sets);
    filling_ = false;
    recompute();
}

void ReductionWindow::removeSetClick() {
    if (setCount() <= 1) return;
    filling_ = true;
    table_->removeColumn(kFirstSetColumn + setCount() - 1);
    setZoneRows(table_->rowCount(), setCount());
    filling_ = false;
    recompute();
}

void ReductionWindow::addZoneClick() {
    if (table_->rowCount() >= kMaxZones) {
        runAction([] {
            throw ActionError("A reading file holds at most " + std::to_string(kMaxZones) +
                              " zones: this table has them all");
        });
        return;
    }
    filling_ = true;
    setZoneRows(table_->rowCount() + 1, setCount());
    filling_ = false;
    recompute();
}

void ReductionWindow::removeZoneClick() {
    if (table_->rowCount() <= 2) return;
    filling_ = true;
    table_->removeRow(table_->rowCount() - 1);
    filling_ = false;
    recompute();
}

void ReductionWindow::showInSimulatorClick() {
    runAction([this] {
        if (!result_) throw ActionError("Nothing to show yet: " + message_->text().toStdString());
        if (!message_->text().isEmpty())
            throw ActionError("The entries cannot be reduced as they stand: " + message_->text().toStdString());
        const SimulatorZone zone = simulatorZoneFor(*result_);
        if (const std::string problem = simulatorGridProblem(zone); !problem.empty())
            throw ActionError("This mirror cannot be shown in the simulator: " + problem);
        if (!showInSimulator_ || !showInSimulator_(zone)) return;
        // The simulator keeps the radius the readings were taken against,
        // so that its knife positions are the scale's readings.
        const ReductionResult& r = *result_;
        simulatorNote_->setText(
            std::fabs(r.referenceRadius - r.radius) > 1e-9 * r.radius
                ? QString::fromStdString("The simulator keeps your radius, " + fixedText(r.radius, 3) +
                                         " mm; the readings' reference radius, " + fixedText(r.referenceRadius, 3) +
                                         " mm, is in the surface shown as a change of focus.")
                : QString());
    });
}

bool ReductionWindow::hasReadings() const {
    for (int r = 0; r < table_->rowCount(); ++r)
        for (int c = kFirstSetColumn; c < kFirstSetColumn + setCount(); ++c)
            if (!cellText(table_, r, c).empty()) return true;
    return false;
}

void ReductionWindow::offerMirror(const MainMirror& m) {
    if (hasReadings()) return;
    filling_ = true;
    diameter_->setText(numberText(m.diameter));
    radius_->setText(numberText(m.radius));
    conic_->setText(numberText(m.conic));
    wavelength_->setText(numberText(m.wavelength));
    source_->setCurrentIndex(m.movingSource ? 0 : 1);
    units_->setCurrentIndex(0);
    filling_ = false;
    // The mask's edges follow the diameter.
    standardMaskClick();
}

void ReductionWindow::saveReportClick() {
    runAction([this] {
        if (!result_) throw ActionError("Nothing to report yet: " + message_->text().toStdString());
        if (!message_->text().isEmpty())
            throw ActionError("The entries cannot be reduced as they stand: " + message_->text().toStdString());
        const FileDialogRequest request{"Save Report", folder_.start(), {"PDF Documents (*.pdf)", "All Files (*)"},
                                        "pdf"};
        if (const std::optional<QString> chosen = dialogs_.askSave(this, request)) {
            const QString path = withDefaultSuffix(*chosen, "pdf");
            folder_.remember(path);
            writeReport(path);
        }
    });
}

void ReductionWindow::writeReport(const QString& path) const {
    if (!result_) throw ReductionInputError("cannot save '" + path.toStdString() + "': there is no result to report");
    writeReductionReport(path, *result_, *plots_, fileName_);
}

}  // namespace sg
