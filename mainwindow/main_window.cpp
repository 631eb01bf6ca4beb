// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/main_window.h"

#include "widgets/cell_grid.h"
#include "widgets/changed_region.h"
#include "fit/photo_fit.h"
#include "fit/photo_tools.h"
#include "widgets/click_label.h"
#include "widgets/radio_group.h"
#include "widgets/user_action.h"
#include "widgets/window_style.h"

#include "model/number_text.h"
#include "simulator/profile_graphs.h"
#include "model/failure.h"
#include "model/controls_reading.h"
#include "simulator/picture.h"
#include "simulator/picture_caption.h"
#include "fileio/record_file.h"
#include "simulator/redraw.h"
#include "testfile/setup_transfer.h"
#include "testfile/test_record.h"

#include <QBuffer>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>

#include <algorithm>
#include <array>

namespace sg {

namespace {

const std::array<const char*, kParameterRows> kParameterLabels = {"D   (mm)", "R   (mm)", "Conic   ", "Line/mm ",
                                                                   "RANGE   ", "Zone Ht ", "WL   (u)"};

const char* const kMainTitle = "Shadowgram";

}  // namespace

MainWindow::MainWindow(EditorShape& shape, WindowCatalogue& windows, ErrorReporter& errors, FileDialogs& dialogs,
               UserFolder& userFolder, QSettings& settings)
    : QWidget(nullptr),
      shape_(shape),
      windows_(windows),
      errors_(errors),
      dialogs_(dialogs),
      settings_(settings),
      testFolder_(userFolder, "Test", &settings),
      pictureFolder_(userFolder, "Pictures", &settings) {
    setObjectName("mainWindow");
    setWindowTitle(kMainTitle);
    applyWindowStyle(this);
    setFocusPolicy(Qt::ClickFocus);  // a click on the picture ends an edit in the grids
    resize(1024, 768);
    createControls();
    createHelpButtons();
    photoTools_ = std::make_unique<PhotoTools>(
        *this, picture_.scene, controls_, [this] { windows_.showHelpWindow(HelpTopic::PhotoFit); }, errors_, dialogs_,
        userFolder, settings_);
    photoTools_->setWaveFrame([this] { return wavePainter_.lastFrame(); });
    photoTools_->setFitApplier([this](const FitResult& r) {
        if (fitShower_) fitShower_(r);
        else showFittedModel(r);
    });
    fillDefaults();
    keepOptionsBetweenRuns();
    drawStartingPosition(drawing_);
    savedSetup_ = currentSetup();
}

MainWindow::~MainWindow() = default;

QPushButton* MainWindow::addButton(const char* name, const char* caption, int x, int y, int w, int h,
                               void (MainWindow::*handler)()) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setGeometry(x, y, w, h);
    if (handler != nullptr) connect(button, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
    return button;
}

void MainWindow::createControls() {
    auto* grid1 = makeGrid(this, "parameterGrid", kParameterRows, 2, 0, 0, 90, 124);
    const int rowHeights[kParameterRows] = {16, 16, 17, 17, 16, 16, 16};
    for (int r = 0; r < kParameterRows; ++r) {
        grid1->setRowHeight(r, rowHeights[r]);
        makeFixed(grid1, r, 0);
    }
    grid1->setColumnWidth(0, 45);
    grid1->setColumnWidth(1, 45);
    connect(grid1, &CellGrid::cellSelected, this, [this] { onParameterCellSelected(); });
    connect(grid1, &QTableWidget::cellChanged, this, [this] { onParameterCellChanged(); });
    controls_.parameterGrid = grid1;

    controls_.testChoice = makeRadioGroup(this, "testChoice", " ", 128, -8, 129, 49, {"Wire", "Ronchi", "Foucault"}, 2);
    addButton("whiteButton", "White", 128, 40, 49, 17, &MainWindow::onWhite);
    auto* grid = new QCheckBox("Grid", this);
    grid->setObjectName("gridBox");
    grid->setGeometry(128, 64, 49, 17);
    connect(grid, &QCheckBox::clicked, this, [this] { onGridToggled(); });
    controls_.gridBox = grid;
    auto* invert = addButton("invertButton", "Invert", 128, 88, 49, 17, &MainWindow::onInvert);
    QPalette red = invert->palette();
    red.setColor(QPalette::ButtonText, Qt::red);
    invert->setPalette(red);

    controls_.orientationChoice =
        makeRadioGroup(this, "orientationChoice", " ", 0, 124, 81, 55, {"Vertical", "Horizontal", "2 D"}, 1);
    auto* odd = new QCheckBox("Odd", this);
    odd->setObjectName("oddBox");
    odd->setGeometry(8, 184, 52, 17);
    controls_.oddBox = odd;

    addButton("zeroButton", "Zero", 48, 288, 49, 25, &MainWindow::onZero);
    // The axial read-out, which also takes a typed position.
    axialEdit_ = new QLineEdit(this);
    axialEdit_->setObjectName("AxialPosition");
    axialEdit_->setGeometry(40, 317, 42, 19);
    axialEdit_->setFont(withPixelSize(font(), 11, true));
    axialEdit_->setTextMargins(0, 0, 0, 0);
    axialEdit_->setToolTip("Axial position in mm from the centre of curvature: type one and press Enter");
    connect(axialEdit_, &QLineEdit::returnPressed, this, [this] { axialPositionEntered(); });
    // A typed position the diagram cannot show is refused here, under the
    // read-out, until the next picture.
    axialRefusal_ = new QLabel(this);
    axialRefusal_->setObjectName("AxialRefusal");
    axialRefusal_->setGeometry(38, 337, 67, 14);
    axialRefusal_->setFont(withPixelSize(font(), 10, false));
    axialRefusal_->setStyleSheet("color: #c00000");
    axialRefusal_->hide();
    makeLabel(this, "axialUnitLabel", "mm", 84, 320);
    addButton("brightenButton", "Brighten", 48, 360, 49, 25, &MainWindow::onBrighten);
    addButton("centresButton", " Centres", 48, 392, 49, 25, &MainWindow::onCentres);

    auto* grid2 = makeGrid(this, "maxMoveGrid", kMoveRows, 1, 0, 504, 65, 65);
    for (int r = 0; r < kMoveRows; ++r) grid2->setRowHeight(r, 20);
    grid2->setColumnWidth(0, 64);
    makeFixed(grid2, kMoveRowLabel, 0);
    makeFixed(grid2, kMoveRowUnit, 0);
    connect(grid2, &CellGrid::cellSelected, this, [this] { onMaxMoveCellSelected(); });
    controls_.maxMoveGrid = grid2;

    auto* panel = new QFrame(this);
    panel->setObjectName("positionHintPanel");
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setGeometry(0, 600, 113, 57);
    panel->setAttribute(Qt::WA_NoMousePropagation);
    makeLabel(panel, "positionHintLine1", "Click Mouse on", 16, 8);
    makeLabel(panel, "positionHintLine2", "new Ronchi position", 8, 32);

    auto* editor = addButton("irregularSurfaceButton", "Create Irregular Surface", 744, 0, 145, 25, &MainWindow::onCreateIrregularSurface);
    editor->setToolTip("Create imperfect surface zone profile.");
    controls_.surfaceChoice = makeRadioGroup(this, "surfaceChoice", "", 744, 24, 145, 57,
                                            {"Show pure Conic", "Show distorted surface"}, 1);
    controls_.surfaceChoice->button(kSurfacePure)->setChecked(true);
    controls_.surfaceChoice->button(kSurfacePure)->parentWidget()->setToolTip(
        "Switches between pure conic and zoned surface.");
    connect(controls_.surfaceChoice, &QButtonGroup::idClicked, this, [this] { onSurfaceChoice(); });

    auto* gettingStarted = new ClickLabel("GETTING STARTED", this, [this] { onGettingStarted(); });
    gettingStarted->setObjectName("gettingStartedPanel");
    gettingStarted->setGeometry(744, 88, 145, 33);
    gettingStarted->setAlignment(Qt::AlignCenter);
    gettingStarted->setFrameShape(QFrame::Panel);
    gettingStarted->setFrameShadow(QFrame::Raised);
    gettingStarted->setFont(withPixelSize(font(), 13, false));
    gettingStarted->setToolTip("A few simple tips to get started.");

    auto* information = addButton("informationButton", "INFORMATION", 744, 128, 145, 25, &MainWindow::onInformation);
    information->setFont(withPixelSize(font(), 13, false));
    information->setToolTip("Set up, Photos, Theory etc.");

    makeBevel(this, 760, 168, 113, 73);
    for (auto [name, caption, y, handler] : {std::tuple{"retrieveButton", "Retrieve", 176, &MainWindow::onRetrieve},
                                             std::tuple{"saveButton", "Save", 208, &MainWindow::onSave}}) {
        QPushButton* b = addButton(name, caption, 768, y, 97, 25, handler);
        b->setFont(withPixelSize(font(), 13, true));
    }
    makeBevel(this, 760, 264, 113, 105);
    addButton("analyseButton", "Analyse Surface", 768, 272, 97, 25, &MainWindow::onAnalyseSurface);
    addButton("reductionButton", "Foucault Reduction", 768, 304, 97, 25, &MainWindow::onFoucaultReduction);
    addButton("figuringButton", "Figuring Help", 768, 336, 97, 25, &MainWindow::onFiguringHelp);
    // The mirror's logbook, below the photo's controls.
    auto* logbook = addButton("logbookButton", "Logbook", 914, 330, 84, 25, &MainWindow::onLogbook);
    logbook->setToolTip("Every test of this mirror kept together, and its road to the wanted conic on one plot.");

    notes_ = new QPlainTextEdit(this);
    notes_->setObjectName("Notes");
    notes_->setGeometry(768, 384, 241, 161);
    notes_->setToolTip("Write notes here.  This is saved with the mirror data.");
    notes_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    notes_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    notes_->document()->setDocumentMargin(2);
    notes_->setFont(withPixelSize(font(), 10, false));
    notes_->setPlainText(QStringLiteral("----- A NOTE OF 10 LINES WILL BE SAVED ------") + QString("\n").repeated(10));
    notesLines_ = std::make_unique<NotesBoxLines>(notes_);

    // The tester and the ray model, off by default: below the notes, clear
    // of the picture, the graphs and their captions.
    auto* moving = new QCheckBox("Source moves with grating", this);
    moving->setObjectName("movingSourceBox");
    moving->setGeometry(768, 550, 200, 17);
    controls_.movingSourceBox = moving;
    auto* exact = new QCheckBox("Exact ray trace", this);
    exact->setObjectName("exactTraceBox");
    exact->setGeometry(768, 570, 108, 17);
    controls_.exactTraceBox = exact;
    // The source's width, for the exact trace only.
    QLabel* slitLabel = makeLabel(this, "slitLabel", "Slit (mm)", 880, 572);
    auto* slit = new QLineEdit("0", this);
    slit->setObjectName("slitEdit");
    slit->setGeometry(932, 569, 52, 19);
    slit->setTextMargins(0, 0, 0, 0);
    slit->setToolTip("Width of the source slit in mm (0: a point source); with the exact ray trace");
    controls_.slitEdit = slit;
    // The picture in wave optics, which takes the exact surface and the slit.
    auto* wave = new QCheckBox("Wave optics", this);
    wave->setObjectName("waveOpticsBox");
    wave->setGeometry(884, 590, 100, 17);
    wave->setToolTip("The picture as an eye or a camera sees it: diffraction included");
    controls_.waveOpticsBox = wave;
    const auto enableSlit = [slit, slitLabel, exact, wave] {
        const bool on = exact->isChecked() || wave->isChecked();
        slit->setEnabled(on);
        slitLabel->setEnabled(on);
    };
    enableSlit();
    connect(exact, &QCheckBox::toggled, this, enableSlit);
    connect(wave, &QCheckBox::toggled, this, enableSlit);
    // The wave picture's light, beside the wavelength.
    auto* whiteLight = new QCheckBox("White light", this);
    whiteLight->setObjectName("whiteLightBox");
    whiteLight->setGeometry(113, 106, 84, 16);
    whiteLight->setToolTip("The wave picture in white light instead of the one wavelength");
    controls_.whiteLightBox = whiteLight;

    makeLabel(this, "heightLabel", "HEIGHT", 816, 592);
    makeLabel(this, "slopeLabel", "SLOPE", 816, 664);
}

void MainWindow::createHelpButtons() {
    struct HelpButton {
        const char* name;
        int x, y;
        HelpTopic topic;
    };
    static constexpr HelpButton kButtons[] = {
        {"diameterHelp", 96, 0, HelpTopic::Diameter},
        {"radiusHelp", 96, 16, HelpTopic::Radius},
        {"conicHelp", 96, 40, HelpTopic::Conic},
        {"linesPerMmHelp", 96, 56, HelpTopic::LinesPerMm},
        {"rangeHelp", 96, 72, HelpTopic::Range},
        {"zoneHeightHelp", 96, 88, HelpTopic::ZoneHeight},
        {"wavelengthHelp", 96, 104, HelpTopic::Wavelength},
        {"testHelp", 256, 8, HelpTopic::Test},
        {"whiteHelp", 176, 40, HelpTopic::White},
        {"gridHelp", 176, 64, HelpTopic::Grid},
        {"invertHelp", 176, 88, HelpTopic::Invert},
        {"orientationHelp", 80, 152, HelpTopic::Orientation},
        {"oddHelp", 64, 184, HelpTopic::Odd},
        {"zeroHelp", 96, 296, HelpTopic::Zero},
        {"axialPositionHelp", 0, 328, HelpTopic::AxialPosition},
        {"brightenHelp", 96, 368, HelpTopic::Brighten},
        {"centresHelp", 96, 400, HelpTopic::Centres},
        {"transversePositionHelp", 56, 464, HelpTopic::TransversePosition},
        {"maxMoveHelp", 72, 528, HelpTopic::MaxMove},
        {"conicInfoHelp", 648, 48, HelpTopic::ConicInfo},
        {"irregularSurfaceHelp", 896, 8, HelpTopic::IrregularSurface},
        {"surfaceChoiceHelp", 896, 48, HelpTopic::SurfaceChoice},
        {"retrieveHelp", 872, 192, HelpTopic::RetrieveSave},
        {"analyseHelp", 872, 272, HelpTopic::Analyse},
        {"reductionHelp", 872, 304, HelpTopic::FoucaultReduction},
        {"heightHelp", 864, 592, HelpTopic::Height},
        {"slopeHelp", 864, 664, HelpTopic::Slope},
        {"movingSourceHelp", 990, 550, HelpTopic::MovingSource},
        {"exactTraceHelp", 990, 570, HelpTopic::ExactTrace},
        {"waveOpticsHelp", 990, 590, HelpTopic::WaveOptics},
        {"whiteLightHelp", 198, 106, HelpTopic::WaveOptics},
        {"logbookHelp", 1000, 334, HelpTopic::Logbook},
    };
    const QFont bold = withPixelSize(font(), 11, true);
    for (const HelpButton& h : kButtons) {
        auto* button = new QPushButton("?", this);
        button->setObjectName(h.name);
        button->setGeometry(h.x, h.y, 17, std::string_view(h.name) == "invertHelp" ? 16 : 17);
        button->setFont(bold);
        connect(button, &QPushButton::clicked, this, [this, topic = h.topic] { windows_.showHelpWindow(topic); });
    }
}

void MainWindow::runAction(const std::function<void()>& action) {
    runUserAction(errors_, action, [this] { showChangedPicture(); });
}

void MainWindow::showChangedPicture() {
    if (painted_.isNull()) {
        update();
        return;
    }
    const QRegion changed = changedRegion(painted_, canvas_.image());
    if (!changed.isEmpty()) update(changed);
}

void MainWindow::fillDefaults() {
    controls_.setTestItem(kTestRonchi);
    controls_.setOrientationItem(kOrientVertical);
    picture_ = PictureState{};
    for (int r = 0; r < kParameterRows; ++r)
        controls_.parameterGrid->item(r, 0)->setText(kParameterLabels[static_cast<std::size_t>(r)]);
    controls_.setMoveCell(kMoveRowLabel, "MaxMove ");
    controls_.setMoveCell(kMoveRowUnit, " (bands)");
    publishParameters(picture_.scene.mirror, picture_.scene.setup, controls_);
}

void MainWindow::onActivated() {
    picture_.editorOpened = false;
    picture_.scene.view.whiteMode = false;
}

void MainWindow::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    // Rectangle by rectangle: a few small copies rather than the whole
    // canvas through the region's clip.
    for (const QRect& r : event->region()) {
        const QRect inside = r & canvas_.image().rect();
        if (!inside.isEmpty()) p.drawImage(inside.topLeft(), canvas_.image(), inside);
    }
    photoTools_->paint(p, canvas_.image());
    // What the screen now shows of the canvas, for the next changed region.
    // (Under a control that covers its box the canvas is never painted; it
    // counts as shown as it stood at the first paint.)
    const QImage& canvas = canvas_.image();
    if (painted_.size() != canvas.size() || painted_.format() != canvas.format())
        painted_ = canvas.copy();
    else
        copyRegion(canvas, painted_, event->region());
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
    if (photoTools_->mousePress(event)) return;
    const QPoint at = event->position().toPoint();
    // The right button on the picture opens its menu instead.
    if (event->button() == Qt::RightButton && clickRegion(at.x(), at.y()) == ClickRegion::Picture) return;
    draggingAxial_ = event->button() == Qt::LeftButton && clickRegion(at.x(), at.y()) == ClickRegion::AxialDiagram;
    onDrawingAreaPress(at.x(), at.y());
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
    if (photoTools_->mouseMove(event)) return;
    if (!draggingAxial_ || !(event->buttons() & Qt::LeftButton)) return;
    // The marker follows the pointer's row, within the rows a click reaches;
    // each new row is drawn as a click on it.
    const int row = std::clamp(event->position().toPoint().y(), kFirstAxialRow, kLastAxialRow);
    if (row == picture_.scene.setup.position.axialMarkerY) return;
    // A wave picture follows the held button in rays, and in waves when it
    // is let go.
    drawing_.wave = nullptr;
    runAction([this, row] { axialDiagramClick(drawing_, readControls(controls_), row); });
    drawing_.wave = &wavePainter_;
    dragDrewRays_ = dragDrewRays_ || picture_.scene.setup.waveOptics;
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (photoTools_->mouseRelease(event)) return;
    draggingAxial_ = false;
    if (dragDrewRays_) {
        dragDrewRays_ = false;
        const int row = picture_.scene.setup.position.axialMarkerY;
        runAction([this, row] { axialDiagramClick(drawing_, readControls(controls_), row); });
    }
}

bool MainWindow::fillPictureMenu(QMenu& menu, QPoint at) {
    if (clickRegion(at.x(), at.y()) != ClickRegion::Picture) return false;
    menu.setObjectName("PictureMenu");
    menu.addAction("Save Picture…", this, [this] { savePicture(); });
    menu.addAction("Copy Picture", this, [this] { copyPicture(); });
    return true;
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    if (fillPictureMenu(menu, event->pos())) menu.exec(event->globalPos());
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // While the photo is adjusted the arrows move it instead.
    if (photoTools_->keyPress(event)) return;
    // The arrows move the grating, wire or knife: up and down along the
    // axis by one row of the ray diagram, left and right across by one
    // column of the slider.
    switch (event->key()) {
    case Qt::Key_Up: runAction([this] { stepAxialMarker(drawing_, readControls(controls_), -1); }); break;
    case Qt::Key_Down: runAction([this] { stepAxialMarker(drawing_, readControls(controls_), 1); }); break;
    case Qt::Key_Left: runAction([this] { stepTransverseMarker(drawing_, readControls(controls_), -1); }); break;
    case Qt::Key_Right: runAction([this] { stepTransverseMarker(drawing_, readControls(controls_), 1); }); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

void MainWindow::onDrawingAreaPress(int x, int y) {
    runAction([&] { pressOnDrawingArea(drawing_, readControls(controls_), x, y); });
}

void MainWindow::onParameterCellSelected() {
    // Rows 0 to 5; the wavelength is read by the recompute, and a zone
    // height of 0 is kept as it is until then.
    runAction([this] {
        const ControlsReading r = readControls(controls_);
        Scene& scene = picture_.scene;
        scene.mirror.mirrorDiameter = r.parameter(kRowDiameter);
        scene.mirror.radiusOfCurvature = r.parameter(kRowRadius);
        scene.mirror.conicConstant = r.parameter(kRowConic);
        scene.setup.linesPerMm = r.parameter(kRowLinesPerMm);
        scene.setup.position.range = r.parameter(kRowRange);
        scene.mirror.zoneHeight = r.parameter(kRowZoneHeight);
    });
}

void MainWindow::onMaxMoveCellSelected() {
    runAction([this] { picture_.scene.setup.position.maxMove = readControls(controls_).maxMove.get(); });
}

void MainWindow::onGridToggled() { picture_.scene.view.showGrid = controls_.gridBox->isChecked(); }

void MainWindow::onZero() {
    runAction([this] { zeroClick(drawing_, readControls(controls_)); });
}

void MainWindow::onWhite() { picture_.scene.view.whiteMode = !picture_.scene.view.whiteMode; }

void MainWindow::onBrighten() {
    runAction([this] { brightenPicture(drawing_, readControls(controls_)); });
}

void MainWindow::onAnalyseSurface() { windows_.showAnalysisWindow("0", "20"); }

void MainWindow::onInvert() {
    runAction([this] {
        ControlsReading r = readControls(controls_);
        invertZoneHeight(drawing_, r, controls_);
    });
}

void MainWindow::onCreateIrregularSurface() {
    windows_.showEditorWindow();
    picture_.editorOpened = true;
}

void MainWindow::onInformation() { windows_.showInformationWindow(); }

void MainWindow::onFiguringHelp() { windows_.showFiguringWindow(); }

void MainWindow::onFoucaultReduction() { windows_.showReductionWindow(); }
void MainWindow::onLogbook() { windows_.showLogbookWindow(); }

void MainWindow::showReducedSurface(const SimulatorZone& zone) {
    runAction([this, &zone] {
        applySimulatorZone(zone, shape_);
        picture_.scene.mirror = simulatorZoneMirror(zone);
        // The exact trace takes the measured surface itself, the editor its
        // fitted knots.
        picture_.scene.measured = zone.measured;
        picture_.scene.measuredKnots = shape_.knotHeight;
        picture_.scene.setup.wavelength = zone.wavelength;
        controls_.setParameterCell(kRowDiameter, formatGeneral(zone.diameter));
        controls_.setParameterCell(kRowRadius, formatGeneral(zone.radius));
        controls_.setParameterCell(kRowConic, formatGeneral(zone.conic));
        controls_.setParameterCell(kRowZoneHeight, formatGeneral(zone.zoneHeight));
        controls_.setParameterCell(kRowWavelength, formatGeneral(zone.wavelength));
        controls_.surfaceChoice->button(kSurfaceDistorted)->setChecked(true);
        controls_.exactTraceBox->setChecked(true);
        // The pictures of the tester the readings were taken with.
        controls_.setMovingSourceChecked(zone.movingSource);
        pictureClick(drawing_, readControls(controls_));
    });
}

void MainWindow::showFittedModel(const FitResult& result) {
    runAction([this, &result] {
        // The controls as the action finds them, and as it then sets them.
        ControlsReading r = readControls(controls_);
        Scene& scene = picture_.scene;
        scene.setup.position.range = r.parameter(kRowRange);
        applyFitToSetup(result, scene.mirror, scene.setup, shape_);
        const bool zone = result.zone.kind != ZoneKind::None;
        const auto setCell = [this, &r](int row, double value) {
            const std::string text = formatGeneral(value);
            controls_.setParameterCell(row, text);
            r.setParameterText(row, text);
        };
        controls_.setTestItem(r.testItem = kTestRonchi);
        r.orientationItem =
            scene.setup.orientation == Orientation::Horizontal ? kOrientHorizontal : kOrientVertical;
        controls_.setOrientationItem(r.orientationItem);
        controls_.setOddChecked(r.odd = false);
        setCell(kRowDiameter, scene.mirror.mirrorDiameter);
        setCell(kRowRadius, scene.mirror.radiusOfCurvature);
        setCell(kRowConic, scene.mirror.conicConstant);
        setCell(kRowLinesPerMm, scene.setup.linesPerMm);
        if (zone) {
            setCell(kRowZoneHeight, scene.mirror.zoneHeight);
            setCell(kRowWavelength, scene.setup.wavelength);
        }
        r.surfaceItem = zone ? kSurfaceDistorted : kSurfacePure;
        controls_.surfaceChoice->button(r.surfaceItem)->setChecked(true);
        controls_.setMovingSourceChecked(r.movingSource = scene.setup.sourceMoves());
        controls_.setExactTraceChecked(r.exactTrace = scene.setup.exact());
        // The model the fit used, with its light and source.
        controls_.setWaveOpticsChecked(r.waveOptics = scene.setup.waveOptics);
        if (scene.setup.waveOptics) {
            setCell(kRowWavelength, scene.setup.wavelength);
            controls_.setWhiteLightChecked(r.whiteLight = scene.setup.spectrum == Spectrum::White);
            const std::string slit = formatGeneral(scene.setup.slitWidth);
            controls_.setSourceWidthText(slit);
            r.slitWidth = CellReading{scene.setup.slitWidth, {}};
        }
        // The marker at the nearest row; the picture at the fitted position itself.
        const DevicePosition& p = scene.setup.position;
        pictureClick(drawing_, r, PositionOverride{p.axialOffset, p.transverseOffset});
        axialEdit_->setCursorPosition(0);  // the fitted offset's leading digits in view
    });
}

void MainWindow::onCentres() {
    runAction([this] { drawCentreLines(drawing_, readControls(controls_)); });
}

// The conic's read-outs stand for the last drawing's mirror: grey while the
// grid holds another, black again when it holds that one.
void MainWindow::onParameterCellChanged() {
    if (const auto& shown = drawing_.sim.conicReadout) {
        auto holds = [this](int row, double drawn) {
            double v = 0;
            return tryParseCellFloat(controls_.parameterCell(row), kDecimalSeparator, v) && v == drawn;
        };
        shadeConicReadout(drawing_.sim, holds(kRowDiameter, shown->diameter) && holds(kRowRadius, shown->radius) &&
                                            holds(kRowConic, shown->conic) && holds(kRowWavelength, shown->wavelength));
        showChangedPicture();
    }
    if (entriesFollower_) entriesFollower_();
}

void MainWindow::onGettingStarted() { windows_.showGettingStartedWindow(); }

void MainWindow::showExample(int n) {
    runAction([this, n] {
        controls_.surfaceChoice->button(kSurfacePure)->setChecked(true);
        Scene& scene = picture_.scene;
        applyExample(n, scene.mirror, scene.setup, scene.view, controls_);
        // At the example's marker row, the centre of curvature.
        pictureClick(drawing_, readControls(controls_));
    });
}

void MainWindow::onSurfaceChoice() {
    runAction([this] { recompute(drawing_, readControls(controls_)); });
}

FileDialogRequest MainWindow::testDialog(const char* caption) {
    return FileDialogRequest{caption, testFolder_.start(), {"Ronchi Test Files (*.Ron)", "All Files (*)"}, "Ron"};
}

void MainWindow::showSetupFileName(const QString& path) {
    setWindowTitle(QString(kMainTitle) + " — " + QFileInfo(path).fileName());
}

void MainWindow::onSave() { saveSetup(); }

std::optional<SetupRecord> MainWindow::currentSetup() const {
    try {
        return storeSetupInRecord(readControls(controls_), picture_.scene.mirror, picture_.scene.setup, *notesLines_);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool MainWindow::setupChangedSinceSave() const {
    const std::optional<SetupRecord> now = currentSetup();
    return !now || now != savedSetup_;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (closeGuard_ && !closeGuard_()) event->ignore();
    else event->accept();
}

bool MainWindow::saveSetup() {
    bool saved = false;
    runAction([this, &saved] {
        // What the controls show, the test, orientation and "Odd" included.
        const SetupRecord record =
            storeSetupInRecord(readControls(controls_), picture_.scene.mirror, picture_.scene.setup, *notesLines_);
        const std::vector<int> cut = notesTooLong(*notesLines_);
        const std::string lost = notesNotKept(*notesLines_);
        const std::optional<QString> chosen = dialogs_.askSave(this, testDialog("Save Test"));
        if (!chosen) return;
        const QString path = withDefaultSuffix(*chosen, "Ron");
        testFolder_.remember(path);
        try {
            writeTestFile(path, record);
        } catch (const TestFileError& e) {
            throw ActionError(e.what());
        }
        showSetupFileName(path);
        savedSetup_ = record;
        saved = true;
        std::string warning;
        if (!cut.empty()) {
            std::string which;
            for (int k : cut) which += (which.empty() ? "" : ", ") + std::to_string(k);
            warning = "a note holds at most " + std::to_string(kNoteBytes) + " characters: note " + which +
                      " was cut to its first " + std::to_string(kNoteBytes) + ".";
        }
        if (!lost.empty()) warning += (warning.empty() ? "" : " And ") + lost;
        if (!warning.empty()) errors_.showError("Saved, but " + warning);
    });
    return saved;
}

void MainWindow::retrieve(const std::function<std::optional<QString>()>& choose) {
    runAction([&] {
        // A cancelled dialog or a refused file changes nothing at all.
        const std::optional<QString> chosen = choose();
        if (!chosen) return;
        testFolder_.remember(*chosen);
        SetupRecord record;
        try {
            record = readTestFile(*chosen);
        } catch (const TestFileError& e) {
            throw ActionError(e.what());
        }
        applySetupRecord(record, picture_.scene.view, picture_.scene.setup.position.maxMove, controls_,
                         notesLines_.get());
        showSetupFileName(*chosen);
        // The retrieved set-up, drawn at once at its own axial position.
        pictureClick(drawing_, readControls(controls_), PositionOverride{record.axialOffset, std::nullopt});
        savedSetup_ = currentSetup();
    });
}

void MainWindow::onRetrieve() {
    retrieve([this] { return dialogs_.askOpen(this, testDialog("Retrieve Test")); });
}

void MainWindow::retrieveSetup(const QString& path) {
    retrieve([&path] { return std::optional<QString>(path); });
}

void MainWindow::axialPositionEntered() {
    runAction([this] {
        const std::string text = axialEdit_->text().toStdString();
        try {
            const double axial = parseCellFloat(text);
            typedAxialPosition(drawing_, readControls(controls_), axial);
        } catch (const AxialBeyondDiagram& e) {
            // Said beside the read-out, which shows where the picture stands.
            setAxialReadout(formatGeneral(picture_.scene.setup.position.axialOffset));
            axialRefusal_->setText(QString::fromStdString("at most ±" + formatGeneral(e.reach, kDecimalSeparator, 4)));
            axialRefusal_->setToolTip(QString::fromUtf8(e.what()));
            axialRefusal_->show();
            return;
        } catch (const ActionError&) {
            // The read-out shows the position the picture is drawn at again.
            setAxialReadout(formatGeneral(picture_.scene.setup.position.axialOffset));
            throw;
        }
    });
}

QImage MainWindow::keptPicture() const { return pictureWithCaption(canvas_.image(), picture_.scene); }

void MainWindow::savePicture() {
    runAction([this] {
        const std::optional<QString> chosen = dialogs_.askSave(
            this, FileDialogRequest{"Save Picture", pictureFolder_.start(), {"PNG Pictures (*.png)", "All Files (*)"},
                                    "png"});
        if (!chosen) return;
        const QString path = withDefaultSuffix(*chosen, "png");
        pictureFolder_.remember(path);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!keptPicture().save(&buffer, "PNG")) throw ActionError("Cannot encode the picture as PNG.");
        if (const std::optional<QString> reason = saveWholeFile(path, png))
            throw ActionError("Cannot save the picture \"" + path.toStdString() + "\": " + reason->toStdString());
    });
}

void MainWindow::copyPicture() { QGuiApplication::clipboard()->setImage(keptPicture()); }

void MainWindow::keepOptionsBetweenRuns() {
    const std::pair<QCheckBox*, const char*> options[] = {{controls_.movingSourceBox, "options/sourceMovesWithGrating"},
                                                           {controls_.exactTraceBox, "options/exactRayTrace"},
                                                           {controls_.waveOpticsBox, "options/waveOptics"},
                                                           {controls_.whiteLightBox, "options/whiteLight"}};
    for (const auto& [box, key] : options) {
        box->setChecked(settings_.value(key, false).toBool());
        connect(box, &QCheckBox::toggled, this, [this, k = QString(key)](bool on) { settings_.setValue(k, on); });
    }
}

void MainWindow::setAxialReadout(const std::string& text) {
    axialEdit_->setText(QString::fromStdString(text));
    axialRefusal_->hide();
}

void MainWindow::setTransverseUnit(const std::string& text) { controls_.setMoveCell(kMoveRowUnit, text); }

void MainWindow::showWarning(const std::string& line1, const std::string& line2) { windows_.showWarning(line1, line2); }

}  // namespace sg
