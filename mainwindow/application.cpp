// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/application.h"

#include "editor/editor_placement.h"
#include "fit/photo_fit.h"
#include "model/number_text.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace sg {

namespace {
void showOrRaise(QWidget* w) {
    w->show();
    w->raise();
    w->activateWindow();
}
}  // namespace

ShadowgramApp::ShadowgramApp(ErrorReporter& errors, FileDialogs* dialogs, QString userFolder, Questions* questions)
    : dialogs_(dialogs != nullptr ? *dialogs : qtDialogs_),
      questions_(questions != nullptr ? *questions : boxQuestions_),
      userFolder_(userFolder.isEmpty() ? defaultUserFolder() : std::move(userFolder), errors) {
    mainWindow_ = std::make_unique<MainWindow>(shape_, *this, errors, dialogs_, userFolder_, settings_);
    warning_ = std::make_unique<WarningWindow>(mainWindow_.get());
    information_ = std::make_unique<InformationWindow>(mainWindow_.get());
    editor_ = std::make_unique<SurfaceEditorWindow>(mainWindow_.get(), shape_, mainWindow_->scene().mirror,
                                                         mainWindow_->controls(), errors, dialogs_, userFolder_, settings_,
                                                         questions_);
    mainWindow_->setCloseGuard([this] { return mayClose(); });
    // The editor's statistics follow Zone Ht, the wavelength and the diameter as they are typed.
    mainWindow_->setEntriesFollower([this] { editor_->editor().followEntries(); });
    gettingStarted_ = std::make_unique<GettingStartedWindow>(mainWindow_.get());
    gettingStartedPlace_ = new PlaceKeeper(*gettingStarted_, settings_, "gettingStarted");
    gettingStarted_->setExampleShower([this](int n) { mainWindow_->showExample(n); });
    figuring_ = std::make_unique<FiguringWindow>(mainWindow_.get());
    analysis_ = std::make_unique<AnalysisWindow>(mainWindow_.get(), shape_, mainWindow_->scene().mirror, mainWindow_->controls(), errors);
    help_ = createHelpWindows(mainWindow_.get());
    reduction_ = std::make_unique<ReductionWindow>(errors, dialogs_, userFolder_, settings_);
    // The editor takes the shape first (an undo step there, and the profile
    // the series model reads), then the main window draws it.
    reduction_->setSimulatorShower([this](const SimulatorZone& zone) {
        // A shape drawn and not saved is not replaced unasked; the knots of
        // an earlier measured surface are.
        const Scene& scene = mainWindow_->scene();
        const bool measuredKnots = !scene.measured.empty() && shape_.knotHeight == scene.measuredKnots;
        if (editor_->editor().hasUnsavedShape() && !measuredKnots &&
            !questions_.confirm(reduction_.get(), kReplaceDrawnShapeQuestion))
            return false;
        editor_->showShape(zone.knotHeight);
        mainWindow_->showReducedSurface(zone);
        editor_->onShowSurface();  // its statistics with the new zone height
        showOrRaise(mainWindow_.get());
        return true;
    });
    // A fitted zone goes the same way: the editor takes its knots first.
    mainWindow_->setFitShower([this](const FitResult& result) {
        const bool zone = result.zone.kind != ZoneKind::None;
        if (zone) editor_->showShape(zoneKnots(result.zone));
        mainWindow_->showFittedModel(result);
        if (zone) editor_->onShowSurface();
    });
    focusConnection_ = QObject::connect(qGuiApp, &QGuiApplication::focusWindowChanged, mainWindow_.get(),
                                        [this](QWindow* now) { focusChanged(now); });
}

ShadowgramApp::~ShadowgramApp() { QObject::disconnect(focusConnection_); }

void ShadowgramApp::start() {
    // Maximised, also where no window manager maximises it, and never smaller
    // than the 1024 x 768 screen the layout is made for.
    if (const QScreen* screen = mainWindow_->screen()) {
        const QRect available = screen->availableGeometry();
        mainWindow_->setGeometry(available.x(), available.y(), std::max(available.width(), 1024),
                            std::max(available.height(), 768));
    }
    mainWindow_->showMaximized();
    mainWindow_->activateWindow();
    mainWindow_->onActivated();
}

std::vector<QWidget*> ShadowgramApp::windows() const {
    std::vector<QWidget*> all{mainWindow_.get(),    warning_.get(),  information_.get(), editor_.get(),
                              gettingStarted_.get(), figuring_.get(), analysis_.get()};
    for (const auto& h : help_) all.push_back(h.get());
    all.push_back(reduction_.get());
    return all;
}

HelpWindow* ShadowgramApp::helpWindow(HelpTopic topic) const {
    for (const auto& h : help_)
        if (h->topic() == topic) return h.get();
    return nullptr;
}

// The main window's activation runs when it takes the focus from another
// window of the program, not when the user comes back from another
// application or from an error box or file dialog.
void ShadowgramApp::focusChanged(QWindow* now) {
    if (now == nullptr) return;
    const std::vector<QWidget*> all = windows();
    const bool ours = std::any_of(all.begin(), all.end(), [now](QWidget* w) { return w->windowHandle() == now; });
    if (!ours) return;
    if (now == mainWindow_->windowHandle() && lastFocus_ != nullptr && lastFocus_ != now) mainWindow_->onActivated();
    lastFocus_ = now;
}

void ShadowgramApp::showInformationWindow() { showOrRaise(information_.get()); }

// A hidden editor opens where it covers the least of the main window's
// picture, or where the user last moved it; a shown one is only raised.
void ShadowgramApp::showEditorWindow() {
    if (!editor_->isVisible()) {
        // Before it is first shown its frame is not known yet: take the main window's.
        const auto margins = [](const QWidget* w) {
            const QRect outer = w->frameGeometry(), inner = w->geometry();
            return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                            outer.bottom() - inner.bottom());
        };
        QMargins frame = margins(editor_.get());
        if (frame.isNull()) frame = margins(mainWindow_.get());
        const QScreen* screen = mainWindow_->screen();
        const QRect available = screen != nullptr ? screen->availableGeometry() : QRect();
        QPoint place = editorWindowPlace(mainWindow_->mapToGlobal(QPoint(0, 0)), available, editor_->size(), frame);
        // Where it cannot stand below the picture, it stands where it covers
        // least of the mirror, then of the ray diagram and its buttons.
        if (place == kEditorUsualPlace && available.isValid()) {
            const QPoint usualFrame = kEditorUsualPlace - QPoint(frame.left(), frame.top());
            place = leastCoveringPlace(available, editor_->size().grownBy(frame),
                                       {pictureDiskOnScreen(*mainWindow_), positionControlsOnScreen()}, usualFrame) +
                    QPoint(frame.left(), frame.top());
        }
        editor_->placeWindow(place);
    }
    showOrRaise(editor_.get());
}

// The ray diagram with Zero, the position's entry, Brighten, Centres and the
// slider below it.
KeepClear ShadowgramApp::positionControlsOnScreen() const {
    return {QRect(mainWindow_->mapToGlobal(QPoint(0, 200)), QSize(110, 300)), false};
}

// Beside the picture it has just drawn, or where the user last moved it.
void ShadowgramApp::showGettingStartedWindow() {
    if (!gettingStarted_->isVisible()) {
        const QScreen* screen = mainWindow_->screen();
        const QRect available = screen != nullptr ? screen->availableGeometry() : QRect();
        const QRect frame = gettingStarted_->frameGeometry();
        if (available.isValid())
            gettingStartedPlace_->place(
                leastCoveringPlace(available, frame.size(), {pictureDiskOnScreen(*mainWindow_)}, frame.topLeft()));
    }
    showOrRaise(gettingStarted_.get());
}
void ShadowgramApp::showFiguringWindow() { showOrRaise(figuring_.get()); }

void ShadowgramApp::showAnalysisWindow(const std::string& inner, const std::string& outer) {
    analysis_->setZoneCell(0, inner);
    analysis_->setZoneCell(1, outer);
    showOrRaise(analysis_.get());
}

// The reduction starts from the mirror on the test stand: the grid's values
// where they read as numbers above 0 (the last drawn mirror's otherwise),
// and the tester of "Source moves with grating".
void ShadowgramApp::showReductionWindow() {
    const Scene& scene = mainWindow_->scene();
    ModelControls& controls = mainWindow_->controls();
    auto cell = [&controls](int row, double drawn, bool positive) {
        double v = 0;
        const bool read = tryParseCellFloat(controls.parameterCell(row), kDecimalSeparator, v) && std::isfinite(v);
        return read && (!positive || v > 0) ? v : drawn;
    };
    ReductionWindow::MainMirror m;
    m.diameter = cell(kRowDiameter, scene.mirror.mirrorDiameter, true);
    m.radius = cell(kRowRadius, scene.mirror.radiusOfCurvature, true);
    m.conic = cell(kRowConic, scene.mirror.conicConstant, false);
    m.wavelength = cell(kRowWavelength, scene.setup.wavelength, true);
    m.movingSource = controls.movingSourceChecked();
    reduction_->offerMirror(m);
    showOrRaise(reduction_.get());
}

bool ShadowgramApp::mayClose() {
    struct Work {
        bool unsaved;
        QWidget* window;
        const char* question;
        std::function<bool()> save;
    };
    const Work all[] = {
        {mainWindow_->setupChangedSinceSave(), mainWindow_.get(), kCloseSetupQuestion,
         [this] { return mainWindow_->saveSetup(); }},
        {editor_->editor().hasUnsavedShape(), editor_.get(), kCloseShapeQuestion,
         [this] { return editor_->onSaveShape(); }},
        {reduction_->hasUnsavedReadings(), reduction_.get(), kCloseReadingsQuestion,
         [this] { return reduction_->saveReadings(); }},
    };
    for (const Work& w : all) {
        if (!w.unsaved) continue;
        switch (questions_.saveOrDiscard(w.window, w.question)) {
        case Questions::SaveChoice::Cancel: return false;
        case Questions::SaveChoice::Discard: break;
        case Questions::SaveChoice::Save:
            // A save cancelled or failed keeps the program open.
            if (!w.save()) return false;
            break;
        }
    }
    return true;
}

void ShadowgramApp::showHelpWindow(HelpTopic topic) {
    if (HelpWindow* h = helpWindow(topic)) h->showHelp();
}

void ShadowgramApp::showWarning(const std::string& line1, const std::string& line2) {
    warning_->showWarning(line1, line2);
}

}  // namespace sg
