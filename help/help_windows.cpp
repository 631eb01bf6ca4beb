#include "help_windows.h"

#include <QListWidget>

namespace sg {

namespace {

// A window that stays on top of `owner` (when given), hidden until shown.
void setUpWindow(QWidget* w, const char* objectName, const char* caption, int x, int y, int width, int height) {
    w->setObjectName(objectName);
    w->setWindowTitle(caption);
    w->setGeometry(x, y, width, height);
    w->setAttribute(Qt::WA_QuitOnClose, false);
}

}  // namespace

HelpWindow::HelpWindow(QWidget* stayOnTopOf, const char* className, const char* caption, int width, int height)
    : QWidget(stayOnTopOf, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      className_(className) {
    // The instance is named after its class without the leading T.
    setUpWindow(this, className + 1, caption, 192, 107, width, height);
    text_ = new QListWidget(this);
    text_->setObjectName("ListBox1");
    text_->setGeometry(0, 0, width, height);
}

void HelpWindow::showHelp() {
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    showMaximized();
}

std::vector<std::unique_ptr<HelpWindow>> createHelpWindows(QWidget* mainWindow) {
    std::vector<std::unique_ptr<HelpWindow>> w;
    w.push_back(std::make_unique<THelpWireFoucRoncForm>(mainWindow, "THelpWireFoucRoncForm",
                                                        "Help on Wire - Fouc - Ronchi - Choice", 696, 611));
    w.push_back(std::make_unique<THelpWhiteRonchiForm>(nullptr, "THelpWhiteRonchiForm", "Help on White Option", 696, 480));
    w.push_back(std::make_unique<THelpGridRonchiForm>(nullptr, "THelpGridRonchiForm", "Help on Grid Option", 696, 480));
    w.push_back(std::make_unique<THelpInvertRonchiForm>(nullptr, "THelpInvertRonchiForm", "Help on Invert Option", 696, 480));
    w.push_back(std::make_unique<THelpVertHoriz2DRonchiForm>(nullptr, "THelpVertHoriz2DRonchiForm",
                                                             "Help on Vertical - Horizontal - 2D Option", 696, 480));
    w.push_back(std::make_unique<THelpOddRonchiForm>(nullptr, "THelpOddRonchiForm", "Help on Odd Option", 696, 480));
    w.push_back(std::make_unique<THelpZeroRonchiForm>(nullptr, "THelpZeroRonchiForm", "Help on Zero Option", 696, 480));
    w.push_back(std::make_unique<THelpChoosePosnRonchiForm>(
        nullptr, "THelpChoosePosnRonchiForm", "Help on Setting Longitudinal Position of Ronch Grid", 696, 480));
    w.push_back(std::make_unique<THelpBrightenRonchiForm>(nullptr, "THelpBrightenRonchiForm", "Help on Bright Option", 696, 480));
    w.push_back(std::make_unique<THelpCentresRonchiForm>(nullptr, "THelpCentresRonchiForm", "Help on Centres Option", 696, 503));
    w.push_back(std::make_unique<THelpXPosnRonchiForm>(nullptr, "THelpXPosnRonchiForm",
                                                       "Help on Setting X Position of Ronchi Grid", 696, 480));
    w.push_back(std::make_unique<THelpXMaxMoveRonchiForm>(nullptr, "THelpXMaxMoveRonchiForm",
                                                          "Help on  Maximum X Movement Option", 696, 480));
    w.push_back(std::make_unique<THelpIrregularSurfRonchiForm>(nullptr, "THelpIrregularSurfRonchiForm",
                                                               "Help on Irregular Surface Option", 696, 480));
    w.push_back(std::make_unique<THelpConicInfoRonchiForm>(
        nullptr, "THelpConicInfoRonchiForm", "Help on Conic Deformation and F:NO Information Display", 696, 480));
    w.push_back(std::make_unique<THelpShowPureConicRonchiForm>(nullptr, "THelpShowPureConicRonchiForm",
                                                               "Help on Show Pure Conic Option", 696, 480));
    w.push_back(std::make_unique<THelpRetrieveRonchiForm>(nullptr, "THelpRetrieveRonchiForm",
                                                          "Help on Retrieve - Save Option", 696, 480));
    w.push_back(std::make_unique<THelpAnalyseRonchiForm>(nullptr, "THelpAnalyseRonchiForm",
                                                         "Help on Analyse Surface Option", 696, 480));
    w.push_back(std::make_unique<THelpFoucReductionRonchiForm>(nullptr, "THelpFoucReductionRonchiForm",
                                                               "Help on Foucault Reduction Option", 696, 480));
    w.push_back(std::make_unique<THelpHeightRonchiForm>(nullptr, "THelpHeightRonchiForm", "Help on Height Display", 696, 480));
    w.push_back(std::make_unique<THelpSlopeRonchiForm>(nullptr, "THelpSlopeRonchiForm",
                                                       "Help on Slope Display and Absolute Slope Option", 696, 480));
    w.push_back(std::make_unique<THelpDRonchiForm>(nullptr, "THelpDRonchiForm", "Help on D entry", 696, 480));
    w.push_back(std::make_unique<THelpRRonchiForm>(nullptr, "THelpRRonchiForm", "Help on R Entry", 696, 480));
    w.push_back(std::make_unique<THelpConicRonchiForm>(nullptr, "THelpConicRonchiForm", "Help on Conic Entry", 696, 480));
    w.push_back(std::make_unique<THelpLinesmmRonchiForm>(nullptr, "THelpLinesmmRonchiForm", "Help on Lines / mm  entry", 696, 480));
    w.push_back(std::make_unique<THelpRangeRonchiForm>(nullptr, "THelpRangeRonchiForm", "Help on Range Entry", 696, 480));
    w.push_back(std::make_unique<THelpZoneHtRonchiForm>(nullptr, "THelpZoneHtRonchiForm", "Help on Zone Ht. Entry", 696, 480));
    w.push_back(std::make_unique<THelpWLRonchiForm>(nullptr, "THelpWLRonchiForm", "Help on Wavelength entry", 696, 480));
    return w;
}

TInformation::TInformation(QWidget* mainWindow) : QWidget(mainWindow, Qt::Window) {
    setUpWindow(this, "Information", "I N F O R M A T I O N", 217, -1, 653, 700);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(p);
    setAutoFillBackground(true);
}

TGettingStartedForm::TGettingStartedForm(QWidget* mainWindow) : QWidget(mainWindow, Qt::Window) {
    setUpWindow(this, "GettingStartedForm", "G E T T I N G   S T A R T E D", 200, 43, 644, 545);
}

TFiguring::TFiguring(QWidget* mainWindow) : QWidget(mainWindow, Qt::Window) {
    setUpWindow(this, "Figuring", "Figuring", 108, 14, 707, 696);
}

}  // namespace sg
