// SPDX-License-Identifier: GPL-3.0-or-later
#include "help/help_windows.h"

#include "help/help_content.h"
#include "help/help_widgets.h"
#include "widgets/window_style.h"

#include <QHBoxLayout>
#include <iterator>
#include <stdexcept>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>

namespace sg {

namespace {

// A window that stays on top of `owner` (when given), hidden until shown.
void setUpWindow(QWidget* w, const char* objectName, const char* caption, int x, int y, int width, int height) {
    w->setObjectName(objectName);
    w->setWindowTitle(caption);
    applyWindowStyle(w);
    w->setGeometry(x, y, width, height);
    w->setAttribute(Qt::WA_QuitOnClose, false);
}

PicturePanel* makePanel(QWidget* parent, const PicturePlace& place) {
    auto* panel = new PicturePanel(parent, helpPicture(place.file), place.frameWidth, place.frameHeight);
    panel->setObjectName(QString(place.file).section('.', 0, 0));
    return panel;
}

}  // namespace

HelpWindow::HelpWindow(QWidget* stayOnTopOf, HelpTopic topic, const char* caption, int width, int height,
                       const PicturePlace* picture)
    : QWidget(stayOnTopOf, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      topic_(topic) {
    const QString name = helpTopicName(topic);
    setUpWindow(this, (name + "Help").toUtf8().constData(), caption, 192, 107, width, height);
    text_ = makeTextList(this, helpTextLines("help/" + name));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    if (picture == nullptr) {
        outer->addWidget(text_, 1);
    } else {
        picture_ = makePanel(this, *picture);
        // A narrow picture stands beside the text, a wide one above it.
        QBoxLayout* body = picture->frameWidth < 100 ? static_cast<QBoxLayout*>(new QHBoxLayout)
                                                     : static_cast<QBoxLayout*>(new QVBoxLayout);
        body->setContentsMargins(4, 4, 0, 0);
        body->addWidget(picture_, 0, Qt::AlignLeft | Qt::AlignTop);
        body->addWidget(text_, 1);
        outer->addLayout(body, 1);
    }
    // Closed by its button or by Esc, as well as by the title bar.
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 4, 8, 6);
    bar->addStretch(1);
    auto* close = new QPushButton("Close", this);
    close->setObjectName("closeButton");
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    bar->addWidget(close);
    outer->addLayout(bar);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

void HelpWindow::showHelp() {
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    showMaximized();
}

namespace {

struct HelpEntry {
    HelpTopic topic;
    const char* name;  // of its text file
    const char* caption;
    int height;
    const PicturePlace* picture;
    bool staysOnTop;
};

constexpr PicturePlace kTestsPicture{"help_tests.bmp", 449, 143};
constexpr PicturePlace kAxialPicture{"help_axial.bmp", 51, 208};
constexpr PicturePlace kCentresPicture{"help_centres.bmp", 170, 167};
constexpr PicturePlace kSliderPicture{"help_xposn.bmp", 55, 49};

// In their order of creation; only the first stays on top of the main window.
constexpr HelpEntry kHelpWindows[] = {
    {HelpTopic::Test, "test", "Help on Wire - Fouc - Ronchi - Choice", 611,
     &kTestsPicture, true},
    {HelpTopic::White, "white", "Help on White Option", 480, nullptr, false},
    {HelpTopic::Grid, "grid", "Help on Grid Option", 480, nullptr, false},
    {HelpTopic::Invert, "invert", "Help on Invert Option", 480, nullptr, false},
    {HelpTopic::Orientation, "orientation", "Help on Vertical - Horizontal - 2D Option",
     480, nullptr, false},
    {HelpTopic::Odd, "odd", "Help on Odd Option", 480, nullptr, false},
    {HelpTopic::Zero, "zero", "Help on Zero Option", 480, nullptr, false},
    {HelpTopic::AxialPosition, "axial_position",
     "Help on Setting Longitudinal Position of Ronchi Grid", 480, &kAxialPicture, false},
    {HelpTopic::Brighten, "brighten", "Help on Bright Option", 480, nullptr, false},
    {HelpTopic::Centres, "centres", "Help on Centres Option", 503, &kCentresPicture,
     false},
    {HelpTopic::TransversePosition, "transverse_position", "Help on Setting X Position of Ronchi Grid", 480,
     &kSliderPicture, false},
    {HelpTopic::MaxMove, "max_move", "Help on  Maximum X Movement Option", 480, nullptr,
     false},
    {HelpTopic::IrregularSurface, "irregular_surface", "Help on Irregular Surface Option", 480,
     nullptr, false},
    {HelpTopic::ConicInfo, "conic_info",
     "Help on Conic Deformation and F:NO Information Display", 480, nullptr, false},
    {HelpTopic::SurfaceChoice, "surface_choice", "Help on Show Pure Conic Option", 480,
     nullptr, false},
    {HelpTopic::RetrieveSave, "retrieve_save", "Help on Retrieve - Save Option", 480, nullptr,
     false},
    {HelpTopic::Analyse, "analyse", "Help on Analyse Surface Option", 480, nullptr, false},
    {HelpTopic::FoucaultReduction, "foucault_reduction", "Help on Foucault Reduction Option", 480,
     nullptr, false},
    {HelpTopic::Height, "height", "Help on Height Display", 480, nullptr, false},
    {HelpTopic::Slope, "slope", "Help on Slope Display and Absolute Slope Option", 480,
     nullptr, false},
    {HelpTopic::Diameter, "diameter", "Help on D entry", 480, nullptr, false},
    {HelpTopic::Radius, "radius", "Help on R Entry", 480, nullptr, false},
    {HelpTopic::Conic, "conic", "Help on Conic Entry", 480, nullptr, false},
    {HelpTopic::LinesPerMm, "lines_per_mm", "Help on Lines / mm  entry", 480, nullptr, false},
    {HelpTopic::Range, "range", "Help on Range Entry", 480, nullptr, false},
    {HelpTopic::ZoneHeight, "zone_height", "Help on Zone Ht. Entry", 480, nullptr, false},
    {HelpTopic::Wavelength, "wavelength", "Help on Wavelength entry", 480, nullptr, false},
    {HelpTopic::MovingSource, "moving_source", "Help on Source Moves with Grating Option", 480, nullptr,
     false},
    {HelpTopic::ExactTrace, "exact_trace", "Help on Exact Ray Trace Option", 480, nullptr, false},
    {HelpTopic::PhotoFit, "photo_fit", "Help on Photos of the Test and their Fit", 480, nullptr,
     false},
    {HelpTopic::WaveOptics, "wave_optics", "Help on Wave Optics and White Light", 480, nullptr, false},
    {HelpTopic::Logbook, "logbook", "Help on the Mirror's Logbook", 480, nullptr, false},
};

// The least of a page's text that shows beside its pictures, in lines.
constexpr int kLeastTextLines = 20;

// A page: its pictures above its text (or side by side in a row above it),
// and the text as a list, or as a memo the user can type into. Pictures
// never squeeze the text below kLeastTextLines: where the window is too low
// for both, the whole page scrolls.
QWidget* makePage(const std::vector<PicturePlace>& pictures, bool sideBySide, const char* text, bool memo = false) {
    auto* page = new QWidget;
    page->setObjectName(QString(pictures.empty() ? "Page_" : "PageContent_") + text);
    auto* layout = new QVBoxLayout(page);
    // Side by side, the three pictures of " Slits" take all but a pixel of the page's width.
    layout->setContentsMargins(sideBySide ? 0 : 4, 4, sideBySide ? 0 : 4, 4);
    layout->setSpacing(4);
    QHBoxLayout* row = nullptr;
    if (sideBySide && !pictures.empty()) {
        row = new QHBoxLayout;
        row->setSpacing(0);
        layout->addLayout(row);
    }
    for (const PicturePlace& place : pictures) {
        PicturePanel* frame = makePanel(page, place);
        if (row != nullptr)
            row->addWidget(frame, 0, Qt::AlignLeft | Qt::AlignTop);
        else
            layout->addWidget(frame, 0, Qt::AlignLeft | Qt::AlignTop);
    }
    if (row != nullptr) row->addStretch(1);
    const QStringList lines = helpTextLines(text);
    QAbstractScrollArea* textBox = nullptr;
    if (memo) {
        auto* box = new QPlainTextEdit(page);
        box->setObjectName("pageText");
        box->setPlainText(lines.join('\n'));
        box->setLineWrapMode(QPlainTextEdit::NoWrap);
        textBox = box;
    } else {
        textBox = makeTextList(page, lines);
    }
    layout->addWidget(textBox, 1);
    if (pictures.empty()) return page;

    textBox->setMinimumHeight(kLeastTextLines * textBox->fontMetrics().lineSpacing() + 2 * textBox->frameWidth() +
                              textBox->horizontalScrollBar()->sizeHint().height());
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QString("Page_") + text);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(page);
    return scroll;
}

static_assert(std::size(kHelpWindows) == kHelpTopicCount);

}  // namespace

const char* helpTopicName(HelpTopic topic) {
    const int i = static_cast<int>(topic);
    return i >= 0 && i < kHelpTopicCount ? kHelpWindows[i].name : "";
}

std::vector<std::unique_ptr<HelpWindow>> createHelpWindows(QWidget* mainWindow) {
    std::vector<std::unique_ptr<HelpWindow>> windows;
    for (int i = 0; i < kHelpTopicCount; ++i) {
        const HelpEntry& e = kHelpWindows[i];
        if (static_cast<int>(e.topic) != i) throw std::logic_error("help topics out of their order");
        windows.push_back(std::make_unique<HelpWindow>(e.staysOnTop ? mainWindow : nullptr, e.topic, e.caption, 696,
                                                       e.height, e.picture));
    }
    return windows;
}

InformationWindow::InformationWindow(QWidget* mainWindow) : QWidget(mainWindow, Qt::Window) {
    setUpWindow(this, "informationWindow", "I N F O R M A T I O N", 217, -1, 653, 700);
    pages_ = new PageControl(this);
    pages_->setObjectName("pages");
    pages_->setGeometry(8, 0, 625, 641);

    rigPages_ = new PageControl(nullptr);
    rigPages_->setObjectName("rigPages");
    rigPages_->addPage("Simple Test Rig", makePage({{"rig_simple.bmp", 429, 279}}, false, "rig_simple"));
    // Stacked, the two pictures would leave no room for the text: they stand side by side.
    rigPages_->addPage("DeLuxe Rig Pictures",
                       makePage({{"rig_deluxe_overall.jpg", 236, 217}, {"rig_deluxe_head.jpg", 253, 390}}, true,
                                "rig_deluxe_pictures"));
    rigPages_->addPage("DeLuxe Rig Drawings", makePage({{"rig_led_source.bmp", 272, 357}}, false, "rig_deluxe_drawings"));
    rigPages_->addPage("Mirror Stand", makePage({{"mirror_stand.bmp", 324, 256}}, false, "rig_mirror_stand"));
    // The inner control stands 8 pixels in, 585 wide, and as tall as the page lets it.
    auto* rigs = new QWidget;
    rigs->setObjectName("Page_rigs");
    auto* rigLayout = new QVBoxLayout(rigs);
    rigLayout->setContentsMargins(8, 8, 0, 4);
    rigPages_->setFixedWidth(585);
    rigPages_->setMaximumHeight(641);
    rigLayout->addWidget(rigPages_, 1, Qt::AlignLeft);

    pages_->addPage("Program", makePage({}, false, "info_program"));
    pages_->addPage("History", makePage({}, false, "info_history"));
    pages_->addPage(" Test", makePage({{"test_principle.bmp", 433, 409}}, false, "info_test"));
    pages_->addPage("Analysis", makePage({{"analysis_patterns.bmp", 482, 88}}, false, "info_analysis"));
    pages_->addPage("Correct", makePage({}, false, "info_correct"));
    pages_->addPage("Images", makePage({{"images_positions.jpg", 467, 128},
                                        {"images_gratings.jpg", 489, 193},
                                        {"images_tests.jpg", 150, 99},
                                        {"images_zone.jpg", 328, 98},
                                        {"images_wave.jpg", 420, 122}},
                                       false, "info_images"));
    pages_->addPage("About", makePage({}, false, "info_about"));
    pages_->addPage(" Nulls", makePage({{"null_tests.bmp", 367, 158}}, false, "info_nulls", true));
    pages_->addPage("Gratings", makePage({{"gratings_materials.jpg", 233, 276}}, false, "info_gratings"));
    pages_->addPage(" Slits", makePage({{"slit_two_blade.jpg", 359, 309},
                                        {"slit_scribed.jpg", 182, 174},
                                        {"slit_diffuser.jpg", 79, 87}},
                                       true, "info_slits"));
    pages_->addPage("Rigs", rigs);
    pages_->addPage("Slope", makePage({{"slope_reading.bmp", 351, 419}}, false, "info_slope"));
    pages_->addPage("Phase", makePage({{"phase_profiles.jpg", 199, 176}, {"phase_bands.jpg", 244, 161}}, true,
                                      "info_phase"));
    pages_->setCurrentIndex(0);
}

GettingStartedWindow::GettingStartedWindow(QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window) {
    setUpWindow(this, "gettingStartedWindow", "G E T T I N G   S T A R T E D", 200, 43, 644, 545);
    QListWidget* text = makeTextList(this, helpTextLines("getting_started"));
    text->setGeometry(112, 8, 409, 353);
    struct Example {
        const char* name;
        const char* caption;
        void (GettingStartedWindow::*handler)();
    };
    static constexpr Example kExamples[] = {
        {"example1Button", "Ronchi - Parabola - Vertical", &GettingStartedWindow::showExample1},
        {"example2Button", "Ronchi - Sphere  - Vertical", &GettingStartedWindow::showExample2},
        {"example3Button", "Ronchi - Parabola - Horizontal", &GettingStartedWindow::showExample3},
        {"example4Button", "Foucault - Parabola - Vertical", &GettingStartedWindow::showExample4},
    };
    int y = 384;
    for (const Example& e : kExamples) {
        auto* button = new QPushButton(e.caption, this);
        button->setObjectName(e.name);
        button->setGeometry(200, y, 241, 25);
        connect(button, &QPushButton::clicked, this, [this, h = e.handler] { (this->*h)(); });
        y += 32;
    }
}

FiguringWindow::FiguringWindow(QWidget* mainWindow) : QWidget(mainWindow, Qt::Window) {
    setUpWindow(this, "figuringWindow", "Figuring", 108, 14, 707, 696);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(makeTextList(this, helpTextLines("figuring")));
}

}  // namespace sg
