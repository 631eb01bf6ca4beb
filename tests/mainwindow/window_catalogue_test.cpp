// SPDX-License-Identifier: GPL-3.0-or-later
// The program's windows: created once in their order, hidden until shown,
// hidden again when closed.
#include "mainwindow/application.h"
#include "tests/support/recording_reporter.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QTest>

#include <gtest/gtest.h>

namespace sg {
namespace {

TEST(WindowCatalogue, WindowsInTheirOrderWithTheirCaptions) {
    testing::RecordingReporter errors;
    ShadowgramApp app(errors);
    const std::vector<QWidget*> all = app.windows();
    ASSERT_EQ(all.size(), 41u);
    const std::vector<std::string> captions = {"Shadowgram",
                                               "Warning",
                                               "I N F O R M A T I O N",
                                               "Custom Surface",
                                               "G E T T I N G   S T A R T E D",
                                               "Figuring",
                                               "Analysis",
                                               "Help on Wire - Fouc - Ronchi - Choice"};
    for (std::size_t i = 0; i < captions.size(); ++i)
        EXPECT_EQ(all[i]->windowTitle().toStdString(), captions[i]) << "window " << i;
    EXPECT_EQ(app.helpWindows().front()->topic(), HelpTopic::Test);
    EXPECT_EQ(app.helpWindows()[26]->topic(), HelpTopic::Wavelength);
    EXPECT_EQ(all[33]->windowTitle().toStdString(), "Help on Wavelength entry");
    EXPECT_EQ(app.helpWindows()[29]->topic(), HelpTopic::PhotoFit);
    EXPECT_EQ(app.helpWindows()[30]->topic(), HelpTopic::WaveOptics);
    EXPECT_EQ(all[37]->windowTitle().toStdString(), "Help on Wave Optics and White Light");
    EXPECT_EQ(app.helpWindows().back()->topic(), HelpTopic::Logbook);
    EXPECT_EQ(all[38]->windowTitle().toStdString(), "Help on the Mirror's Logbook");
    EXPECT_EQ(all[39]->windowTitle().toStdString(), "Foucault Reduction");
    EXPECT_EQ(all.back()->windowTitle().toStdString(), "Logbook");
    for (QWidget* w : all) EXPECT_FALSE(w->isVisible()) << w->windowTitle().toStdString();

    // Stay on top of the main window: the warning, information, editor,
    // getting-started, figuring and analysis windows and the first help window.
    for (std::size_t i = 1; i <= 7; ++i)
        EXPECT_EQ(all[i]->parentWidget(), &app.mainWindow()) << all[i]->windowTitle().toStdString();
    for (std::size_t i = 8; i < all.size(); ++i)
        EXPECT_EQ(all[i]->parentWidget(), nullptr) << all[i]->windowTitle().toStdString();
    EXPECT_TRUE(app.warningWindow().windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(app.warningWindow().windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST(WindowCatalogue, StartShowsOnlyTheMainWindowAndClosingHides) {
    testing::RecordingReporter errors;
    ShadowgramApp app(errors);
    app.start();
    EXPECT_TRUE(app.mainWindow().isVisible());
    for (std::size_t i = 1; i < app.windows().size(); ++i) EXPECT_FALSE(app.windows()[i]->isVisible());

    // A help window closed and asked for again comes back.
    auto* button = app.mainWindow().findChild<QPushButton*>("diameterHelp");
    ASSERT_NE(button, nullptr);
    button->click();
    HelpWindow* help = app.helpWindow(HelpTopic::Diameter);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->close());
    EXPECT_FALSE(help->isVisible());
    button->click();
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->windowTitle().toStdString(), "Help on D entry");

    // Esc closes it, and so does its Close button; a picture's page too.
    help->activateWindow();
    if (QTest::qWaitForWindowActive(help, 2000)) {
        QTest::keyClick(help, Qt::Key_Escape);
    } else {
        // Without a window manager an X window is not made active: the key's
        // shortcut itself.
        auto* escape = help->findChild<QShortcut*>();
        ASSERT_NE(escape, nullptr);
        EXPECT_EQ(escape->key(), QKeySequence(Qt::Key_Escape));
        emit escape->activated();
    }
    EXPECT_FALSE(help->isVisible());
    button->click();
    auto* close = help->findChild<QPushButton*>("closeButton");
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->text(), "Close");
    close->click();
    EXPECT_FALSE(help->isVisible());
    for (const auto& w : app.windows()) {
        if (auto* page = dynamic_cast<HelpWindow*>(w); page != nullptr) {
            EXPECT_NE(page->findChild<QPushButton*>("closeButton"), nullptr) << page->windowTitle().toStdString();
        }
    }
}

TEST(WindowCatalogue, ClosingTheMainWindowEndsTheProgram) {
    testing::RecordingReporter errors;
    ShadowgramApp app(errors);
    app.start();
    app.mainWindow().findChild<QPushButton*>("slopeHelp")->click();  // a help window of its own
    app.mainWindow().findChild<QPushButton*>("informationButton")->click();   // a window over the main one
    ASSERT_TRUE(app.helpWindow(HelpTopic::Slope)->isVisible());
    app.helpWindow(HelpTopic::Slope)->close();
    EXPECT_TRUE(app.mainWindow().isVisible());
    app.helpWindow(HelpTopic::Slope)->showHelp();
    // The event loop ends when the main window closes, with the others open;
    // 7 means something kept it running.
    QTimer::singleShot(0, &app.mainWindow(), [&app] { app.mainWindow().close(); });
    QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(7); });
    EXPECT_EQ(QApplication::exec(), 0);
}

TEST(WarningWindow, OnlyOkHidesIt) {
    testing::RecordingReporter errors;
    ShadowgramApp app(errors);
    app.start();
    WarningWindow& w = app.warningWindow();
    w.showWarning("line one", "line two");
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.line1().toStdString(), "line one");
    EXPECT_EQ(w.line2().toStdString(), "line two");
    QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(100, 100));
    QWidget* title = w.findChild<QWidget*>("titleLabel");
    QTest::mouseClick(title, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(w.isVisible());
    QWidget* ok = w.findChild<QWidget*>("okLabel");
    ASSERT_NE(ok, nullptr);

    // It covers the main window, also without a window manager to maximise
    // it, and keeps its items at their client positions, their captions whole.
    EXPECT_TRUE(w.geometry().contains(app.mainWindow().frameGeometry())) << w.width() << "x" << w.height();
    EXPECT_EQ(title->geometry(), QRect(360, 8, 116, 20));
    EXPECT_EQ(ok->geometry(), QRect(400, 112, 48, 24));
    EXPECT_EQ(w.findChild<QWidget*>("Line1")->pos(), QPoint(20, 45));
    EXPECT_EQ(w.findChild<QWidget*>("Line2")->pos(), QPoint(20, 80));
    for (QWidget* label : {title, ok}) {
        auto* l = static_cast<QLabel*>(label);
        EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->contentsRect().width()) << l->text().toStdString();
        EXPECT_GE(l->fontInfo().pixelSize(), 12) << l->text().toStdString();
    }

    QTest::mouseClick(ok, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FALSE(w.isVisible());
}

}  // namespace
}  // namespace sg
