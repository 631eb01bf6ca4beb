// SPDX-License-Identifier: GPL-3.0-or-later
#include "fit/photo_tools.h"

#include "fit/fit_dialog.h"
#include "model/controls_reading.h"
#include "simulator/positioning.h"
#include "widgets/user_action.h"
#include "widgets/window_placement.h"
#include "widgets/window_style.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sg {

namespace {

constexpr QPointF kFrameCentre{kDiskCentreX, kDiskCentreY};

double length(QPointF p) { return std::hypot(p.x(), p.y()); }
double angleDeg(QPointF p) { return std::atan2(p.y(), p.x()) * 180 / std::numbers::pi; }

const QStringList kPhotoFilters = {"Photos (*.jpg *.jpeg *.png *.JPG *.JPEG *.PNG)", "All Files (*)"};

}  // namespace

struct PhotoTools::Cache {
    unsigned photoSerial = ~0u;  // the overlay's serial the photo's images belong to
    QImage photo;
    std::optional<FrameMask> bright;
    std::optional<std::vector<BandEdge>> photoEdges;
    std::unique_ptr<Scene> litScene;  // the scene the lit map was made for
    FrameMask lit;
    unsigned litVersion = 0;
    QImage difference;
    unsigned differenceLit = ~0u;
    QImage edges;
    unsigned edgesLit = ~0u;
    unsigned edgesFit = ~0u;  // the fit version the edges were drawn for, 0 for none
};

PhotoTools::PhotoTools(QWidget& window, const Scene& scene, ModelControls& controls, std::function<void()> showHelp,
                       ErrorReporter& errors, FileDialogs& dialogs, UserFolder& userFolder, QSettings& settings)
    : QObject(nullptr),
      window_(window),
      scene_(scene),
      controls_(controls),
      showHelp_(std::move(showHelp)),
      errors_(errors),
      dialogs_(dialogs),
      photoFolder_(userFolder, "Photos", &settings),
      cache_(std::make_unique<Cache>()),
      settings_(settings) {
    blinkTimer_ = new QTimer(this);
    blinkTimer_->setInterval(kBlinkMs);
    connect(blinkTimer_, &QTimer::timeout, this, [this] {
        blinkPhoto_ = !blinkPhoto_;
        window_.update();
    });
    createControls();
    updateControls();
}

PhotoTools::~PhotoTools() = default;

void PhotoTools::createControls() {
    // Right of the buttons, within the 1024 pixels the layout is made for.
    constexpr int x = 914, w = 84;
    makeBevel(&window_, 908, 66, 112, 250);
    QLabel* title = makeLabel(&window_, "LabelPhoto", "PHOTO", x + 2, 70);
    title->setFont(withPixelSize(window_.font(), 11, true));
    const auto add = [this](const char* name, const char* caption, int y, int width) {
        auto* b = new QPushButton(caption, &window_);
        b->setObjectName(name);
        b->setGeometry(x, y, width, 23);
        // The keys stay with the window: the arrows move the photo.
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    openButton_ = add("ButtonOpenPhoto", "Open Photo\u2026", 88, w);
    openButton_->setToolTip("Lay a photo of your Ronchi test (JPEG or PNG) over the picture.");
    closeButton_ = add("ButtonClosePhoto", "Close Photo", 114, w);
    adjustButton_ = add("ButtonAdjustPhoto", "Adjust", 144, w);
    adjustButton_->setCheckable(true);
    adjustButton_->setToolTip("While down, drag the photo on the picture: near the rim to scale it, with Shift to "
                              "turn it; the arrows move it.");
    automaticButton_ = add("ButtonAutomaticPhoto", "Automatic", 170, w);
    automaticButton_->setToolTip("Back to the alignment found when the photo was opened.");
    viewBox_ = new QComboBox(&window_);
    viewBox_->setObjectName("PhotoView");
    for (const char* name : kPhotoViewNames) viewBox_->addItem(name);
    viewBox_->setGeometry(x, 200, 100, 22);
    viewBox_->setFocusPolicy(Qt::NoFocus);
    viewBox_->setToolTip("How the photo is shown over the picture (B: Blink on and off).");
    makeLabel(&window_, "LabelPhotoOpacity", "Opacity", x + 2, 226);
    opacitySlider_ = new QSlider(Qt::Horizontal, &window_);
    opacitySlider_->setObjectName("PhotoOpacity");
    opacitySlider_->setRange(0, 100);
    opacitySlider_->setValue(int(std::lround(opacity_ * 100)));
    opacitySlider_->setGeometry(x, 242, 100, 18);
    opacitySlider_->setFocusPolicy(Qt::NoFocus);
    fitButton_ = add("ButtonFitPhoto", "Fit\u2026", 270, w);
    fitButton_->setToolTip("Fit the simulation to the photo: offset, conic and a zone, with their uncertainties.");
    auto* help = new QPushButton("?", &window_);
    help->setObjectName("ButtonPhotoHelp");
    help->setGeometry(1000, 92, 17, 17);
    help->setFont(withPixelSize(window_.font(), 11, true));
    help->setFocusPolicy(Qt::NoFocus);

    connect(openButton_, &QPushButton::clicked, this, [this] { openPhoto(); });
    connect(closeButton_, &QPushButton::clicked, this, [this] { closePhoto(); });
    connect(adjustButton_, &QPushButton::toggled, this, [this](bool on) { setAdjusting(on); });
    connect(automaticButton_, &QPushButton::clicked, this, [this] { automatic(); });
    connect(viewBox_, &QComboBox::activated, this, [this](int i) { setView(static_cast<PhotoViewKind>(i)); });
    connect(opacitySlider_, &QSlider::valueChanged, this, [this](int v) { setOpacity(v / 100.0); });
    connect(fitButton_, &QPushButton::clicked, this, [this] { showFitDialog(); });
    connect(help, &QPushButton::clicked, this, [this] { if (showHelp_) showHelp_(); });
}

void PhotoTools::updateControls() {
    const bool open = overlay_.isOpen();
    for (QWidget* w : {static_cast<QWidget*>(closeButton_), static_cast<QWidget*>(adjustButton_),
                       static_cast<QWidget*>(automaticButton_), static_cast<QWidget*>(viewBox_),
                       static_cast<QWidget*>(fitButton_)})
        w->setEnabled(open);
    opacitySlider_->setEnabled(open && view_ == PhotoViewKind::Blend);
    if (adjustButton_->isChecked() != adjusting_) {
        const QSignalBlocker block(adjustButton_);
        adjustButton_->setChecked(adjusting_);
    }
    if (viewBox_->currentIndex() != static_cast<int>(view_)) viewBox_->setCurrentIndex(static_cast<int>(view_));
}

void PhotoTools::openPhoto() {
    runUserAction(&window_, errors_, [this] {
        const std::optional<QString> chosen =
            dialogs_.askOpen(&window_, FileDialogRequest{"Open Photo", photoFolder_.start(), kPhotoFilters, {}});
        if (chosen) openPhoto(*chosen);
    });
}

void PhotoTools::openPhoto(const QString& path) {
    runUserAction(&window_, errors_, [this, &path] {
        // A photo refused leaves the one shown, and everything else, as it was.
        overlay_.open(path);
        photoFolder_.remember(path);
        fitDialog_.reset();
        fit_.reset();
        photoChanged();
    });
}

bool PhotoTools::showKeptFit(const QString& path, const FrameMapping& mapping, const FitResult& fit) {
    bool shown = false;
    runUserAction(&window_, errors_, [&] {
        overlay_.open(path);
        fitDialog_.reset();
        overlay_.setMapping(mapping);
        fit_ = std::make_unique<FitResult>(fit);
        fitSerial_ = overlay_.serial();
        ++fitVersion_;
        photoChanged();
        shown = true;
    });
    return shown;
}

void PhotoTools::closePhoto() {
    overlay_.close();
    fitDialog_.reset();
    fit_.reset();
    drag_.reset();
    adjusting_ = false;
    blinkTimer_->stop();
    photoChanged();
}

void PhotoTools::photoChanged() {
    if (view_ == PhotoViewKind::Blink && overlay_.isOpen() && !blinkTimer_->isActive()) blinkTimer_->start();
    if (!overlay_.isOpen()) blinkTimer_->stop();
    updateControls();
    window_.update();
}

void PhotoTools::setAdjusting(bool on) {
    adjusting_ = on && overlay_.isOpen();
    drag_.reset();
    // The arrows reach the window only while it has the keyboard.
    if (adjusting_) window_.setFocus(Qt::OtherFocusReason);
    updateControls();
}

void PhotoTools::automatic() {
    overlay_.automatic();
    photoChanged();
}

void PhotoTools::setView(PhotoViewKind view) {
    view_ = view;
    blinkPhoto_ = true;
    if (view == PhotoViewKind::Blink && overlay_.isOpen())
        blinkTimer_->start();
    else
        blinkTimer_->stop();
    updateControls();
    window_.update();
}

void PhotoTools::setOpacity(double opacity) {
    opacity_ = std::clamp(opacity, 0.0, 1.0);
    const int value = int(std::lround(opacity_ * 100));
    if (opacitySlider_->value() != value) opacitySlider_->setValue(value);
    window_.update();
}

void PhotoTools::toggleBlink() {
    if (view_ != PhotoViewKind::Blink) {
        viewBeforeBlink_ = view_;
        setView(PhotoViewKind::Blink);
    } else {
        setView(viewBeforeBlink_);
    }
}

bool PhotoTools::mousePress(QMouseEvent* event) {
    if (!overlay_.isOpen() || !adjusting_ || event->button() != Qt::LeftButton) return false;
    const QPointF at = event->position();
    if (clickRegion(int(at.x()), int(at.y())) != ClickRegion::Picture) return false;
    const RimOnFrame rim = overlay_.rimOnFrame();
    const double fromRim = std::fabs(std::hypot(at.x() - rim.cx, at.y() - rim.cy) - rim.radius);
    Drag d{Drag::Move, at, overlay_.mapping()};
    if (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier))
        d.kind = Drag::Turn;
    else if (fromRim <= kRimGrab && length(at - kFrameCentre) > 20)
        d.kind = Drag::Scale;
    drag_ = d;
    return true;
}

bool PhotoTools::mouseMove(QMouseEvent* event) {
    if (!drag_) return false;
    const QPointF at = event->position();
    switch (drag_->kind) {
    case Drag::Move:
        overlay_.setMapping(movedMapping(drag_->start, at.x() - drag_->from.x(), at.y() - drag_->from.y()));
        break;
    case Drag::Scale: {
        const double now = length(at - kFrameCentre), then = length(drag_->from - kFrameCentre);
        if (now > 1 && then > 1) overlay_.setMapping(scaledMapping(drag_->start, now / then));
        break;
    }
    case Drag::Turn:
        overlay_.setMapping(turnedMapping(drag_->start, angleDeg(at - kFrameCentre) - angleDeg(drag_->from - kFrameCentre)));
        break;
    }
    photoChanged();
    return true;
}

bool PhotoTools::mouseRelease(QMouseEvent*) {
    if (!drag_) return false;
    drag_.reset();
    return true;
}

bool PhotoTools::keyPress(QKeyEvent* event) {
    if (!overlay_.isOpen()) return false;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_B && !(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        toggleBlink();
        return true;
    }
    if (!adjusting_) return false;
    const bool shift = mods & Qt::ShiftModifier;
    const FrameMapping m = overlay_.mapping();
    const double radius = kDiskRadius;
    switch (event->key()) {
    case Qt::Key_Left: overlay_.setMapping(shift ? turnedMapping(m, -0.25) : movedMapping(m, -1, 0)); break;
    case Qt::Key_Right: overlay_.setMapping(shift ? turnedMapping(m, 0.25) : movedMapping(m, 1, 0)); break;
    case Qt::Key_Up: overlay_.setMapping(shift ? scaledMapping(m, (radius + 1) / radius) : movedMapping(m, 0, -1)); break;
    case Qt::Key_Down: overlay_.setMapping(shift ? scaledMapping(m, (radius - 1) / radius) : movedMapping(m, 0, 1)); break;
    default: return false;
    }
    photoChanged();
    return true;
}

const FitResult* PhotoTools::fitOnFrame() const {
    return fit_ && overlay_.isOpen() && fitSerial_ == overlay_.serial() ? fit_.get() : nullptr;
}

const FrameMask& PhotoTools::litMap() {
    Cache& c = *cache_;
    if (!c.litScene || !(*c.litScene == scene_)) {
        const WaveFrame* wave = scene_.setup.waveOptics && waveFrame_ ? waveFrame_() : nullptr;
        c.lit = wave ? waveLitMap(*wave) : simulationLitMap(scene_);
        c.litScene = std::make_unique<Scene>(scene_);
        ++c.litVersion;
    }
    return c.lit;
}

const FrameMask& PhotoTools::brightMap() {
    if (!cache_->bright) cache_->bright = photoBrightMap(overlay_.frameGrey());
    return *cache_->bright;
}

void PhotoTools::paint(QPainter& p, const QImage& canvas) {
    if (!overlay_.isOpen()) return;
    Cache& c = *cache_;
    if (c.photoSerial != overlay_.serial()) {
        c.photoSerial = overlay_.serial();
        c.photo = frameImage(overlay_.frameColour());
        c.bright.reset();
        c.photoEdges.reset();
        c.differenceLit = c.edgesLit = ~0u;
    }
    p.save();
    switch (view_) {
    case PhotoViewKind::Blend:
        clipToOverlay(p);
        p.setOpacity(opacity_);
        p.drawImage(0, 0, c.photo);
        break;
    case PhotoViewKind::Blink:
        clipToOverlay(p);
        if (blinkPhoto_) p.drawImage(0, 0, c.photo);
        break;
    case PhotoViewKind::Difference: {
        const FrameMask& lit = litMap();
        if (c.differenceLit != c.litVersion) {
            c.difference = differenceImage(brightMap(), lit);
            c.differenceLit = c.litVersion;
        }
        p.drawImage(0, 0, c.difference);
        break;
    }
    case PhotoViewKind::SideBySide:
        paintSideBySide(p, canvas, c.photo);
        p.restore();
        return;
    case PhotoViewKind::Edges: {
        const FitResult* fit = fitOnFrame();
        const FrameMask& lit = litMap();
        const unsigned fitKey = fit ? fitVersion_ : 0;
        if (c.edgesLit != c.litVersion || c.edgesFit != fitKey) {
            if (!c.photoEdges) c.photoEdges = extractEdges(overlay_.frameGrey(), overlay_.mapping().bands);
            c.edges = edgesImage(overlay_.frameGrey(), fit ? fittedEdgeMask(*fit) : bandEdgeMask(lit), *c.photoEdges);
            c.edgesLit = c.litVersion;
            c.edgesFit = fitKey;
        }
        p.drawImage(0, 0, c.edges);
        break;
    }
    }
    p.restore();
    paintRim(p, overlay_.rimOnFrame());
}

void PhotoTools::showFitDialog() {
    if (!overlay_.isOpen()) return;
    if (!fitDialog_) {
        FitDialog::Hooks hooks;
        hooks.mirror = [this] {
            const ControlsReading r = readControls(controls_);
            FitMirror m;
            m.diameter = r.parameter(kRowDiameter);
            m.radius = r.parameter(kRowRadius);
            m.linesPerMm = r.parameter(kRowLinesPerMm);
            m.wavelength = r.parameter(kRowWavelength);
            m.sourceMoves = r.movingSource;
            m.exact = r.exactTrace;
            m.spectrum = r.whiteLight ? Spectrum::White : Spectrum::Mono;
            // The slit as the picture takes it: only with the exact trace.
            const double slit = r.exactTrace || r.waveOptics ? r.slitWidth.get() : 0;
            if (slit > 0) m.source = LightSource::Slit, m.slitWidth = slit;
            return m;
        };
        hooks.firstPhoto = [this] {
            startedSerial_ = overlay_.serial();
            return overlay_.alignment();
        };
        hooks.firstColour = [this] { return overlay_.frameColour(); };
        hooks.fitted = [this](const FitResult& r) {
            fit_ = std::make_unique<FitResult>(r);
            fitSerial_ = startedSerial_;
            ++fitVersion_;
            window_.update();
        };
        hooks.apply = [this](const FitResult& r) {
            if (apply_) apply_(r);
        };
        if (logbookAdder_)
            hooks.addToLogbook = [this](const FitForLogbook& f) { logbookAdder_(f, overlay_.path()); };
        fitDialog_ = std::make_unique<FitDialog>(&window_, errors_, dialogs_, photoFolder_, std::move(hooks),
                                                 controls_.movingSourceChecked());
        auto* keeper = new PlaceKeeper(*fitDialog_, settings_, "fitDialog");  // owned by the dialog
        // Its size as it will show: at least what its contents need.
        fitDialog_->resize(fitDialog_->size().expandedTo(fitDialog_->minimumSizeHint()));
        // Placed by the program, also where no window manager places it:
        // where it hides the least of the mirror, then of the photo's
        // controls, nearest the window's right below those controls; or
        // where the user last moved it.
        const int x = std::max(110, window_.width() - fitDialog_->width() - 4);
        const int y = std::max(0, std::min(320, window_.height() - fitDialog_->height() - 4));
        const QScreen* screen = window_.screen();
        const QRect available = screen != nullptr ? screen->availableGeometry() : QRect();
        const std::vector<KeepClear> keep = {pictureDiskOnScreen(window_),
                                             {QRect(window_.mapToGlobal(QPoint(908, 66)), QSize(112, 250)), false}};
        keeper->place(available.isValid()
                             ? leastCoveringPlace(available, fitDialog_->frameGeometry().size(), keep,
                                                  window_.mapToGlobal(QPoint(x, y)))
                             : window_.mapToGlobal(QPoint(x, y)));
    }
    fitDialog_->show();
    fitDialog_->raise();
    fitDialog_->activateWindow();
}

}  // namespace sg
