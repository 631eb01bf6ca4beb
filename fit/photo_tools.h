// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's photo controls, right of its buttons: "Open Photo…",
// "Close Photo", "Adjust", "Automatic", the view selector with the blend's
// opacity, "Fit…" and its help. They own the overlay, draw its view over
// the picture (the picture itself is never changed), take the presses and
// keys that adjust the photo, and open the fit dialog.
//
// While "Adjust" is down, a press on the picture drags the photo instead
// of placing the grating: the photo follows the pointer; a press within
// kRimGrab pixels of the found rim scales it about the mirror's centre, a
// press with Shift or Ctrl turns it about the centre. The arrows move it by
// a pixel, Shift+Up and Shift+Down scale it by a pixel of the rim's radius,
// Shift+Left and Shift+Right turn it by a quarter of a degree. B toggles
// the Blink view in any case.

#include "widgets/error_reporter.h"
#include "widgets/file_dialogs.h"
#include "simulator/scene.h"
#include "wave/wave_picture.h"
#include "model/model_controls.h"
#include "fit/photo_overlay.h"
#include "fit/photo_views.h"

#include <QObject>
#include <QPointF>

#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QKeyEvent;
class QMouseEvent;
class QPainter;
class QPushButton;
class QSettings;
class QSlider;
class QTimer;
class QWidget;

namespace sg {

class FitDialog;
struct FitForLogbook;
struct FitResult;

class PhotoTools : public QObject {
    Q_OBJECT
public:
    PhotoTools(QWidget& window, const Scene& scene, ModelControls& controls, std::function<void()> showHelp,
               ErrorReporter& errors, FileDialogs& dialogs, UserFolder& userFolder, QSettings& settings);
    ~PhotoTools() override;

    // What "Apply to simulation" does with a fit.
    void setFitApplier(std::function<void(const FitResult&)> apply) { apply_ = std::move(apply); }
    // Who "Add to logbook" of the fit dialog goes to, with the first
    // photo's file; without one the dialog has no such button.
    void setLogbookAdder(std::function<void(const FitForLogbook&, const QString& photoPath)> add) {
        logbookAdder_ = std::move(add);
    }
    // A photo kept with its fit: opened from `path`, laid on the frame by
    // `mapping`, with `fit` as the fit on the frame (the Edges view draws
    // its edges). False, with the message shown, when the photo cannot be
    // opened.
    bool showKeptFit(const QString& path, const FrameMapping& mapping, const FitResult& fit);
    // Where the picture's intensities come from when it is drawn in wave
    // optics: the views then compare the photo with the wave picture, lit
    // where it is brighter than half the unobstructed mirror.
    void setWaveFrame(std::function<const WaveFrame*()> frame) { waveFrame_ = std::move(frame); }

    // The main window's events, offered to the photo first: true when it
    // took them.
    bool mousePress(QMouseEvent* event);
    bool mouseMove(QMouseEvent* event);
    bool mouseRelease(QMouseEvent* event);
    bool keyPress(QKeyEvent* event);
    // The view over the picture, painted after the picture.
    void paint(QPainter& p, const QImage& canvas);

    // The controls' actions.
    void openPhoto();
    void openPhoto(const QString& path);
    void closePhoto();
    void setAdjusting(bool on);
    void automatic();
    void setView(PhotoViewKind view);
    void setOpacity(double opacity);  // 0..1, the Blend view's
    void toggleBlink();
    void showFitDialog();

    PhotoOverlay& overlay() { return overlay_; }
    PhotoViewKind view() const { return view_; }
    bool adjusting() const { return adjusting_; }
    double opacity() const { return opacity_; }
    bool blinkShowsPhoto() const { return blinkPhoto_; }
    QTimer* blinkTimer() const { return blinkTimer_; }
    FitDialog* fitDialog() const { return fitDialog_.get(); }
    // The fit whose edges the Edges view draws: the last finished on the
    // photo as it lies now.
    const FitResult* fitOnFrame() const;

    // Grabbing the rim: within this many pixels of it.
    static constexpr double kRimGrab = 10;
    // The blink's half period, ms: the photo and the simulation each this long.
    static constexpr int kBlinkMs = 250;

private:
    void createControls();
    void photoChanged();
    void updateControls();
    const FrameMask& litMap();
    const FrameMask& brightMap();

    QWidget& window_;
    const Scene& scene_;  // what the window's picture shows
    ModelControls& controls_;
    std::function<void()> showHelp_;  // the help window on photos and their fit
    ErrorReporter& errors_;
    FileDialogs& dialogs_;
    DialogFolder photoFolder_;
    std::function<void(const FitResult&)> apply_;
    std::function<const WaveFrame*()> waveFrame_;
    std::function<void(const FitForLogbook&, const QString&)> logbookAdder_;

    PhotoOverlay overlay_;
    PhotoViewKind view_ = PhotoViewKind::Blend;
    PhotoViewKind viewBeforeBlink_ = PhotoViewKind::Blend;
    double opacity_ = 0.5;
    bool adjusting_ = false;
    bool blinkPhoto_ = true;

    struct Drag {
        enum Kind { Move, Scale, Turn } kind;
        QPointF from;
        FrameMapping start;
    };
    std::optional<Drag> drag_;

    // What the views draw, kept until the photo or the simulation changes.
    struct Cache;
    std::unique_ptr<Cache> cache_;
    std::unique_ptr<FitResult> fit_;
    unsigned fitSerial_ = 0;     // the overlay's serial the fit was made on
    unsigned startedSerial_ = 0;  // the serial of the photo handed to the running fit
    unsigned fitVersion_ = 0;     // counts the fits finished

    QPushButton* openButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QPushButton* adjustButton_ = nullptr;
    QPushButton* automaticButton_ = nullptr;
    QComboBox* viewBox_ = nullptr;
    QSlider* opacitySlider_ = nullptr;
    QPushButton* fitButton_ = nullptr;
    QTimer* blinkTimer_ = nullptr;
    QSettings& settings_;
    std::unique_ptr<FitDialog> fitDialog_;
};

}  // namespace sg
