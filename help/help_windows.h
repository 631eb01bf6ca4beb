// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The information, getting-started and figuring windows and the 27
// single-topic help windows. Each exists once from start-up, hidden until a
// control of the main window shows it; closing it only hides it, and it
// opens again as it was left (page, scroll position, typed text).


#include <QWidget>

#include <functional>

#include <memory>
#include <string>
#include <vector>

class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace sg {

class PageControl;
class PicturePanel;

// A picture of a window: its file and the frame it is shown in.
struct PicturePlace {
    const char* file;
    int frameWidth, frameHeight;
};

// The topics of the single-topic help windows, in their order of creation:
// the main window's first controls, then the tester's source, the ray model,
// the photo and the wave picture.
enum class HelpTopic {
    Test,
    White,
    Grid,
    Invert,
    Orientation,
    Odd,
    Zero,
    AxialPosition,
    Brighten,
    Centres,
    TransversePosition,
    MaxMove,
    IrregularSurface,
    ConicInfo,
    SurfaceChoice,
    RetrieveSave,
    Analyse,
    FoucaultReduction,
    Height,
    Slope,
    Diameter,
    Radius,
    Conic,
    LinesPerMm,
    Range,
    ZoneHeight,
    Wavelength,
    MovingSource,
    ExactTrace,
    PhotoFit,
    WaveOptics,
    Logbook,
};
inline constexpr int kHelpTopicCount = static_cast<int>(HelpTopic::Logbook) + 1;

// The name of a topic as its text file and its window carry it
// ("diameter" for HelpTopic::Diameter).
const char* helpTopicName(HelpTopic topic);

// A help window: maximised when shown, with only a close box, its text and
// in four of them a picture.
class HelpWindow : public QWidget {
public:
    HelpWindow(QWidget* stayOnTopOf, HelpTopic topic, const char* caption, int width, int height,
               const PicturePlace* picture = nullptr);
    HelpTopic topic() const { return topic_; }
    QListWidget* textList() const { return text_; }
    PicturePanel* picturePanel() const { return picture_; }
    // Shows the window maximised, or brings it to the front when it is open.
    void showHelp();

private:
    HelpTopic topic_;
    QListWidget* text_;
    PicturePanel* picture_ = nullptr;
};

// The help windows in their order of creation, one per topic, the window
// of HelpTopic::Test staying on top of `mainWindow`.
std::vector<std::unique_ptr<HelpWindow>> createHelpWindows(QWidget* mainWindow);

// "I N F O R M A T I O N": thirteen pages on the test and on test
// equipment; "Rigs" holds four pages of its own.
class InformationWindow : public QWidget {
public:
    explicit InformationWindow(QWidget* mainWindow);
    PageControl* pages() const { return pages_; }
    PageControl* rigPages() const { return rigPages_; }

private:
    PageControl* pages_;
    PageControl* rigPages_;
};

// "G E T T I N G   S T A R T E D": a few tips and four example set-ups,
// each shown at once by the main window.
class GettingStartedWindow : public QWidget {
public:
    explicit GettingStartedWindow(QWidget* mainWindow);
    // Who shows example n = 1..4; without one the buttons do nothing.
    void setExampleShower(std::function<void(int)> show) { show_ = std::move(show); }
    void showExample1() { choose(1); }
    void showExample2() { choose(2); }
    void showExample3() { choose(3); }
    void showExample4() { choose(4); }

private:
    void choose(int n) {
        if (show_) show_(n);
    }

    std::function<void(int)> show_;
};

// "Figuring": suggestions for correcting a surface.
class FiguringWindow : public QWidget {
public:
    explicit FiguringWindow(QWidget* mainWindow);
};

}  // namespace sg
