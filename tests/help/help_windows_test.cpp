// SPDX-License-Identifier: GPL-3.0-or-later
// The reference windows: their set-up, texts and pictures, the examples of
// the getting-started window, and state kept between showings.
#include "mainwindow/application.h"
#include "model/number_text.h"
#include "help/help_content.h"
#include "help/help_widgets.h"
#include "photo/jpeg_decoding.h"
#include "tests/support/picture_checks.h"
#include "tests/support/recording_reporter.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace sg {
namespace {

using testing::countColour;

QByteArray resource(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

class HelpWindows : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<ShadowgramApp>(errors);
        app->start();
    }
    testing::RecordingReporter errors;
    std::unique_ptr<ShadowgramApp> app;
};

TEST_F(HelpWindows, InformationPagesInTabOrder) {
    InformationWindow& info = app->informationWindow();
    EXPECT_EQ(info.windowTitle(), "I N F O R M A T I O N");
    EXPECT_EQ(info.size(), QSize(653, 700));
    EXPECT_EQ(info.parentWidget(), &app->mainWindow());
    const QStringList tabs = {"Program", "History", " Test",   "Analysis", "Correct", "Images", "About",
                              " Nulls",  "Gratings", " Slits", "Rigs",     "Slope",   "Phase"};
    ASSERT_EQ(info.pages()->count(), tabs.size());
    for (int i = 0; i < tabs.size(); ++i) EXPECT_EQ(info.pages()->caption(i), tabs[i]) << i;
    EXPECT_EQ(info.pages()->currentIndex(), 0);
    EXPECT_EQ(info.pages()->geometry(), QRect(8, 0, 625, 641));
    // Every tab shows whole within the control, in as many rows as it takes.
    for (int i = 0; i < tabs.size(); ++i) {
        auto* tab = info.pages()->findChild<QWidget*>("Tab" + tabs[i].trimmed());
        ASSERT_NE(tab, nullptr) << i;
        EXPECT_LE(tab->geometry().right(), info.pages()->width() - 1) << tabs[i].toStdString();
        EXPECT_LT(tab->y(), 20 * info.pages()->tabRows());
    }
    const QStringList rigs = {"Simple Test Rig", "DeLuxe Rig Pictures", "DeLuxe Rig Drawings", "Mirror Stand"};
    ASSERT_EQ(info.rigPages()->count(), rigs.size());
    for (int i = 0; i < rigs.size(); ++i) EXPECT_EQ(info.rigPages()->caption(i), rigs[i]);
    EXPECT_EQ(info.rigPages()->currentIndex(), 0);
    // " Nulls" is a memo the user can type into; the other pages are lists.
    auto* memo = info.pages()->page(7)->findChild<QPlainTextEdit*>("pageText");
    ASSERT_NE(memo, nullptr);
    EXPECT_FALSE(memo->isReadOnly());
    EXPECT_NE(info.pages()->page(0)->findChild<QListWidget*>("textList"), nullptr);
}

TEST_F(HelpWindows, EveryPageAndWindowHasItsText) {
    for (const char* name : {"info_program", "info_history", "info_test", "info_analysis", "info_correct",
                             "info_images", "info_about", "info_nulls", "info_gratings", "info_slits", "rig_simple",
                             "rig_deluxe_pictures", "rig_deluxe_drawings", "rig_mirror_stand", "info_slope",
                             "info_phase", "getting_started", "figuring"})
        EXPECT_GT(helpTextLines(name).size(), 10) << name;
    for (const auto& h : app->helpWindows()) {
        EXPECT_GE(h->textList()->count(), 3) << helpTopicName(h->topic());
        EXPECT_EQ(h->windowFlags() & Qt::WindowMinimizeButtonHint, 0) << helpTopicName(h->topic());
        EXPECT_EQ(h->windowFlags() & Qt::WindowMaximizeButtonHint, 0) << helpTopicName(h->topic());
        EXPECT_TRUE(h->windowFlags() & Qt::WindowCloseButtonHint) << helpTopicName(h->topic());
    }
    // The About page shows the version the build defines.
    const QStringList about = helpTextLines("info_about");
    EXPECT_TRUE(about.contains("VERSION  " + programVersion())) << about.join('\n').left(200).toStdString();
    EXPECT_FALSE(programVersion().isEmpty());
    // The help on Foucault reduction describes its window.
    EXPECT_TRUE(helpTextLines("help/foucault_reduction").join(' ').contains("Show in simulator"));
}

// The defaults quoted in the texts are the program's.
TEST_F(HelpWindows, DefaultsInTheTextsMatchTheProgram) {
    const Mirror mirror;
    const TestSetup setup;
    struct Parameter {
        const char* label;
        double value;
        HelpTopic help;
    };
    const Parameter parameters[] = {
        {"D   (mm)", mirror.mirrorDiameter, HelpTopic::Diameter},
        {"R   (mm)", mirror.radiusOfCurvature, HelpTopic::Radius},
        {"Conic   ", mirror.conicConstant, HelpTopic::Conic},
        {"Line/mm ", setup.linesPerMm, HelpTopic::LinesPerMm},
        {"RANGE   ", setup.position.range, HelpTopic::Range},
        {"Zone Ht ", mirror.zoneHeight, HelpTopic::ZoneHeight},
        {"WL   (u)", setup.wavelength, HelpTopic::Wavelength},
        {"MaxMove ", setup.position.maxMove, HelpTopic::MaxMove},
    };
    const QStringList program = helpTextLines("info_program");
    for (const Parameter& p : parameters) {
        const QString value = QString::fromStdString(formatGeneral(p.value, '.'));
        QStringList lines;
        for (const QString& line : program)
            if (line.startsWith(p.label)) lines << line;
        ASSERT_EQ(lines.size(), 1) << p.label;
        const QRegularExpression defaultValue("default (\\S+)");
        const QRegularExpressionMatch match = defaultValue.match(lines[0]);
        ASSERT_TRUE(match.hasMatch()) << lines[0].toStdString();
        EXPECT_EQ(match.captured(1).remove(QRegularExpression("[,.;:)]+$")), value) << lines[0].toStdString();

        QStringList quoted;
        for (const QString& line : helpTextLines(QString("help/") + helpTopicName(p.help)))
            if (line.startsWith("Default: ")) quoted << line;
        ASSERT_EQ(quoted.size(), 1) << helpTopicName(p.help);
        EXPECT_EQ(quoted[0].mid(9).section(' ', 0, 0).remove(QRegularExpression("[,.;:)]+$")), value)
            << quoted[0].toStdString();
    }
}

TEST_F(HelpWindows, PicturesDecodeToTheirSizes) {
    struct Picture {
        const char* file;
        int width, height;
        int depth;  // of the stored bitmap; 0 for a photograph
    };
    const Picture pictures[] = {
        {"test_principle.bmp", 429, 407, 1}, {"analysis_patterns.bmp", 482, 88, 1}, {"null_tests.bmp", 367, 158, 1},
        {"rig_simple.bmp", 429, 279, 1},     {"rig_led_source.bmp", 272, 357, 1},   {"mirror_stand.bmp", 324, 256, 1},
        {"slope_reading.bmp", 351, 419, 1},  {"help_centres.bmp", 170, 167, 1},     {"help_tests.bmp", 449, 143, 1},
        {"help_xposn.bmp", 55, 49, 4},       {"help_axial.bmp", 51, 208, 4},
        {"images_positions.jpg", 467, 128, 0}, {"images_gratings.jpg", 493, 192, 0}, {"images_tests.jpg", 150, 99, 0},
        {"images_zone.jpg", 328, 98, 0},     {"images_wave.jpg", 420, 122, 0}, {"gratings_materials.jpg", 233, 276, 0}, {"slit_two_blade.jpg", 359, 309, 0},
        {"slit_scribed.jpg", 182, 174, 0},   {"slit_diffuser.jpg", 79, 87, 0},     {"rig_deluxe_overall.jpg", 236, 217, 0},
        {"rig_deluxe_head.jpg", 253, 390, 0}, {"phase_profiles.jpg", 199, 176, 0}, {"phase_bands.jpg", 244, 161, 0},
    };
    for (const Picture& p : pictures) {
        const QImage image = helpPicture(p.file);
        ASSERT_FALSE(image.isNull()) << p.file;
        EXPECT_EQ(image.size(), QSize(p.width, p.height)) << p.file;
        const QByteArray bytes = resource(QString(":/help/pictures/") + p.file);
        if (p.depth > 0) {
            ASSERT_GT(bytes.size(), 30);
            EXPECT_EQ(bytes.left(2), "BM") << p.file;
            EXPECT_EQ(static_cast<unsigned char>(bytes[28]), p.depth) << p.file;  // bits per pixel
        } else {
            EXPECT_EQ(bytes.left(2), QByteArray("\xFF\xD8")) << p.file;
        }
    }
    // The 493 x 192 photograph in its 489 x 193 frame loses its last 4 columns.
    InformationWindow& info = app->informationWindow();
    info.pages()->setCurrentIndex(5);
    info.show();
    auto* frame = info.findChild<PicturePanel*>("images_gratings");
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->size(), QSize(489, 193));
    const QImage shown = frame->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage picture = frame->picture();
    for (int y = 0; y < 192; y += 17)
        for (int x = 0; x < 489; x += 23) ASSERT_EQ(shown.pixel(x, y), picture.pixel(x, y)) << x << "," << y;
}

TEST(JpegDecoding, DamagedFilesGiveNoPictureAndNoCrash) {
    QFile f(":/help/pictures/images_zone.jpg");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray good = f.readAll();
    ASSERT_FALSE(decodeJpeg(good).isNull());
    for (int cut : {0, 1, 2, 20, 200, static_cast<int>(good.size() / 2), static_cast<int>(good.size() - 2)})
        EXPECT_TRUE(decodeJpeg(good.left(cut)).isNull()) << "cut at " << cut;
    // Corrupted: bytes flipped through the header and the scan.
    for (int at = 2; at < good.size(); at += good.size() / 37 + 1) {
        QByteArray bad = good;
        bad[at] = static_cast<char>(bad[at] ^ 0x5A);
        const QImage image = decodeJpeg(bad);
        if (!image.isNull()) {
            EXPECT_EQ(image.size(), QSize(328, 98)) << at;
        }
    }
    EXPECT_TRUE(decodeJpeg(QByteArray(1000, '\xFF')).isNull());
    EXPECT_TRUE(decodeJpeg("not a picture").isNull());
    // A picture that does not decode leaves its frame empty.
    QWidget parent;
    PicturePanel empty(&parent, decodeJpeg("x"), 40, 30);
    EXPECT_TRUE(empty.picture().isNull());
    EXPECT_EQ(empty.size(), QSize(40, 30));
}

// An example applies its settings and draws at once, on the pure conic and
// at the centre of curvature, whatever was chosen and drawn before.
TEST_F(HelpWindows, GettingStartedShowsTheExampleAtOnce) {
    GettingStartedWindow& start = app->gettingStartedWindow();
    EXPECT_EQ(start.windowTitle(), "G E T T I N G   S T A R T E D");
    const QStringList captions = {"Ronchi - Parabola - Vertical", "Ronchi - Sphere  - Vertical",
                                  "Ronchi - Parabola - Horizontal", "Foucault - Parabola - Vertical"};
    for (int i = 0; i < 4; ++i) {
        auto* b = start.findChild<QPushButton*>(QString("example%1Button").arg(i + 1));
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->text(), captions[i]);
        EXPECT_EQ(b->geometry(), QRect(200, 384 + 32 * i, 241, 25));
    }
    MainWindow& form = app->mainWindow();
    // Before: a drawn zone shown, the grating moved inside, a wire test chosen.
    app->shape().knotHeight[10] = app->shape().knotHeight[34] = -60;
    QTest::mouseClick(form.findChild<QAbstractButton*>("surfaceChoiceItem1"), Qt::LeftButton);
    QTest::mouseClick(form.findChild<QAbstractButton*>("testChoiceItem0"), Qt::LeftButton);
    QTest::mouseClick(&form, Qt::LeftButton, {}, QPoint(25, 250));
    ASSERT_NE(app->mainWindow().scene().setup.position.axialMarkerY, 325);
    ASSERT_TRUE(app->mainWindow().scene().mirror.distorted());

    QTest::mouseClick(form.findChild<QWidget*>("gettingStartedPanel"), Qt::LeftButton);
    ASSERT_TRUE(start.isVisible());
    form.canvas().fillRect(0, 0, 799, 699, kSilver);  // to see that the example draws
    QTest::mouseClick(start.findChild<QPushButton*>("example2Button"), Qt::LeftButton);
    EXPECT_TRUE(errors.messages.empty()) << errors.messages.front();
    EXPECT_EQ(app->mainWindow().scene().mirror.conicConstant, 0);  // the sphere
    EXPECT_TRUE((app->mainWindow().scene().setup.test == TestKind::Ronchi));
    EXPECT_EQ(form.controls().surfaceItem(), kSurfacePure);
    EXPECT_FALSE(app->mainWindow().scene().mirror.distorted());
    EXPECT_EQ(app->mainWindow().scene().setup.position.axialMarkerY, 325);
    EXPECT_EQ(app->mainWindow().scene().setup.position.axialOffset, 0);
    EXPECT_EQ(form.axialReadout()->text(), "0");
    EXPECT_LT(countColour(form.canvas().image(), kSilver), 800 * 700) << "nothing was drawn";
    // A sphere at its centre of curvature: every ray meets at the centre,
    // so the disk is lit or dark as a whole, never banded.
    const int red = countColour(form.canvas().image(), kRed, 310, 200, 510, 400);
    EXPECT_TRUE(red == 0 || red > 5000) << red << " lit points in the middle of the disk";
    EXPECT_TRUE(start.isVisible());
}

// However tall its pictures, every page shows at least twenty lines of its
// text at the window's size, which fits a 1024 x 768 screen; the page
// scrolls to show the rest.
TEST_F(HelpWindows, EveryPageShowsItsText) {
    InformationWindow& info = app->informationWindow();
    QTest::mouseClick(app->mainWindow().findChild<QWidget*>("informationButton"), Qt::LeftButton);
    ASSERT_TRUE(info.isVisible());
    EXPECT_LE(info.height(), 768 - 40);
    int checked = 0;
    for (PageControl* pages : {info.pages(), info.rigPages()}) {
        for (int i = 0; i < pages->count(); ++i) {
            if (pages == info.rigPages()) info.pages()->setCurrentIndex(10);  // "Rigs"
            pages->setCurrentIndex(i);
            QCoreApplication::processEvents();
            for (QAbstractScrollArea* text : pages->page(i)->findChildren<QAbstractScrollArea*>()) {
                const bool isText = qobject_cast<QListWidget*>(text) != nullptr ||
                                    qobject_cast<QPlainTextEdit*>(text) != nullptr;
                if (!isText || !text->isVisible()) continue;
                EXPECT_GE(text->viewport()->height(), 20 * text->fontMetrics().lineSpacing())
                    << pages->caption(i).toStdString();
                ++checked;
            }
        }
    }
    EXPECT_GE(checked, 16);
}

TEST_F(HelpWindows, ReopenedWindowsKeepTheirPageScrollAndText) {
    InformationWindow& info = app->informationWindow();
    QTest::mouseClick(app->mainWindow().findChild<QWidget*>("informationButton"), Qt::LeftButton);
    ASSERT_TRUE(info.isVisible());
    info.pages()->setCurrentIndex(1);
    auto* history = info.pages()->page(1)->findChild<QListWidget*>("textList");
    ASSERT_NE(history, nullptr);
    history->verticalScrollBar()->setValue(40);
    auto* memo = info.pages()->page(7)->findChild<QPlainTextEdit*>("pageText");
    memo->appendPlainText("my own note");
    info.rigPages()->setCurrentIndex(3);
    info.close();
    EXPECT_FALSE(info.isVisible());
    QTest::mouseClick(app->mainWindow().findChild<QWidget*>("informationButton"), Qt::LeftButton);
    EXPECT_TRUE(info.isVisible());
    EXPECT_EQ(info.pages()->currentIndex(), 1);
    EXPECT_EQ(history->verticalScrollBar()->value(), 40);
    EXPECT_TRUE(memo->toPlainText().endsWith("my own note"));
    EXPECT_EQ(info.rigPages()->currentIndex(), 3);

    HelpWindow* help = app->helpWindow(HelpTopic::IrregularSurface);
    help->showHelp();
    EXPECT_TRUE(help->windowState() & Qt::WindowMaximized);
    EXPECT_EQ(help->normalGeometry().size(), QSize(696, 480));
    help->close();
    QTest::mouseClick(app->mainWindow().findChild<QWidget*>("irregularSurfaceHelp"), Qt::LeftButton);
    EXPECT_TRUE(help->isVisible());
}

}  // namespace
}  // namespace sg
