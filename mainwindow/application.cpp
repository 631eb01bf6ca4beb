// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/application.h"

#include "editor/editor_placement.h"
#include "fit/fit_dialog.h"
#include "fit/photo_fit.h"
#include "fit/photo_tools.h"
#include "logbook/logbook_records.h"
#include "reduction/reading_text.h"
#include "fileio/record_file.h"
#include "model/failure.h"
#include "model/number_text.h"
#include "photo/photo_file.h"
#include "widgets/user_action.h"

#include <QFileInfo>
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
    : errors_(errors),
      dialogs_(dialogs != nullptr ? *dialogs : qtDialogs_),
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
    logbook_ = std::make_unique<LogbookWindow>(errors, dialogs_, userFolder_, settings_);
    connectLogbook();
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
    all.push_back(logbook_.get());
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
    reduction_->offerMirror(mainMirror());
    showOrRaise(reduction_.get());
}

ReductionWindow::MainMirror ShadowgramApp::mainMirror() const {
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
    return m;
}

void ShadowgramApp::showLogbookWindow() {
    logbook_->refreshIfChanged();
    showOrRaise(logbook_.get());
}

// The logbook takes what the reduction window and the fit dialog add, and
// opens its entries in them.
void ShadowgramApp::connectLogbook() {
    LogbookWindow::Hooks hooks;
    hooks.mainMirror = [this] {
        const ReductionWindow::MainMirror m = mainMirror();
        LogMirror mirror;
        mirror.diameter = m.diameter;
        mirror.radius = m.radius;
        mirror.wantedConic = m.conic;
        mirror.wavelength = m.wavelength;
        mirror.tester = m.movingSource ? kMovingSourceTester : kFixedSourceTester;
        return mirror;
    };
    hooks.openReduction = [this](const LogEntry& e) {
        if (reduction_->hasUnsavedReadings() && !questions_.confirm(logbook_.get(), kReplaceReadingsQuestion)) return;
        ReductionInput input;
        try {
            input = parseReadingText(e.reduction->readings);
        } catch (const ReductionInputError& error) {
            throw ActionError(std::string("The entry's readings cannot be read: ") + error.what());
        }
        const QString name = e.reduction->fileName.empty() ? QString("logbook entry %1").arg(e.id)
                                                            : QString::fromStdString(e.reduction->fileName);
        reduction_->showReadings(input, name);
        showOrRaise(reduction_.get());
    };
    hooks.openPhoto = [this](const LogEntry& e) {
        const PhotoRecord& p = *e.photo;
        if (!keptPhotos_.isValid()) throw ActionError("Cannot write the entry's photo: no temporary folder.");
        // Under its own name, in a folder of this entry's.
        QString name = QFileInfo(QString::fromStdString(p.fileName)).fileName();
        if (name.isEmpty()) name = "photo";
        const QString folder = keptPhotos_.filePath(QString("entry-%1").arg(e.id));
        if (const std::optional<QString> reason = makeUserFolders(folder))
            throw ActionError("Cannot write the entry's photo: " + reason->toStdString() + ".");
        const QString path = folder + "/" + name;
        if (const std::optional<QString> reason = saveWholeFile(path, p.bytes))
            throw ActionError("Cannot write the entry's photo: " + reason->toStdString() + ".");
        const FitResult fit = fitOf(p, e);
        if (!mainWindow_->photoTools().showKeptFit(path, mappingOf(p), fit)) return;
        // The picture under it is the fitted one.
        mainWindow_->showFittedModel(fit);
        showOrRaise(mainWindow_.get());
    };
    logbook_->setHooks(std::move(hooks));

    reduction_->setLogbookAdder([this](const ReductionInput& input, const ReductionResult& result, const QString& file) {
        const QDateTime now = QDateTime::currentDateTimeUtc();
        if (logbook_->add([&](const LogMirror&) {
                return reductionEntry(input, result, file.toStdString(), std::string(), SHADOWGRAM_VERSION, now);
            }))
            showOrRaise(logbook_.get());
    });
    mainWindow_->photoTools().setLogbookAdder([this](const FitForLogbook& f, const QString& photoPath) {
        const QDateTime now = QDateTime::currentDateTimeUtc();
        QByteArray bytes, secondBytes;
        const auto read = [](const QString& path, QByteArray& into) {
            if (const std::optional<QString> reason = readFileStart(path, kMaxPhotoBytes + 1, into))
                throw ActionError("Cannot read the photo " + path.toStdString() + " again: " + reason->toStdString() + ".");
        };
        runUserAction(mainWindow_.get(), errors_, [&] {
            read(photoPath, bytes);
            if (f.second) read(f.secondPath, secondBytes);
            FitReportInput report;
            report.photo = photoPath.toStdString();
            report.secondPhoto = f.secondPath.toStdString();
            report.first = f.first;
            report.second = f.second;
            report.separation = f.separation.value_or(0);
            report.result = f.result;
            report.seconds = f.result->seconds;
            const bool added = logbook_
                                   ->add([&](const LogMirror& mirror) {
                                       PhotoEntryInput in;
                                       in.report = &report;
                                       in.request = f.request;
                                       in.bytes = bytes;
                                       in.secondBytes = secondBytes;
                                       in.mirror = &mirror;
                                       return photoEntry(in, now);
                                   })
                                   .has_value();
            if (added) showOrRaise(logbook_.get());
        });
    });
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
