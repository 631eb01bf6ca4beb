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

// A help window: maximised when shown, with only a close box, its text and
// in four of them a picture.
class HelpWindow : public QWidget {
public:
    HelpWindow(QWidget* stayOnTopOf, const char* className, const char* caption, int width, int height,
               const PicturePlace* picture = nullptr);
    const std::string& className() const { return className_; }
    QListWidget* textList() const { return text_; }
    PicturePanel* picturePanel() const { return picture_; }
    // Shows the window maximised, or brings it to the front when it is open.
    void showHelp();

private:
    std::string className_;
    QListWidget* text_;
    PicturePanel* picture_ = nullptr;
};

#define SG_HELP_WINDOW(Name)                     \
    class Name final : public HelpWindow {       \
    public:                                      \
        using HelpWindow::HelpWindow;            \
    };

SG_HELP_WINDOW(THelpWireFoucRoncForm)
SG_HELP_WINDOW(THelpWhiteRonchiForm)
SG_HELP_WINDOW(THelpGridRonchiForm)
SG_HELP_WINDOW(THelpInvertRonchiForm)
SG_HELP_WINDOW(THelpVertHoriz2DRonchiForm)
SG_HELP_WINDOW(THelpOddRonchiForm)
SG_HELP_WINDOW(THelpZeroRonchiForm)
SG_HELP_WINDOW(THelpChoosePosnRonchiForm)
SG_HELP_WINDOW(THelpBrightenRonchiForm)
SG_HELP_WINDOW(THelpCentresRonchiForm)
SG_HELP_WINDOW(THelpXPosnRonchiForm)
SG_HELP_WINDOW(THelpXMaxMoveRonchiForm)
SG_HELP_WINDOW(THelpIrregularSurfRonchiForm)
SG_HELP_WINDOW(THelpConicInfoRonchiForm)
SG_HELP_WINDOW(THelpShowPureConicRonchiForm)
SG_HELP_WINDOW(THelpRetrieveRonchiForm)
SG_HELP_WINDOW(THelpAnalyseRonchiForm)
SG_HELP_WINDOW(THelpFoucReductionRonchiForm)
SG_HELP_WINDOW(THelpHeightRonchiForm)
SG_HELP_WINDOW(THelpSlopeRonchiForm)
SG_HELP_WINDOW(THelpDRonchiForm)
SG_HELP_WINDOW(THelpRRonchiForm)
SG_HELP_WINDOW(THelpConicRonchiForm)
SG_HELP_WINDOW(THelpLinesmmRonchiForm)
SG_HELP_WINDOW(THelpRangeRonchiForm)
SG_HELP_WINDOW(THelpZoneHtRonchiForm)
SG_HELP_WINDOW(THelpWLRonchiForm)
SG_HELP_WINDOW(THelpMovingSourceForm)
SG_HELP_WINDOW(THelpExactTraceForm)
SG_HELP_WINDOW(THelpPhotoFitForm)

#undef SG_HELP_WINDOW

// The help windows in their order of creation: the 27 of the main window's
// first controls, then those of the tester's source, the ray model and the
// photo. `mainWindow` is the
// window that THelpWireFoucRoncForm stays on top of.
std::vector<std::unique_ptr<HelpWindow>> createHelpWindows(QWidget* mainWindow);

// "I N F O R M A T I O N": thirteen pages on the test and on test
// equipment; "Rigs" holds four pages of its own.
class TInformation : public QWidget {
public:
    explicit TInformation(QWidget* mainWindow);
    PageControl* pages() const { return pages_; }
    PageControl* rigPages() const { return rigPages_; }

private:
    PageControl* pages_;
    PageControl* rigPages_;
};

// "G E T T I N G   S T A R T E D": a few tips and four example set-ups,
// each shown at once by the main window.
class TGettingStartedForm : public QWidget {
public:
    explicit TGettingStartedForm(QWidget* mainWindow);
    // Who shows example n = 1..4; without one the buttons do nothing.
    void setExampleShower(std::function<void(int)> show) { show_ = std::move(show); }
    void Button1Click() { choose(1); }
    void Button2Click() { choose(2); }
    void Button3Click() { choose(3); }
    void Button4Click() { choose(4); }

private:
    void choose(int n) {
        if (show_) show_(n);
    }

    std::function<void(int)> show_;
};

// "Figuring": suggestions for correcting a surface.
class TFiguring : public QWidget {
public:
    explicit TFiguring(QWidget* mainWindow);
};

}  // namespace sg
