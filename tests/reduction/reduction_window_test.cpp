// SPDX-License-Identifier: GPL-3.0-or-later
// The "Foucault Reduction" window driven as a user drives it: readings typed
// and opened, the results recomputed on every edit with the last good one
// kept, the mask and the sets, and the reduced surface shown in the
// simulator, whose nulls give the readings back.
#include "mainwindow/application.h"
#include "model/drawn_zone.h"
#include "model/number_text.h"
#include "reduction/exact_null.h"
#include "reduction/reading_file.h"
#include "reduction/reading_text.h"
#include "reduction/reduction_report.h"
#include "reduction/report_pdf.h"
#include "tests/support/picture_checks.h"
#include "tests/support/raw_process.h"
#include "tests/support/recording_reporter.h"
#include "tests/reduction/reduction_fixtures.h"
#include "reduction/reduction_plots.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/scripted_questions.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

namespace sg {
namespace {

// The text of a PDF as Qt writes it: each drawn string (one BT ... ET
// block) with its glyphs mapped back to characters through its font's
// ToUnicode map.
class PdfText {
public:
    explicit PdfText(const QByteArray& pdf) {
        // Latin-1, so that a character is a byte and offsets agree.
        static const QRegularExpression object(R"((\d+) 0 obj)");
        for (auto it = object.globalMatch(QString::fromLatin1(pdf)); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            const qsizetype end = pdf.indexOf("endobj", m.capturedEnd());
            objects_[m.captured(1).toInt()] = pdf.mid(m.capturedEnd(), end - m.capturedEnd());
        }
        static const QRegularExpression fontEntry(R"(/(F\d+) (\d+) 0 R)");
        static const QRegularExpression toUnicode(R"(/ToUnicode (\d+) 0 R)");
        for (const auto& entry : objects_) {
            const QByteArray& body = entry.second;
            const qsizetype fonts = body.indexOf("/Font <<");
            if (fonts < 0) continue;
            const QByteArray list = body.mid(fonts, body.indexOf(">>", fonts) - fonts);
            for (auto it = fontEntry.globalMatch(QString::fromLatin1(list)); it.hasNext();) {
                const QRegularExpressionMatch m = it.next();
                const QRegularExpressionMatch map =
                    toUnicode.match(QString::fromLatin1(objects_[m.captured(2).toInt()]));
                if (map.hasMatch()) fonts_[m.captured(1)] = cmap(streamOf(objects_[map.captured(1).toInt()]));
            }
        }
        for (const auto& entry : objects_)
            if (const QByteArray& body = entry.second; body.contains("/FlateDecode") && !body.contains("/Length1"))
                read(streamOf(body));
    }
    const QStringList& strings() const { return strings_; }

private:
    static QByteArray streamOf(const QByteArray& body) {
        qsizetype from = body.indexOf("stream");
        if (from < 0) return {};
        from += 6;
        while (from < body.size() && (body[from] == '\r' || body[from] == '\n')) ++from;
        const QByteArray raw = body.mid(from, body.lastIndexOf("endstream") - from);
        if (!body.contains("/FlateDecode")) return raw;
        // qUncompress wants the size first; it grows a guess that is short.
        QByteArray sized("\x00\x10\x00\x00", 4);
        return qUncompress(sized + raw);
    }
    static std::map<uint, QString> cmap(const QByteArray& text) {
        std::map<uint, QString> map;
        static const QRegularExpression hex("<([0-9A-Fa-f]+)>");
        // Qt's writer maps the space glyph to a TAB.
        auto unicode = [](const QString& h) {
            const auto c = static_cast<char16_t>(h.toUInt(nullptr, 16));
            return QString(QChar(c == u'\t' ? u' ' : c));
        };
        const QStringList lines = QString::fromLatin1(text).split('\n');
        bool range = false, single = false;
        for (const QString& line : lines) {
            if (line.contains("beginbfrange")) range = true;
            else if (line.contains("endbfrange")) range = false;
            else if (line.contains("beginbfchar")) single = true;
            else if (line.contains("endbfchar")) single = false;
            else if (range || single) {
                QStringList values;
                for (auto it = hex.globalMatch(line); it.hasNext();) values << it.next().captured(1);
                if (single && values.size() == 2) map[values[0].toUInt(nullptr, 16)] = unicode(values[1]);
                if (range && values.size() >= 3) {
                    const uint first = values[0].toUInt(nullptr, 16), last = values[1].toUInt(nullptr, 16);
                    const bool array = line.contains('[');
                    for (uint g = first; g <= last; ++g) {
                        const qsizetype i = array ? 2 + static_cast<qsizetype>(g - first) : 2;
                        if (i >= values.size()) break;
                        map[g] = array ? unicode(values[i])
                                       : QString(QChar(static_cast<char16_t>(values[2].toUInt(nullptr, 16) + g - first)));
                    }
                }
            }
        }
        return map;
    }
    void read(const QByteArray& content) {
        static const QRegularExpression token(R"(/(F\d+) [-0-9.]+ Tf|<([0-9A-Fa-f]*)> *Tj|\bBT\b|\bET\b)");
        const std::map<uint, QString>* font = nullptr;
        QString text;
        for (auto it = token.globalMatch(QString::fromLatin1(content)); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            if (!m.captured(1).isEmpty()) {
                const auto f = fonts_.find(m.captured(1));
                font = f == fonts_.end() ? nullptr : &f->second;
            } else if (m.captured(0) == "BT") {
                text.clear();
            } else if (m.captured(0) == "ET") {
                strings_ << text;
            } else if (font != nullptr) {
                const QString glyphs = m.captured(2);
                for (qsizetype i = 0; i + 4 <= glyphs.size(); i += 4) {
                    const auto g = font->find(glyphs.mid(i, 4).toUInt(nullptr, 16));
                    text += g == font->end() ? QString("?") : g->second;
                }
            }
        }
    }
    std::map<int, QByteArray> objects_;
    std::map<QString, std::map<uint, QString>> fonts_;
    QStringList strings_;
};

class ReductionWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        app = std::make_unique<ShadowgramApp>(errors, &dialogs, home.path(), &questions);
        app->start();
        // The reduction takes its tester from the main window's box.
        app->mainWindow().findChild<QAbstractButton*>("movingSourceBox")->setChecked(true);
        QTest::mouseClick(app->mainWindow().findChild<QAbstractButton*>("reductionButton"), Qt::LeftButton);
        form = &app->reductionWindow();
        ASSERT_TRUE(form->isVisible());
    }
    void press(const char* name) {
        auto* b = form->findChild<QAbstractButton*>(name);
        ASSERT_NE(b, nullptr) << name;
        QTest::mouseClick(b, Qt::LeftButton);
    }
    // Types into a cell as a user would: the edit ends with Enter.
    void typeCell(int row, int column, const QString& text) {
        QTableWidget* t = form->zoneTable();
        t->setCurrentCell(row, column);
        t->editItem(t->item(row, column));
        QLineEdit* editor = nullptr;  // the open one: closed ones wait hidden for their deletion
        for (QLineEdit* e : t->findChildren<QLineEdit*>())
            if (e->isVisible()) editor = e;
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();  // the editor's queued commit, as the event loop runs it
    }
    void typeField(const char* name, const QString& text) {
        auto* e = form->findChild<QLineEdit*>(name);
        ASSERT_NE(e, nullptr) << name;
        e->selectAll();
        QTest::keyClicks(e, text);
    }
    // Types the readings of a true conic for the window's mask of `zones`.
    void typeConicReadings(double radius, double conic, int zones) {
        const testing::MirrorCase c{200, 2000, -1, SourceKind::Moving, zones};
        const Tester t{SourceKind::Moving, 2000};
        for (int i = 0; i < zones; ++i)
            typeCell(i, ReductionWindow::kFirstSetColumn,
                     QString::number(conicNull(radius, conic, testing::zoneRadiusOf(c, i), t) - 2000, 'f', 4));
    }

    // Writes `text` to a file in the home folder.
    QString writeFile(const char* name, const std::string& text) {
        QFile f(QDir(home.path()).filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.data(), static_cast<qint64>(text.size()));
        return f.fileName();
    }
    void open(const QString& path) {
        dialogs.answers = {path};
        press("ButtonOpen");
    }

    QTemporaryDir home;
    testing::RecordingReporter errors;
    testing::ScriptedDialogs dialogs;
    testing::ScriptedQuestions questions;
    std::unique_ptr<ShadowgramApp> app;
    ReductionWindow* form = nullptr;
};

TEST_F(ReductionWindowTest, RecomputesOnEveryEditAndKeepsTheLastGoodResult) {
    // A standard mask of 5 zones and no readings yet: nothing to show.
    EXPECT_EQ(form->zoneTable()->rowCount(), 5);
    EXPECT_FALSE(form->result().has_value());
    EXPECT_EQ(form->message(), "zone 1, set 1: no value");

    typeConicReadings(2000, -1, 5);
    ASSERT_TRUE(form->result().has_value()) << form->message().toStdString();
    EXPECT_TRUE(form->message().isEmpty());
    EXPECT_NEAR(form->result()->pv, 0, 5e-3);  // readings rounded to 0.1 micrometre
    EXPECT_TRUE(form->figures()->toPlainText().contains("Verdict: Diffraction limited"))
        << form->figures()->toPlainText().toStdString();
    // The round trip beside each reading.
    const int roundTrip = form->zoneTable()->columnCount() - 1;
    for (int r = 0; r < 5; ++r)
        EXPECT_NEAR(form->zoneTable()->item(r, roundTrip)->text().toDouble(),
                    form->zoneTable()->item(r, ReductionWindow::kFirstSetColumn)->text().toDouble(), 0.001);

    // A sphere read for a paraboloid: the figures change at once.
    typeField("Conic", "0");
    ASSERT_TRUE(form->result().has_value());
    EXPECT_GT(form->result()->pv, 0.5);
    const double sphere = form->result()->pv;
    EXPECT_TRUE(form->figures()->toPlainText().contains("Over-corrected")) << form->figures()->toPlainText().toStdString();

    // A bad entry shows its message; the last good result stays shown.
    const QImage plots = form->plots()->picture();
    typeCell(2, ReductionWindow::kFirstSetColumn, "abc");
    EXPECT_TRUE(form->message().startsWith("zone 3, set 1: 'abc' is not a number")) << form->message().toStdString();
    ASSERT_TRUE(form->result().has_value());
    EXPECT_EQ(form->result()->pv, sphere);
    EXPECT_EQ(form->plots()->picture(), plots);
    typeField("Diameter", "-5");
    EXPECT_TRUE(form->message().startsWith("Diameter: ")) << form->message().toStdString();
    EXPECT_TRUE(errors.messages.empty()) << "a typing slip is not an error box";
}

TEST_F(ReductionWindowTest, MaskSetsOpenAndSave) {
    form->findChild<QSpinBox*>("MaskZones")->setValue(3);
    press("ButtonMask");
    ASSERT_EQ(form->zoneTable()->rowCount(), 3);
    // Equal areas: edges at 100 sqrt(i / 3), to the last digit (as `zones 3`
    // makes them).
    EXPECT_EQ(form->zoneTable()->item(0, 2)->text().toStdString(), shortestText(100 * std::sqrt(1.0 / 3)));
    EXPECT_EQ(form->zoneTable()->item(2, 2)->text(), "100");
    press("ButtonAddSet");
    EXPECT_EQ(form->setCount(), 2);
    const double readings[3][2] = {{0.84, 0.86}, {2.52, 2.48}, {4.2, 4.18}};
    for (int r = 0; r < 3; ++r)
        for (int s = 0; s < 2; ++s)
            typeCell(r, ReductionWindow::kFirstSetColumn + s, QString::number(readings[r][s]));
    ASSERT_TRUE(form->result().has_value()) << form->message().toStdString();
    EXPECT_EQ(form->result()->setCount, 2);
    EXPECT_NEAR(form->result()->zones[1].measured, 2.5, 1e-12);
    EXPECT_NEAR(form->result()->zones[1].spread, std::sqrt(0.0008), 1e-12);

    // Saved as a reading file in the Reduction folder, and opened again.
    dialogs.answers = {QDir(home.path()).filePath("Reduction/mirror")};
    press("ButtonSave");
    ASSERT_EQ(dialogs.asked.back().directory, QDir(home.path()).filePath("Reduction"));
    EXPECT_EQ(dialogs.asked.back().defaultSuffix, "fou");
    const QString file = QDir(home.path()).filePath("Reduction/mirror.fou");
    const ReductionInput saved = readReadingFile(file);
    ASSERT_EQ(saved.zones.size(), 3u);
    EXPECT_EQ(saved.zones[2].readings, (std::vector<double>{4.2, 4.18}));

    press("ButtonRemoveSet");
    press("ButtonAddZone");
    EXPECT_EQ(form->setCount(), 1);
    EXPECT_EQ(form->zoneTable()->rowCount(), 4);
    dialogs.answers = {file};
    press("ButtonOpen");
    EXPECT_EQ(form->setCount(), 2);
    EXPECT_EQ(form->zoneTable()->rowCount(), 3);
    ASSERT_TRUE(form->result().has_value());
    EXPECT_NEAR(form->result()->zones[2].measured, 4.19, 1e-12);

    // A file with a bad line is refused with its message; nothing changes.
    QFile bad(QDir(home.path()).filePath("bad.fou"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("diameter 200\nradius 2000\n1 0 50 x\n");
    bad.close();
    dialogs.answers = {bad.fileName()};
    press("ButtonOpen");
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_NE(errors.messages[0].find("line 3"), std::string::npos) << errors.messages[0];
    EXPECT_EQ(form->zoneTable()->rowCount(), 3);
}

// The window starts from the main window's mirror and tester, and leaves
// alone what the user has entered.
TEST_F(ReductionWindowTest, OpensWithTheMainWindowsMirror) {
    EXPECT_EQ(form->findChild<QComboBox*>("Source")->currentText(), "moving");
    form->close();
    ModelControls& grid = app->mainWindow().controls();
    grid.setParameterCell(kRowDiameter, "254");
    grid.setParameterCell(kRowRadius, "2286");
    grid.setParameterCell(kRowConic, "-0.98");
    grid.setParameterCell(kRowWavelength, "0.6328");
    app->mainWindow().findChild<QAbstractButton*>("movingSourceBox")->setChecked(false);
    QTest::mouseClick(app->mainWindow().findChild<QAbstractButton*>("reductionButton"), Qt::LeftButton);
    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(form->findChild<QLineEdit*>("Diameter")->text(), "254");
    EXPECT_EQ(form->findChild<QLineEdit*>("Radius")->text(), "2286");
    EXPECT_EQ(form->findChild<QLineEdit*>("Conic")->text(), "-0.98");
    EXPECT_EQ(form->findChild<QLineEdit*>("Wavelength")->text(), "0.6328");
    EXPECT_EQ(form->findChild<QComboBox*>("Source")->currentText(), "fixed");
    // The mask's edges follow: the last zone ends at the rim.
    EXPECT_EQ(form->zoneTable()->item(4, 2)->text(), "127");

    // Readings entered: opening again changes nothing.
    typeCell(0, ReductionWindow::kFirstSetColumn, "0.1");
    form->close();
    grid.setParameterCell(kRowDiameter, "150");
    QTest::mouseClick(app->mainWindow().findChild<QAbstractButton*>("reductionButton"), Qt::LeftButton);
    EXPECT_EQ(form->findChild<QLineEdit*>("Diameter")->text(), "254");
    EXPECT_EQ(form->zoneTable()->item(0, ReductionWindow::kFirstSetColumn)->text(), "0.1");
}

// The zone table the command prints, each set's figures, the conventions
// of hand sheets, and the one-page report with the figures in its text.
TEST_F(ReductionWindowTest, ResultTableSetFiguresAndTheReport) {
    const std::string text = "diameter 200\nradius 2000\nnull classical\nzone-radius carlin\nzones 4\n"
                             "1 0.31 0.33\n2 0.95 0.96\n3 1.55 1.58\n4 2.2 2.19\n";
    open(writeFile("sheet.fou", text));
    ASSERT_TRUE(errors.messages.empty()) << errors.messages.front();
    EXPECT_EQ(form->findChild<QComboBox*>("Nulls")->currentText(), "classical");
    EXPECT_EQ(form->findChild<QComboBox*>("ZoneRadius")->currentText(), "carlin");
    ASSERT_TRUE(form->result().has_value()) << form->message().toStdString();
    const ReductionResult& r = *form->result();
    EXPECT_EQ(r.nulls, NullRule::Classical);

    QTableWidget* table = form->resultTable();
    ASSERT_EQ(table->rowCount(), 4);
    auto header = [table](int c) { return table->horizontalHeaderItem(c)->text(); };
    auto column = [&](const QString& name) {
        for (int c = 0; c < table->columnCount(); ++c)
            if (header(c) == name) return c;
        ADD_FAILURE() << name.toStdString();
        return 0;
    };
    for (int i = 0; i < 4; ++i) {
        const ZoneResult& z = r.zones[static_cast<std::size_t>(i)];
        auto cell = [&](const char* name) { return table->item(i, column(name))->text().toStdString(); };
        EXPECT_EQ(cell("Expected"), fixedText(z.expected, 5)) << i;
        EXPECT_EQ(cell("Departure"), fixedText(z.departure, 5)) << i;
        EXPECT_EQ(cell("TA um"), fixedText(z.transverseMicrons, 3)) << i;
        EXPECT_EQ(cell("TA/rho"), fixedText(z.taOverRho, 3)) << i;
        EXPECT_EQ(cell("Tolerance"), fixedText(z.tolerance, 5)) << i;
        EXPECT_EQ(cell("Surface nm"), fixedText(z.surfaceNm, 1)) << i;
        EXPECT_EQ(cell("Spread"), fixedText(z.spread, 4)) << i;
        EXPECT_EQ(cell("Repeatability"), fixedText(z.repeatability, 4)) << i;
    }
    const QString figures = form->figures()->toPlainText();
    for (int j = 0; j < 2; ++j)
        EXPECT_TRUE(figures.contains(QString::fromStdString(setLine(r.sets[static_cast<std::size_t>(j)], j + 1))))
            << figures.toStdString();

    // The report: a PDF whose text holds the mirror, the readings, the
    // figures and the verdict.
    const QString pdf = QDir(home.path()).filePath("report");
    dialogs.answers = {pdf};
    press("ButtonReport");
    ASSERT_TRUE(errors.messages.empty()) << errors.messages.front();
    QFile f(pdf + ".pdf");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    const QStringList shown = PdfText(bytes).strings();
    const std::vector<std::string> lines = reportPageLines(r);
    std::string report = reportText(r, {});
    for (const std::string& line : {report.substr(0, report.find('\n')), figureLines(r)[5], figureLines(r)[6],
                                    setLine(r.sets[1], 2), "Verdict: " + r.verdict[1], lines[2]})
        EXPECT_TRUE(shown.contains(QString::fromStdString(line))) << line << "\n" << shown.join('\n').toStdString();
    EXPECT_TRUE(shown.contains("Foucault reduction"));
    EXPECT_TRUE(shown.contains("Readings: " + QDir(home.path()).filePath("sheet.fou"))) << shown.join('\n').toStdString();
}

// The reduced surface of a smooth mirror, shown in the simulator as the
// measured surface, nulls in the simulator's own exact model where the
// knife read it; the simulator keeps the mirror's radius and says so.
TEST_F(ReductionWindowTest, ShowInSimulatorAndTheRoundTrip) {
    form->findChild<QSpinBox*>("MaskZones")->setValue(6);
    press("ButtonMask");
    typeConicReadings(2000.3, -0.8, 6);  // an under-corrected mirror
    ASSERT_TRUE(form->result().has_value()) << form->message().toStdString();
    press("ButtonShow");
    ASSERT_TRUE(errors.messages.empty()) << errors.messages.front();

    const Scene& m = app->mainWindow().scene();
    const EditorShape& shape = app->shape();
    EXPECT_TRUE(m.setup.exact());
    EXPECT_EQ(m.mirror.deviation, SurfaceDeviation::Measured);
    EXPECT_EQ(m.mirror.conicConstant, -1);
    EXPECT_EQ(m.mirror.radiusOfCurvature, 2000);
    const double reference = form->result()->referenceRadius;
    EXPECT_GT(std::fabs(reference - 2000), 0.01);
    EXPECT_EQ(form->simulatorNote().toStdString(),
              "The simulator keeps your radius, 2000.000 mm; the readings' reference radius, " +
                  fixedText(reference, 3) + " mm, is in the surface shown as a change of focus.");
    EXPECT_TRUE(questions.asked.empty());
    EXPECT_EQ(app->mainWindow().controls().surfaceItem(), kSurfaceDistorted);
    EXPECT_TRUE(app->mainWindow().controls().exactTraceChecked());
    // The editor holds the shape, one undo step away from the flat one.
    EXPECT_EQ(app->editorWindow().editor().history().undoSteps(), 1u);
    EXPECT_NE(shape.knotHeight[5], 0);

    // Each zone's null on the simulator's surface: the exact conic of the
    // model plus the measured surface, as the exact trace takes it.
    const DrawnZone& zone = m.zone;
    ASSERT_FALSE(zone.flat);
    ASSERT_FALSE(zone.measured.empty());
    const Tester t{SourceKind::Moving, 0};
    for (const ZoneResult& z : form->result()->zones) {
        const double R = m.mirror.radiusOfCurvature;
        const double q = std::sqrt(R * R - (1 + m.mirror.conicConstant) * z.h * z.h);
        const ZonePoint d = zoneAt(zone, z.h);
        const double sag = z.h * z.h / (R + q) + d.sag;
        const double slope = z.h / q + d.slope;
        EXPECT_NEAR(surfaceNull(z.h, sag, slope, t) - 2000, z.measured, 0.001) << "zone " << z.number;
    }
    // And the picture of that mirror is drawn.
    EXPECT_GT(testing::countColour(app->mainWindow().canvas().image(), kRed, 135, 25, 685, 575), 10000);

    // The simulator takes the reduction's tester: a fixed source unticks
    // "Source moves with grating", a moving one ticks it again.
    auto* moving = app->mainWindow().findChild<QAbstractButton*>("movingSourceBox");
    ASSERT_TRUE(moving->isChecked());
    form->findChild<QComboBox*>("Source")->setCurrentIndex(1);
    ASSERT_TRUE(form->result().has_value());
    ASSERT_EQ(form->result()->source, SourceKind::Fixed) << form->message().toStdString();
    press("ButtonShow");
    EXPECT_FALSE(moving->isChecked());
    EXPECT_FALSE(app->mainWindow().scene().setup.sourceMoves());
    form->findChild<QComboBox*>("Source")->setCurrentIndex(0);
    press("ButtonShow");
    EXPECT_TRUE(moving->isChecked());
    EXPECT_TRUE(app->mainWindow().scene().setup.sourceMoves());
    // The knots of the measured surface were replaced without a question.
    EXPECT_TRUE(questions.asked.empty());
}

// A shape drawn in the editor and not saved is replaced only when the user
// agrees.
TEST_F(ReductionWindowTest, ShowInSimulatorAsksBeforeReplacingAnUnsavedDrawing) {
    typeConicReadings(2000.3, -0.8, 5);
    ASSERT_TRUE(form->result().has_value()) << form->message().toStdString();
    KnotHeights drawn{};
    for (int k = 15; k <= 29; ++k) drawn[static_cast<std::size_t>(k)] = -20;
    app->editorWindow().showShape(drawn);
    ASSERT_TRUE(app->editorWindow().editor().hasUnsavedShape());
    questions.answers = {false};
    press("ButtonShow");
    ASSERT_EQ(questions.asked, std::vector<std::string>{kReplaceDrawnShapeQuestion});
    EXPECT_EQ(app->shape().knotHeight[20], -20);
    EXPECT_NE(app->mainWindow().scene().mirror.deviation, SurfaceDeviation::Measured);
    questions.answers = {true};
    press("ButtonShow");
    EXPECT_EQ(questions.asked.size(), 2u);
    EXPECT_EQ(app->mainWindow().scene().mirror.deviation, SurfaceDeviation::Measured);
    EXPECT_NE(app->shape().knotHeight[20], -20);
    ASSERT_TRUE(errors.messages.empty()) << errors.messages.front();
    // An edit of the knots in the editor shows the drawn zone again.
    KnotHeights edited{};
    std::copy_n(app->shape().knotHeight.begin(), edited.size(), edited.begin());
    edited[22] += 5;
    app->editorWindow().showShape(edited);
    QTest::mouseClick(app->mainWindow().findChild<QAbstractButton*>("brightenButton"), Qt::LeftButton);
    EXPECT_EQ(app->mainWindow().scene().mirror.deviation, SurfaceDeviation::Drawn);
    EXPECT_TRUE(app->mainWindow().scene().zone.measured.empty());
    EXPECT_TRUE(errors.messages.empty()) << errors.messages.front();
}

// The window keeps every number as the file gives it: a file of 9-digit
// values opened and saved again is the same file, and what the window
// reduces is what the command reduces.
TEST_F(ReductionWindowTest, OpenAndSaveKeepEveryDigitAndReduceAsTheCommandDoes) {
    std::string text = "diameter 203.123456\nradius 1625.12345\nconic -1.00123456\nwavelength 0.546123456\n"
                       "source fixed\nsource-distance 1625.98765\nzone-radius mid\nobstruction 40.0001234\n";
    const double edges[] = {20.3123456, 50.0001234, 71.0312345, 86.5012345, 101.561728};
    for (int i = 0; i < 4; ++i) {
        const double h = (edges[i] + edges[i + 1]) / 2;
        text += std::to_string(i + 1) + " " + exactDecimalText(edges[i]) + " " + exactDecimalText(edges[i + 1]);
        for (const double offset : {0.0, 0.00123456789})
            text += " " + shortestText(std::stod(formatGeneral(h * h / 1625.12345 + offset, '.', 9)));
        text += "\n";
    }
    // The file as the program writes it, each value with its 9 digits.
    const QString original = writeFile("digits.fou", readingText(parseReadingText(text)));
    open(original);
    ASSERT_TRUE(errors.messages.empty()) << errors.messages.front();
    EXPECT_EQ(form->findChild<QLineEdit*>("Diameter")->text(), "203.123456");
    EXPECT_EQ(form->findChild<QLineEdit*>("Obstruction")->text(), "40.0001234");
    EXPECT_EQ(form->zoneTable()->item(1, 1)->text(), "50.0001234");
    ASSERT_TRUE(form->result().has_value()) << form->message().toStdString();

    const QString copy = QDir(home.path()).filePath("copy.fou");
    dialogs.answers = {copy};
    press("ButtonSave");
    QFile a(original), b(copy);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly));
    ASSERT_TRUE(b.open(QIODevice::ReadOnly));
    EXPECT_EQ(b.readAll(), a.readAll());

    const testing::RawRun run = testing::runRaw({SHADOWGRAM_REDUCE, QFile::encodeName(original).toStdString(), "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.standardError;
    QJsonObject command = QJsonDocument::fromJson(QByteArray::fromStdString(run.standardOutput)).object();
    QJsonObject window =
        QJsonDocument::fromJson(QByteArray::fromStdString(reportJson(*form->result(), "window"))).object();
    ASSERT_FALSE(command.isEmpty());
    command.remove("version");
    window.remove("version");
    EXPECT_EQ(window, command);
}

// One limit: the window holds as many zones and sets as a reading file,
// and says so when a button would go beyond.
TEST_F(ReductionWindowTest, AHundredZonesAndSetsAndNoMore) {
    std::string text = "diameter 200\nradius 2000\nzones 100\n";
    for (int i = 1; i <= 100; ++i) text += std::to_string(i) + " " + shortestText(0.01 * i) + "\n";
    open(writeFile("hundred.fou", text));
    ASSERT_TRUE(errors.messages.empty()) << errors.messages.front();
    EXPECT_EQ(form->zoneTable()->rowCount(), 100);
    EXPECT_EQ(form->findChild<QSpinBox*>("MaskZones")->value(), 100);
    ASSERT_TRUE(form->result().has_value()) << form->message().toStdString();

    press("ButtonAddZone");
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_NE(errors.messages[0].find("at most 100 zones"), std::string::npos) << errors.messages[0];
    EXPECT_EQ(form->zoneTable()->rowCount(), 100);

    // The standard mask of 100 zones keeps every row.
    auto* mask = form->findChild<QSpinBox*>("MaskZones");
    mask->setValue(101);
    EXPECT_EQ(mask->value(), 100);
    press("ButtonMask");
    EXPECT_EQ(form->zoneTable()->rowCount(), 100);
    EXPECT_EQ(form->zoneTable()->item(99, 2)->text(), "100");

    for (int s = form->setCount(); s < 100; ++s) press("ButtonAddSet");
    EXPECT_EQ(form->setCount(), 100);
    press("ButtonAddSet");
    ASSERT_EQ(errors.messages.size(), 2u);
    EXPECT_NE(errors.messages[1].find("at most 100 reading sets"), std::string::npos) << errors.messages[1];
    EXPECT_EQ(form->setCount(), 100);
}

// A value whose figures would not be finite is refused in its field, and
// nothing that is not a finite, normal number reaches the main window's
// grid.
TEST_F(ReductionWindowTest, FiguresThatAreNotFiniteAreRefusedAndTheGridStaysReadable) {
    typeConicReadings(2000.3, -0.8, 5);
    ASSERT_TRUE(form->result().has_value()) << form->message().toStdString();
    const double pv = form->result()->pv;
    auto* wavelength = form->findChild<QLineEdit*>("Wavelength");
    wavelength->setText("1e-320");
    EXPECT_EQ(form->message().toStdString(),
              "Wavelength: the wavelength (1e-320 um) is too small to compute with\n(the last good result stays shown)");
    EXPECT_EQ(form->result()->pv, pv);
    const ModelControls& grid = app->mainWindow().controls();
    const std::string wavelengthCell = grid.parameterCell(kRowWavelength);
    press("ButtonShow");
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(grid.parameterCell(kRowWavelength), wavelengthCell);

    // A subnormal conic is a sphere to every digit the grid can hold.
    wavelength->setText("0.55");
    form->findChild<QLineEdit*>("Conic")->setText("5e-324");
    ASSERT_TRUE(form->message().isEmpty()) << form->message().toStdString();
    press("ButtonShow");
    ASSERT_EQ(errors.messages.size(), 1u) << errors.messages.back();
    EXPECT_EQ(grid.parameterCell(kRowConic), "0");
    for (const int row : {kRowDiameter, kRowRadius, kRowConic, kRowZoneHeight, kRowWavelength}) {
        const double v = parseCellFloat(grid.parameterCell(row));
        EXPECT_TRUE(v == 0 || std::isnormal(v)) << row << ": " << grid.parameterCell(row);
    }
}

// With a hundred zones the numbers under the bars are thinned out: as
// drawn, no two of them overlap, and each box holds its number's ink.
TEST_F(ReductionWindowTest, ZoneNumbersUnderTheBarsNeverOverlap) {
    for (const int zones : {5, 30, 100}) {
        SCOPED_TRACE(zones);
        std::string text = "diameter 200\nradius 2000\nzones " + std::to_string(zones) + "\n";
        for (int i = 1; i <= zones; ++i) text += std::to_string(i) + " " + shortestText(2.0 * i / zones) + "\n";
        open(writeFile("mask.fou", text));
        ASSERT_TRUE(form->result().has_value()) << form->message().toStdString();
        const QImage picture = form->plots()->picture();
        const std::vector<QRect>& labels = form->plots()->zoneLabels();
        ASSERT_GE(labels.size(), std::min<std::size_t>(static_cast<std::size_t>(zones), 5u));
        if (zones == 5) {
            EXPECT_EQ(labels.size(), 5u);
        }
        for (std::size_t i = 0; i < labels.size(); ++i) {
            EXPECT_TRUE(picture.rect().contains(labels[i])) << i;
            int ink = 0;
            for (int y = labels[i].top(); y <= labels[i].bottom(); ++y)
                for (int x = labels[i].left(); x <= labels[i].right(); ++x)
                    if (qGray(picture.pixel(x, y)) < 128) ++ink;
            EXPECT_GT(ink, 0) << "label " << i << " drew nothing";
            for (std::size_t j = i + 1; j < labels.size(); ++j)
                EXPECT_FALSE(labels[i].intersects(labels[j])) << "labels " << i << " and " << j;
        }
    }
}

}  // namespace
}  // namespace sg
