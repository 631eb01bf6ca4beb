// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Fit Photo": what the user knows that the photo cannot tell (the side of
// the centre of curvature, a zone and where it lies, the tester's source,
// the light and the source's width, whether diffraction shaped the bands,
// a second photo a known distance along the axis), the fit run off the
// user-interface thread with its progress and a Cancel, the result with its
// uncertainties and warnings, the residual map, and "Apply to simulation".
// The mirror (diameter, radius, ruling, ray model) is the main window's,
// read when the fit starts; the light and the source's width start as the
// main window shows them (its wavelength, "White light" and slit).

#include "widgets/error_reporter.h"
#include "widgets/file_dialogs.h"
#include "fit/photo_fit.h"

#include <QDialog>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace sg {

struct AlignedPhoto;

// A finished fit as "Add to logbook" hands it on: the request and the
// photos' alignments it was made with.
struct FitForLogbook {
    const FitResult* result = nullptr;
    const FitRequest* request = nullptr;
    const PhotoAlignment* first = nullptr;
    QString secondPath;                       // empty without a second photo
    const PhotoAlignment* second = nullptr;
    std::optional<double> separation;         // mm, with a second photo
};

class FitDialog : public QDialog {
    Q_OBJECT
public:
    struct Hooks {
        // The mirror as the main window's grid gives it, with its light and
        // slit; throws ActionError for a cell that is not a number.
        std::function<FitMirror()> mirror;
        // The photo as it lies on the picture's frame now: its brightness
        // for the fit, its colours for the residual map.
        std::function<PhotoAlignment()> firstPhoto;
        std::function<RgbImage()> firstColour;
        // A finished fit, and "Apply to simulation".
        std::function<void(const FitResult&)> fitted;
        std::function<void(const FitResult&)> apply;
        // "Add to logbook"; without it the button is hidden.
        std::function<void(const FitForLogbook&)> addToLogbook;
    };
    FitDialog(QWidget* window, ErrorReporter& errors, FileDialogs& dialogs, DialogFolder& photoFolder, Hooks hooks,
              bool sourceMoves);
    ~FitDialog() override;

    // The buttons' actions.
    void startFit();
    void cancelFit();
    void chooseSecondPhoto();
    void clearSecondPhoto();
    void applyToSimulation();
    void addToLogbook();

    bool running() const { return worker_.joinable(); }
    const std::optional<FitResult>& result() const { return result_; }
    // What the request would be now (the side, zone, source and the
    // mirror); throws ActionError for a value that cannot be used: a cell
    // that is not a number, or what requestFault refuses (with the second
    // photo's separation), in the words shadowgram-fit uses for it.
    FitRequest request() const;
    // The second photo's separation, mm; none without a second photo.
    // Throws ActionError for a text that is not a number.
    std::optional<double> separation() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showProgress(FitStage stage, double fraction);
    void finished(std::shared_ptr<const FitResult> result);
    void failed(PhotoFailure kind, const std::string& message);
    void setRunning(bool on);

    ErrorReporter& errors_;
    FileDialogs& dialogs_;
    DialogFolder& photoFolder_;
    Hooks hooks_;
    QButtonGroup* side_ = nullptr;
    QButtonGroup* zone_ = nullptr;
    QLineEdit* zoneRadius_ = nullptr;
    QButtonGroup* source_ = nullptr;
    QButtonGroup* light_ = nullptr;
    QLineEdit* wavelength_ = nullptr;
    QButtonGroup* slit_ = nullptr;
    QLineEdit* slitWidth_ = nullptr;
    QButtonGroup* model_ = nullptr;
    QLabel* secondName_ = nullptr;
    QLineEdit* separation_ = nullptr;
    QLabel* mirrorLine_ = nullptr;
    QLabel* stage_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPlainTextEdit* text_ = nullptr;
    QLabel* map_ = nullptr;
    QPushButton* fitButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QPushButton* applyButton_ = nullptr;
    QPushButton* logbookButton_ = nullptr;

    std::unique_ptr<AlignedPhoto> second_;
    std::optional<double> pairSeparation_;  // of the fit shown
    std::optional<FitResult> result_;
    // What the fit shown was made with, for the logbook.
    std::optional<FitRequest> fitRequest_;
    std::optional<PhotoAlignment> fitFirst_;
    std::optional<PhotoAlignment> fitSecond_;
    QString fitSecondPath_;
    RgbImage colour_;  // the first photo's colours on the frame as the fit saw it
    std::shared_ptr<std::atomic<bool>> cancel_;
    std::thread worker_;
};

}  // namespace sg
