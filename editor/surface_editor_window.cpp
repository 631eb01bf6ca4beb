// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/surface_editor_window.h"

#include "editor/editor_placement.h"
#include "model/failure.h"
#include "widgets/user_action.h"
#include "widgets/window_style.h"

#include <QEvent>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QShortcut>

#include <algorithm>

namespace sg {

namespace {

// The note beside the plot.
const char* const kEditorNote[] = {
    "The height of the plot shows only",
    "the SHAPE of the zone. Its span,",
    "peak to valley, always stands for",
    "the Zone Ht set in the main",
    "program, however large or small",
    "the drawing is.",
    "",
    "The mean and RMS figures here are",
    "measured from the DEFINED conic,",
    "the zero line: they see the zone",
    "only, never a wrong conic.",
    "",
    "For a Newtonian, read the RMS",
    "from the best PARABOLOID in",
    "Analyse Surface. Its best-conic",
    "RMS fits any conic, so it cannot",
    "show a wrong one either.",
    "All figures are in waves.",
};

// The question asked before "Start NEW surface" discards a shape.
const char* const kDiscardQuestion = "Discard the shape drawn since it was last saved?";

// Where the user or the window manager last put the window: its client
// area, a QRect in screen pixels.
const char* const kPlaceKey = "editor/geometry";

// Where the text of a failed save or retrieve is drawn.
constexpr int kSaveErrorX = 1, kSaveErrorY = 90;
constexpr int kReadErrorX = 500, kReadErrorY = 550;

// "zoneNumbers": the zone numbers, each centred over the knot line of its zone
// (zone z lies on knots 22 - z and 22 + z).
class ZoneNumbers : public QLabel {
public:
    ZoneNumbers(QWidget* parent, int x, int y, int width) : QLabel(parent) {
        setObjectName("zoneNumbers");
        setAttribute(Qt::WA_NoMousePropagation);
        // At least the given width, and wide enough for the last number to
        // stand whole over its line.
        const int last = numberX(8) - x + fontMetrics().horizontalAdvance("20") / 2 + 1;
        setGeometry(x, y, std::max(width, last), fontMetrics().height());
    }

    // The window x at which the number of the i-th of the nine stands.
    static int numberX(int i) { return knotPlotX(2 + 5 * i); }
    static int zoneOf(int i) { return std::abs(20 - 5 * i); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(palette().color(QPalette::WindowText));
        for (int i = 0; i < 9; ++i) {
            const QString text = QString::number(zoneOf(i));
            const int w = fontMetrics().horizontalAdvance(text);
            p.drawText(numberX(i) - x() - w / 2, fontMetrics().ascent(), text);
        }
    }
};

QPushButton* addButton(QWidget* parent, const char* name, const char* caption, int x, int y, int w, int h) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(x, y, w, h);
    return button;
}

QLabel* addNoticeLabel(QWidget* parent, const char* name, const char* text, int x, int y) {
    QLabel* label = makeLabel(parent, name, text, x, y);
    label->setFont(withPixelSize(parent->font(), 11, true));
    label->setAutoFillBackground(true);
    QPalette p = label->palette();
    p.setColor(QPalette::Window, Qt::white);
    label->setPalette(p);
    label->adjustSize();
    return label;
}

}  // namespace

SurfaceEditorWindow::SurfaceEditorWindow(QWidget* mainWindow, EditorShape& shape, const Mirror& shownMirror,
                                                   const ModelControls& mainControls, ErrorReporter& errors,
                                                   FileDialogs& dialogs, UserFolder& userFolder, QSettings& settings,
                                                   Questions& questions)
    : QWidget(mainWindow, Qt::Window),
      editor_(shape, shownMirror, mainControls, *this),
      errors_(errors),
      dialogs_(dialogs),
      settings_(settings),
      questions_(questions),
      folder_(userFolder, "Shape", &settings) {
    setObjectName("surfaceEditorWindow");
    setWindowTitle("Custom Surface");
    applyWindowStyle(this);
    setGeometry(4, 146, 967, 357);
    setAttribute(Qt::WA_QuitOnClose, false);
    createControls();
    initialiseOnActivation();
}

void SurfaceEditorWindow::createControls() {
    const QFont bold = withPixelSize(font(), 11, true);
    QPushButton* show = addButton(this, "showSurfaceButton", "Show  surface", 184, 0, 161, 25);
    show->setFont(bold);
    connect(show, &QPushButton::clicked, this, [this] { onShowSurface(); });
    QPushButton* start = addButton(this, "startNewButton", "Start NEW surface", 376, 0, 161, 25);
    start->setFont(bold);
    start->setToolTip("Starts a zero deviation profile");
    connect(start, &QPushButton::clicked, this, [this] { onStartNewSurface(); });

    addNoticeLabel(this, "plotSpanNotice",
                   "  Use the FULL PLOT SPAN for the smoothest curve when creating surface shapes.  ", 72, 24);
    addNoticeLabel(this, "zoneHeightNotice",
                   "  The drawn shape will be automatically adjusted so it corresponds to specified Zone Ht  ",
                   40, 40);
    makeLabel(this, "clickHint",
              "Click above or below Nodes to change shape.  Edge slope may be adjusted using imaginary off mirror "
              "nodes.",
              112, 64);
    new ZoneNumbers(this, 40, 88, 648);

    auto* note = new QListWidget(this);
    note->setObjectName("noteList");
    note->setGeometry(728, 8, 233, 137);
    note->setSelectionMode(QAbstractItemView::NoSelection);
    note->setFocusPolicy(Qt::NoFocus);
    for (const char* line : kEditorNote) note->addItem(line);

    const std::array<std::pair<const char*, int>, 5> places = {
        {{"meanLinearLabel", 160}, {"meanAreaLabel", 176}, {"rmsLinearLabel", 208}, {"rmsAreaLabel", 224}, {"peakToValleyLabel", 253}}};
    for (std::size_t i = 0; i < places.size(); ++i) {
        QLabel* label = makeLabel(this, places[i].first, "", 752, places[i].second);
        statistics_[i] = label;
    }
    QLabel* rmsArea = statistics_[3];
    rmsArea->setAutoFillBackground(true);
    QPalette p = rmsArea->palette();
    p.setColor(QPalette::Window, Qt::yellow);
    rmsArea->setPalette(p);

    QPushButton* save = addButton(this, "saveShapeButton", "Save Shape", 144, 312, 91, 25);
    connect(save, &QPushButton::clicked, this, [this] { onSaveShape(); });
    QPushButton* retrieve = addButton(this, "retrieveShapeButton", "Retrieve Shape", 464, 312, 97, 25);
    connect(retrieve, &QPushButton::clicked, this, [this] { onRetrieveShape(); });

    const auto addShortcut = [this](const char* keys, void (SurfaceEditorWindow::*action)()) {
        connect(new QShortcut(QKeySequence(keys), this), &QShortcut::activated, this, action);
    };
    addShortcut("Ctrl+Z", &SurfaceEditorWindow::undoEdit);
    addShortcut("Ctrl+Shift+Z", &SurfaceEditorWindow::redoEdit);
    addShortcut("Ctrl+Y", &SurfaceEditorWindow::redoEdit);
}

std::string SurfaceEditorWindow::statisticsCaption(int line) const {
    return statistics_.at(static_cast<std::size_t>(line))->text().toStdString();
}

void SurfaceEditorWindow::showStatistics(const StatisticsLines& lines) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        statistics_[i]->setText(QString::fromStdString(lines[i]));
        statistics_[i]->adjustSize();
    }
}

void SurfaceEditorWindow::dimStatistics(bool dim) {
    for (QLabel* line : statistics_) line->setEnabled(!dim);
}

void SurfaceEditorWindow::runAction(const std::function<void()>& action) { runUserAction(this, errors_, action); }

void SurfaceEditorWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, editor_.canvas().image());
}

void SurfaceEditorWindow::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    onPlotPress(at.x(), at.y());
}

void SurfaceEditorWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) initialiseOnActivation();
}

void SurfaceEditorWindow::initialiseOnActivation() {
    runAction([this] { editor_.initialiseOnce(); });
}

void SurfaceEditorWindow::onPlotPress(int x, int y) {
    if (!pressOnPlot(x, y)) return;
    runAction([&] { editor_.pressAt(x, y); });
}

void SurfaceEditorWindow::onStartNewSurface() {
    if (editor_.hasUnsavedShape() && !questions_.confirm(this, kDiscardQuestion)) return;
    runAction([this] {
        editor_.state().editorNeedsInit = false;
        editor_.startNewSurface();
    });
}

void SurfaceEditorWindow::onShowSurface() {
    runAction([this] { editor_.redrawEditor(); });
}

FileDialogRequest SurfaceEditorWindow::shapeDialog(const char* caption) {
    return FileDialogRequest{caption, folder_.start(), {"Shape Files (*.Shp)", "All Files (*)"}, "Shp"};
}

void SurfaceEditorWindow::clearFileMessages() {
    Canvas& c = editor_.canvas();
    const QFontMetrics metrics(canvasFont());
    c.eraseRect(kSaveErrorX, kSaveErrorY, kSaveErrorX + metrics.horizontalAdvance("error saving"), 99);
    c.eraseRect(kReadErrorX, kReadErrorY, kReadErrorX + metrics.horizontalAdvance("error"),
                kReadErrorY + metrics.height());
}

bool SurfaceEditorWindow::onSaveShape() {
    const EditorShape& shape = editor_.shape();
    clearFileMessages();
    shapeRecord_.fill(0.0);
    std::copy_n(shape.knotHeight.begin(), shapeRecord_.size(), shapeRecord_.begin());
    std::optional<std::string> failure;
    bool saved = false;
    if (const std::optional<QString> chosen = dialogs_.askSave(this, shapeDialog("Save Shape"))) {
        shapeFileName_ = withDefaultSuffix(*chosen, "Shp");
        folder_.remember(shapeFileName_);
        try {
            writeShapeFile(shapeFileName_, shapeRecord_);
            editor_.markSaved();
            saved = true;
        } catch (const ShapeFileError& e) {
            editor_.canvas().setBrushColour(kSilver);
            editor_.canvas().drawText(kSaveErrorX, kSaveErrorY, "error saving");
            failure = e.what();
        }
    }
    runAction([this, &failure] {
        if (failure) errors_.showError(*failure);
        editor_.redrawEditor();
    });
    return saved;
}

void SurfaceEditorWindow::onRetrieveShape() {
    retrieve([this] { return dialogs_.askOpen(this, shapeDialog("Retrieve Shape")); });
}

void SurfaceEditorWindow::retrieveShape(const QString& path) {
    retrieve([&path] { return std::optional<QString>(path); });
}

void SurfaceEditorWindow::retrieve(const std::function<std::optional<QString>()>& choose) {
    clearFileMessages();
    // The buffer holds the knots as they are unless a file is read whole.
    shapeRecord_ = editor_.knots();
    std::optional<std::string> failure;
    if (const std::optional<QString> chosen = choose()) {
        shapeFileName_ = *chosen;
        folder_.remember(shapeFileName_);
        try {
            shapeRecord_ = readShapeFile(shapeFileName_);
            editor_.takeRetrievedShape(shapeRecord_);
        } catch (const ShapeFileError& e) {
            editor_.canvas().setBrushColour(kSilver);
            editor_.canvas().drawText(kReadErrorX, kReadErrorY, "error");
            failure = e.what();
        }
    }
    runAction([this, &failure] {
        if (failure) errors_.showError(*failure);
        editor_.redrawEditor();
    });
}

void SurfaceEditorWindow::undoEdit() {
    runAction([this] { editor_.undo(); });
}

void SurfaceEditorWindow::redoEdit() {
    runAction([this] { editor_.redo(); });
}

void SurfaceEditorWindow::placeWindow(QPoint place) {
    const QRect remembered = settings_.value(kPlaceKey).toRect();
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) screens.push_back(screen->geometry());
    if (remembered.isValid() && placeOnScreens(QRect(remembered.topLeft(), size()), screens))
        place = remembered.topLeft();
    setGeometry(QRect(place, size()));
}

void SurfaceEditorWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    // While hidden the window only moves where the program puts it.
    if (!isVisible()) return;
    settings_.setValue(kPlaceKey, geometry());
}

void SurfaceEditorWindow::showShape(const KnotHeights& knotHeights) {
    runAction([&] {
        editor_.takeShape(knotHeights);
        editor_.redrawEditor();
    });
}

}  // namespace sg
