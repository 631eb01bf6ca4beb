// SPDX-License-Identifier: GPL-3.0-or-later
#include "fit/fit_dialog.h"

#include "model/number_text.h"
#include "model/failure.h"
#include "fit/fit_result_text.h"
#include "fit/photo_overlay.h"
#include "widgets/user_action.h"
#include "widgets/window_style.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>

namespace sg {

namespace {

// The choices' ids in their button groups.
enum SideChoice { kSideInside, kSideOutside, kSideUnknown };
enum ZoneChoice { kZoneNone, kZoneEdge, kZoneCentre };
enum SourceChoice { kSourceFixed, kSourceMoving };
enum LightChoice { kLightRed, kLightWhite, kLightNumber };
enum SlitChoice { kSlitPoint, kSlitWidth, kSlitGrating };
enum ModelChoice { kModelWaves, kModelRays };

constexpr double kRedLed = 0.63;  // micrometres

QButtonGroup* radioGroup(QWidget* dialog, QGroupBox* box, QVBoxLayout* layout,
                         std::initializer_list<std::pair<const char*, const char*>> items, int checked) {
    auto* group = new QButtonGroup(dialog);
    int id = 0;
    for (const auto& [name, caption] : items) {
        auto* b = new QRadioButton(caption, box);
        b->setObjectName(name);
        group->addButton(b, id);
        layout->addWidget(b);
        if (id == checked) b->setChecked(true);
        ++id;
    }
    return group;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

// The values as the window names them in its messages.
FitValueNames windowNames() {
    return {"the mirror's diameter (D)", "the radius of curvature (R)", "the ruling (Line/mm)",
            "the wavelength", "the zone's radius", "the separation", "the slit's width"};
}

// A message of requestFault as a sentence.
std::string sentence(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = char(text[0] - 'a' + 'A');
    return text + ".";
}

std::string mirrorSummary(const FitMirror& m) {
    return "Mirror from the main window: D " + formatGeneral(m.diameter) + " mm, R " + formatGeneral(m.radius) +
           " mm, " + formatGeneral(m.linesPerMm) + " lines/mm, " + (m.exact ? "exact ray trace" : "two-term series");
}

// A row of radio buttons with, after the last, a box for its number.
QButtonGroup* radioRow(QWidget* dialog, QGroupBox* box, QGridLayout* layout, int row,
                       std::initializer_list<std::pair<const char*, const char*>> items, int checked) {
    auto* group = new QButtonGroup(dialog);
    int id = 0;
    for (const auto& [name, caption] : items) {
        auto* b = new QRadioButton(caption, box);
        b->setObjectName(name);
        group->addButton(b, id);
        layout->addWidget(b, row, id);
        if (id == checked) b->setChecked(true);
        ++id;
    }
    return group;
}

}  // namespace

FitDialog::FitDialog(QWidget* window, ErrorReporter& errors, FileDialogs& dialogs, DialogFolder& photoFolder,
                     Hooks hooks, bool sourceMoves)
    : QDialog(window), errors_(errors), dialogs_(dialogs), photoFolder_(photoFolder), hooks_(std::move(hooks)) {
    setObjectName("FitDialog");
    setWindowTitle("Fit Photo");
    applyWindowStyle(this);
    setModal(false);

    auto* columns = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left, 0);
    columns->addLayout(right, 1);

    auto* sideBox = new QGroupBox("Grating and the centre of curvature", this);
    auto* sideLayout = new QVBoxLayout(sideBox);
    side_ = radioGroup(this, sideBox, sideLayout,
                       {{"SideInside", "Inside (nearer the mirror)"},
                        {"SideOutside", "Outside (farther from the mirror)"},
                        {"SideUnknown", "Don't know"}},
                       kSideUnknown);
    left->addWidget(sideBox);

    auto* zoneBox = new QGroupBox("Zone", this);
    auto* zoneLayout = new QVBoxLayout(zoneBox);
    zone_ = radioGroup(this, zoneBox, zoneLayout,
                       {{"ZoneNone", "None: a pure conic"},
                        {"ZoneEdge", "Turned edge, from the radius below"},
                        {"ZoneCentre", "Central zone, out to the radius below"}},
                       kZoneNone);
    auto* radiusRow = new QHBoxLayout;
    radiusRow->addWidget(new QLabel("Radius (fraction of the mirror's)", zoneBox));
    zoneRadius_ = new QLineEdit("0.8", zoneBox);
    zoneRadius_->setObjectName("ZoneRadius");
    zoneRadius_->setMaximumWidth(60);
    radiusRow->addWidget(zoneRadius_);
    zoneLayout->addLayout(radiusRow);
    left->addWidget(zoneBox);

    auto* sourceBox = new QGroupBox("Tester's source", this);
    auto* sourceLayout = new QVBoxLayout(sourceBox);
    source_ = radioGroup(this, sourceBox, sourceLayout,
                         {{"SourceFixed", "Fixed at the centre of curvature"},
                          {"SourceMoving", "Moves with the grating"}},
                         sourceMoves ? kSourceMoving : kSourceFixed);
    left->addWidget(sourceBox);

    // The light and the source as the main window shows them.
    FitMirror shown;
    try {
        shown = hooks_.mirror();
    } catch (const ActionError&) {
    }
    auto* lightBox = new QGroupBox("Light, source and diffraction", this);
    auto* lightLayout = new QGridLayout(lightBox);
    lightLayout->setVerticalSpacing(2);
    const int lightChoice = shown.spectrum == Spectrum::White ? kLightWhite
                            : shown.wavelength == kRedLed    ? kLightRed
                                                             : kLightNumber;
    light_ = radioRow(this, lightBox, lightLayout, 0,
                      {{"LightRed", "Red LED 0.63 \u00b5m"}, {"LightWhite", "White"}, {"LightNumber", "\u00b5m"}},
                      lightChoice);
    wavelength_ = new QLineEdit(QString::fromStdString(formatGeneral(shown.wavelength)), lightBox);
    wavelength_->setObjectName("Wavelength");
    wavelength_->setMaximumWidth(60);
    wavelength_->setMinimumWidth(52);
    wavelength_->setToolTip("The light's wavelength in micrometres; zone heights are counted in it too");
    lightLayout->addWidget(wavelength_, 0, 3);
    const double shownSlit = sourceWidth(shown);
    slit_ = radioRow(this, lightBox, lightLayout, 1,
                     {{"SourcePoint", "Point"}, {"SourceGrating", "Lit grating"}, {"SourceSlit", "Slit mm"}},
                     shownSlit > 0 ? kSlitWidth : kSlitPoint);
    // The ids follow the choice, whatever the order on the row.
    slit_->setId(slit_->button(1), kSlitGrating);
    slit_->setId(slit_->button(2), kSlitWidth);
    slit_->button(kSlitGrating)->setToolTip("The grating itself lit from behind: a slit half the grating's period wide");
    slitWidth_ = new QLineEdit(QString::fromStdString(formatGeneral(shownSlit)), lightBox);
    slitWidth_->setObjectName("SlitWidth");
    slitWidth_->setMaximumWidth(60);
    slitWidth_->setMinimumWidth(52);
    slitWidth_->setToolTip("The source's width across the grating's lines, mm");
    lightLayout->addWidget(slitWidth_, 1, 3);
    model_ = radioRow(this, lightBox, lightLayout, 2,
                      {{"ModelWaves", "A photo: diffraction"}, {"ModelRays", "Drawn by rays"}}, kModelWaves);
    model_->button(kModelWaves)->setToolTip("The bands as a camera sees them, shaped by diffraction: the fit draws "
                                            "the wave picture in the light and from the source given");
    model_->button(kModelRays)->setToolTip("A picture the program's ray passes drew: the fit uses rays alone");
    left->addWidget(lightBox);

    auto* secondBox = new QGroupBox("Second photo (optional)", this);
    auto* secondLayout = new QGridLayout(secondBox);
    QPushButton* choose = button(secondBox, "SecondPhoto", "Second Photo\u2026");
    QPushButton* clear = button(secondBox, "ClearSecondPhoto", "Clear");
    secondName_ = new QLabel("none", secondBox);
    secondName_->setObjectName("SecondPhotoName");
    separation_ = new QLineEdit(secondBox);
    separation_->setObjectName("Separation");
    separation_->setMaximumWidth(60);
    separation_->setToolTip("The second photo's grating position minus the first's, mm on the tester's scale "
                            "(positive: farther from the mirror)");
    secondLayout->addWidget(choose, 0, 0);
    secondLayout->addWidget(clear, 0, 1);
    secondLayout->addWidget(secondName_, 1, 0, 1, 2);
    secondLayout->addWidget(new QLabel("Separation (mm)", secondBox), 2, 0);
    secondLayout->addWidget(separation_, 2, 1);
    left->addWidget(secondBox);
    connect(choose, &QPushButton::clicked, this, [this] { chooseSecondPhoto(); });
    connect(clear, &QPushButton::clicked, this, [this] { clearSecondPhoto(); });

    auto* runRow = new QHBoxLayout;
    fitButton_ = button(this, "FitButton", "Fit");
    cancelButton_ = button(this, "CancelButton", "Cancel");
    runRow->addWidget(fitButton_);
    runRow->addWidget(cancelButton_);
    left->addLayout(runRow);
    stage_ = new QLabel(" ", this);
    stage_->setObjectName("FitStage");
    left->addWidget(stage_);
    progress_ = new QProgressBar(this);
    progress_->setObjectName("FitProgress");
    progress_->setRange(0, 100);
    progress_->setValue(0);
    left->addWidget(progress_);
    left->addStretch(1);
    connect(fitButton_, &QPushButton::clicked, this, [this] { startFit(); });
    connect(cancelButton_, &QPushButton::clicked, this, [this] { cancelFit(); });

    mirrorLine_ = new QLabel(" ", this);
    mirrorLine_->setObjectName("MirrorLine");
    mirrorLine_->setWordWrap(true);
    right->addWidget(mirrorLine_);
    text_ = new QPlainTextEdit(this);
    text_->setObjectName("FitResultText");
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QFont mono("DejaVu Sans Mono");
    mono.setPixelSize(11);
    text_->setFont(mono);
    text_->setMinimumHeight(150);
    right->addWidget(text_, 1);
    map_ = new QLabel(this);
    map_->setObjectName("ResidualMap");
    map_->setFixedSize(260, 260);
    map_->setAlignment(Qt::AlignCenter);
    map_->setStyleSheet("background: black");
    right->addWidget(map_, 0, Qt::AlignHCenter);
    auto* legend = new QLabel("Edges by their distance from the fitted model: green 0, yellow 0.5, red 1 pixel or "
                              "more; grey: left out",
                              this);
    legend->setWordWrap(true);
    right->addWidget(legend);
    auto* endRow = new QHBoxLayout;
    applyButton_ = button(this, "ApplyButton", "Apply to simulation");
    logbookButton_ = button(this, "AddToLogbookButton", "Add to logbook");
    logbookButton_->setToolTip("Keep the photo, its alignment and the fit in the mirror's logbook.");
    QPushButton* close = button(this, "CloseButton", "Close");
    endRow->addStretch(1);
    endRow->addWidget(logbookButton_);
    endRow->addWidget(applyButton_);
    endRow->addWidget(close);
    right->addLayout(endRow);
    connect(applyButton_, &QPushButton::clicked, this, [this] { applyToSimulation(); });
    connect(logbookButton_, &QPushButton::clicked, this, [this] { addToLogbook(); });
    logbookButton_->setVisible(bool(hooks_.addToLogbook));
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    try {
        mirrorLine_->setText(QString::fromStdString(mirrorSummary(hooks_.mirror())));
    } catch (const ActionError&) {
        mirrorLine_->setText("Mirror from the main window: a cell of its grid is not a number");
    }
    setRunning(false);
    applyButton_->setEnabled(false);
    logbookButton_->setEnabled(false);
    resize(600, 680);
}

FitDialog::~FitDialog() {
    if (worker_.joinable()) {
        cancel_->store(true);
        worker_.join();
    }
}

FitRequest FitDialog::request() const {
    FitRequest r;
    r.mirror = hooks_.mirror();
    r.mirror.sourceMoves = source_->checkedId() == kSourceMoving;
    r.mirror.model = model_->checkedId() == kModelRays ? FitModel::Rays : FitModel::Waves;
    r.mirror.spectrum = light_->checkedId() == kLightWhite ? Spectrum::White : Spectrum::Mono;
    // White light counts zone heights in the number's wavelength.
    r.mirror.wavelength =
        light_->checkedId() == kLightRed ? kRedLed : parseCellFloat(wavelength_->text().toStdString());
    r.mirror.source = LightSource::Point;
    r.mirror.slitWidth = 0;
    if (slit_->checkedId() == kSlitGrating) {
        r.mirror.source = LightSource::Grating;
    } else if (slit_->checkedId() == kSlitWidth) {
        r.mirror.slitWidth = parseCellFloat(slitWidth_->text().toStdString());
        r.mirror.source = r.mirror.slitWidth == 0 ? LightSource::Point : LightSource::Slit;
    }
    switch (side_->checkedId()) {
    case kSideInside: r.side = Side::Inside; break;
    case kSideOutside: r.side = Side::Outside; break;
    default: r.side = Side::Unknown; break;
    }
    const int zone = zone_->checkedId();
    if (zone != kZoneNone) {
        const double start = parseCellFloat(zoneRadius_->text().toStdString());
        r.zone = ZoneShape{zone == kZoneEdge ? ZoneKind::Edge : ZoneKind::Centre, start};
        r.mirror.exact = true;  // a zone's height is a true height only in the exact trace
    }
    // The values the fit can take, in the same words as shadowgram-fit's.
    if (const std::optional<std::string> fault = requestFault(r, separation(), windowNames()))
        throw ActionError(sentence(*fault));
    return r;
}

std::optional<double> FitDialog::separation() const {
    if (!second_) return std::nullopt;
    return parseCellFloat(separation_->text().toStdString());
}

void FitDialog::startFit() {
    runUserAction(this, errors_, [this] {
        if (running()) return;
        const FitRequest req = request();
        mirrorLine_->setText(QString::fromStdString(mirrorSummary(req.mirror)));
        const std::optional<double> separation = this->separation();
        std::optional<PhotoAlignment> second;
        if (second_) second = second_->found;
        PhotoAlignment first = hooks_.firstPhoto();
        colour_ = hooks_.firstColour ? hooks_.firstColour() : RgbImage{};
        result_.reset();
        fitRequest_ = req;
        fitFirst_ = first;
        fitSecond_ = second;
        fitSecondPath_ = second_ ? second_->path : QString();
        pairSeparation_ = separation;
        text_->clear();
        map_->clear();
        applyButton_->setEnabled(false);
        logbookButton_->setEnabled(false);
        cancel_ = std::make_shared<std::atomic<bool>>(false);
        setRunning(true);
        stage_->setText(QString(fitStageCaption(FitStage::Edges)) + "\u2026");
        progress_->setValue(0);
        // The fit works on its own copies; it reaches the dialog only
        // through events queued to this thread, which die with the dialog.
        worker_ = std::thread([this, first = std::move(first), second = std::move(second), separation, req,
                               cancel = cancel_] {
            FitControl control;
            control.cancel = cancel.get();
            FitStage lastStage = FitStage::Edges;
            double lastFraction = -1;
            control.progress = [this, &lastStage, &lastFraction](FitStage stage, double fraction) {
                if (stage == lastStage && fraction < lastFraction + 0.02 && fraction < 1) return;
                lastStage = stage;
                lastFraction = fraction;
                QMetaObject::invokeMethod(this, [this, stage, fraction] { showProgress(stage, fraction); },
                                          Qt::QueuedConnection);
            };
            try {
                auto result = std::make_shared<const FitResult>(
                    second ? fitPhotoPair(first, *second, *separation, req, control) : fitPhoto(first, req, control));
                QMetaObject::invokeMethod(this, [this, result] { finished(result); }, Qt::QueuedConnection);
            } catch (const PhotoError& e) {
                const PhotoFailure kind = e.kind();
                const std::string message = e.what();
                QMetaObject::invokeMethod(this, [this, kind, message] { failed(kind, message); }, Qt::QueuedConnection);
            } catch (const std::exception& e) {
                const std::string message = e.what();
                QMetaObject::invokeMethod(this, [this, message] { failed(PhotoFailure::NoFit, message); },
                                          Qt::QueuedConnection);
            }
        });
    });
}

void FitDialog::cancelFit() {
    if (!running()) return;
    cancel_->store(true);
    stage_->setText("Cancelling\u2026");
}

void FitDialog::showProgress(FitStage stage, double fraction) {
    if (!running()) return;
    stage_->setText(QString(fitStageCaption(stage)) + "\u2026");
    progress_->setValue(int(std::lround(std::clamp(fraction, 0.0, 1.0) * 100)));
}

void FitDialog::setRunning(bool on) {
    fitButton_->setEnabled(!on);
    cancelButton_->setEnabled(on);
}

void FitDialog::finished(std::shared_ptr<const FitResult> result) {
    if (worker_.joinable()) worker_.join();
    setRunning(false);
    result_ = *result;
    stage_->setText(QString("Fitted in ") + QString::fromStdString(formatFixed(result_->seconds, 15, 1)) + " s");
    progress_->setValue(100);
    text_->setPlainText(QString::fromStdString(fitResultText(*result_, pairSeparation_)));
    if (colour_.width > 0)
        map_->setPixmap(QPixmap::fromImage(residualMap(colour_, *result_)
                                               .scaled(map_->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    applyButton_->setEnabled(true);
    logbookButton_->setEnabled(true);
    if (hooks_.fitted) hooks_.fitted(*result_);
}

void FitDialog::failed(PhotoFailure kind, const std::string& message) {
    if (worker_.joinable()) worker_.join();
    setRunning(false);
    progress_->setValue(0);
    if (kind == PhotoFailure::Cancelled) {
        stage_->setText("Cancelled");
        return;
    }
    stage_->setText("Failed");
    text_->setPlainText(QString::fromStdString("The fit failed: " + message + "."));
    errors_.showError("The fit failed: " + message + ".");
}

void FitDialog::chooseSecondPhoto() {
    runUserAction(this, errors_, [this] {
        const std::optional<QString> chosen = dialogs_.askOpen(
            this, FileDialogRequest{"Open Second Photo", photoFolder_.start(),
                                    {"Photos (*.jpg *.jpeg *.png *.JPG *.JPEG *.PNG)", "All Files (*)"}, {}});
        if (!chosen) return;
        photoFolder_.remember(*chosen);
        auto photo = std::make_unique<AlignedPhoto>(readAlignedPhoto(*chosen));
        second_ = std::move(photo);
        secondName_->setText(QFileInfo(*chosen).fileName());
    });
}

void FitDialog::clearSecondPhoto() {
    second_.reset();
    secondName_->setText("none");
}

void FitDialog::applyToSimulation() {
    if (!result_ || !hooks_.apply) return;
    const FitResult r = *result_;
    hooks_.apply(r);
}

void FitDialog::addToLogbook() {
    if (!result_ || !fitRequest_ || !fitFirst_ || !hooks_.addToLogbook) return;
    FitForLogbook f;
    f.result = &*result_;
    f.request = &*fitRequest_;
    f.first = &*fitFirst_;
    if (fitSecond_) {
        f.secondPath = fitSecondPath_;
        f.second = &*fitSecond_;
        f.separation = pairSeparation_;
    }
    hooks_.addToLogbook(f);
}

void FitDialog::closeEvent(QCloseEvent* event) {
    cancelFit();
    QDialog::closeEvent(event);
}

}  // namespace sg
