// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/logbook_window.h"

#include "logbook/logbook_records.h"
#include "logbook/logbook_report.h"
#include "logbook/logbook_text.h"
#include "logbook/progress_plot.h"
#include "model/failure.h"
#include "widgets/user_action.h"
#include "widgets/window_style.h"

#include <QEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace sg {

namespace {

constexpr int kMaxRecent = 8;
const char* const kRecentKey = "logbook/recent";

const char* const kColumnCaptions[kListColumns] = {"Entry",      "Date",     "Kind",   "Conic", "\u00b1 \u03c3",
                                                   "Corr. (wave)", "RMS (wave)", "Strehl", "Comment"};

QPushButton* button(QWidget* parent, const char* name, const char* caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

// The progress plot, drawn off-screen and shown scaled to the widget's size.
class LogbookWindow::PlotView : public QWidget {
public:
    explicit PlotView(QWidget* parent) : QWidget(parent) {
        setObjectName("ProgressPlot");
        setMinimumSize(ProgressPlot::kWidth * 3 / 4, ProgressPlot::kHeight * 3 / 4);
    }
    void setImage(const QImage& image) {
        image_ = image;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        if (image_.isNull()) return;
        const QSize fitted = image_.size().scaled(size(), Qt::KeepAspectRatio);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRect(QPoint((width() - fitted.width()) / 2, 0), fitted), image_);
    }

private:
    QImage image_;
};

LogbookWindow::LogbookWindow(ErrorReporter& errors, FileDialogs& dialogs, UserFolder& userFolder, QSettings& settings)
    : QWidget(nullptr, Qt::Window), errors_(errors), dialogs_(dialogs), folder_(userFolder, "Logbook", &settings),
      settings_(settings) {
    setObjectName("LogbookWindow");
    setWindowTitle("Logbook");
    applyWindowStyle(this);
    createControls();
    resize(1000, 720);
    closeLogbook();
}

LogbookWindow::~LogbookWindow() = default;

void LogbookWindow::createControls() {
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    QPushButton* create = button(this, "ButtonNewLogbook", "New\u2026");
    create->setToolTip("Make a new logbook for the mirror of the main window.");
    QPushButton* open = button(this, "ButtonOpenLogbook", "Open\u2026");
    recent_ = new QToolButton(this);
    recent_->setObjectName("ButtonRecentLogbooks");
    recent_->setText("Recent");
    recent_->setPopupMode(QToolButton::InstantPopup);
    recentMenu_ = new QMenu(recent_);
    recent_->setMenu(recentMenu_);
    QPushButton* report = button(this, "ButtonLogbookReport", "Save Report\u2026");
    report->setToolTip("The whole history as a PDF: the progress plot, the list and each entry's figures.");
    top->addWidget(create);
    top->addWidget(open);
    top->addWidget(recent_);
    top->addWidget(report);
    mirror_ = new QLabel(this);
    mirror_->setObjectName("LogbookMirror");
    top->addWidget(mirror_, 1);
    layout->addLayout(top);

    readOnly_ = new QLabel(this);
    readOnly_->setObjectName("LogbookReadOnly");
    readOnly_->setWordWrap(true);
    QPalette red = readOnly_->palette();
    red.setColor(QPalette::WindowText, QColor(180, 0, 0));
    readOnly_->setPalette(red);
    layout->addWidget(readOnly_);

    table_ = new QTableWidget(this);
    table_->setObjectName("LogbookEntries");
    table_->setColumnCount(kListColumns);
    QStringList captions;
    for (const char* c : kColumnCaptions) captions << QString::fromUtf8(c);
    table_->setHorizontalHeaderLabels(captions);
    table_->verticalHeader()->hide();
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {40, 112, 66, 60, 50, 78, 72, 52};
    for (int c = 0; c < int(std::size(widths)); ++c) table_->setColumnWidth(c, widths[c]);
    table_->setMinimumHeight(170);
    layout->addWidget(table_, 1);

    auto* lower = new QHBoxLayout;
    plot_ = new PlotView(this);
    lower->addWidget(plot_, 3);
    auto* side = new QVBoxLayout;
    details_ = new QPlainTextEdit(this);
    details_->setObjectName("LogbookEntryText");
    details_->setReadOnly(true);
    details_->setLineWrapMode(QPlainTextEdit::NoWrap);
    details_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    side->addWidget(details_, 1);
    QPushButton* openEntry = button(this, "ButtonOpenEntry", "Open Entry");
    openEntry->setToolTip("Show the entry as it was: a reduction in the Foucault Reduction window, a photo with "
                          "its fit over the picture.");
    side->addWidget(openEntry);
    auto* commentRow = new QHBoxLayout;
    comment_ = new QLineEdit(this);
    comment_->setObjectName("LogbookComment");
    comment_->setPlaceholderText("Comment on the selected entry");
    QPushButton* setComment = button(this, "ButtonSetComment", "Set Comment");
    commentRow->addWidget(comment_, 1);
    commentRow->addWidget(setComment);
    side->addLayout(commentRow);
    auto* noteRow = new QHBoxLayout;
    note_ = new QLineEdit(this);
    note_->setObjectName("LogbookNote");
    note_->setPlaceholderText("A note: what was done at the stand or the pitch lap");
    QPushButton* addNote = button(this, "ButtonAddNote", "Add Note");
    noteRow->addWidget(note_, 1);
    noteRow->addWidget(addNote);
    side->addLayout(noteRow);
    lower->addLayout(side, 2);
    layout->addLayout(lower, 3);

    needBook_ = {report, openEntry};
    needWritable_ = {setComment, addNote, comment_, note_};

    connect(create, &QPushButton::clicked, this, [this] { newClick(); });
    connect(open, &QPushButton::clicked, this, [this] { openClick(); });
    connect(report, &QPushButton::clicked, this, [this] { saveReportClick(); });
    connect(openEntry, &QPushButton::clicked, this, [this] { openEntryClick(); });
    connect(setComment, &QPushButton::clicked, this, [this] { setCommentClick(); });
    connect(addNote, &QPushButton::clicked, this, [this] { addNoteClick(); });
    connect(note_, &QLineEdit::returnPressed, this, [this] { addNoteClick(); });
    connect(table_, &QTableWidget::itemSelectionChanged, this, [this] { showSelected(); });
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this] { openEntryClick(); });
    connect(recentMenu_, &QMenu::aboutToShow, this, [this] { fillRecentMenu(); });
    fillRecentMenu();
}

void LogbookWindow::runAction(const std::function<void()>& action) {
    runUserAction(this, errors_, [&action] {
        try {
            action();
        } catch (const LogbookError& e) {
            throw ActionError(e.what());
        }
    });
}

FileDialogRequest LogbookWindow::logbookDialog(const char* caption) {
    return FileDialogRequest{caption, folder_.start(), {kLogbookFilter, "All Files (*)"}, "sglog"};
}

QStringList LogbookWindow::recentLogbooks() const { return settings_.value(kRecentKey).toStringList(); }

void LogbookWindow::remember(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList list = recentLogbooks();
    list.removeAll(absolute);
    list.prepend(absolute);
    while (list.size() > kMaxRecent) list.removeLast();
    settings_.setValue(kRecentKey, list);
    folder_.remember(absolute);
    fillRecentMenu();
}

void LogbookWindow::fillRecentMenu() {
    recentMenu_->clear();
    const QStringList list = recentLogbooks();
    for (const QString& path : list) {
        QAction* a = recentMenu_->addAction(QFileInfo(path).fileName() + "  \u2014  " + QFileInfo(path).absolutePath());
        a->setData(path);
        connect(a, &QAction::triggered, this, [this, path] { openLogbook(path); });
    }
    recent_->setEnabled(!list.isEmpty());
}

void LogbookWindow::newClick() {
    runAction([this] {
        const std::optional<QString> chosen = dialogs_.askSave(this, logbookDialog("New Logbook"));
        if (!chosen) return;
        const QString path = withDefaultSuffix(*chosen, "sglog");
        LogMirror mirror = hooks_.mainMirror ? hooks_.mainMirror() : LogMirror{};
        mirror.name = QFileInfo(path).completeBaseName().toStdString();
        // The dialog asked before a file there is replaced.
        adopt(Logbook::create(path, mirror, true));
    });
}

void LogbookWindow::openClick() {
    runAction([this] {
        if (const std::optional<QString> chosen = dialogs_.askOpen(this, logbookDialog("Open Logbook")))
            adopt(Logbook::open(*chosen));
    });
}

bool LogbookWindow::openLogbook(const QString& path) {
    bool opened = false;
    runAction([&] {
        adopt(Logbook::open(path));
        opened = true;
    });
    return opened;
}

void LogbookWindow::adopt(std::unique_ptr<Logbook> book) {
    book_ = std::move(book);
    remember(book_->path());
    setWindowTitle("Logbook \u2014 " + QString::fromStdString(book_->mirror().name));
    mirror_->setText(QString::fromStdString(mirrorLine(book_->mirror())));
    readOnly_->setText(QString::fromStdString(book_->readOnlyReason()));
    readOnly_->setVisible(book_->readOnly());
    for (QPushButton* b : needBook_) b->setEnabled(true);
    for (QWidget* w : needWritable_) w->setEnabled(!book_->readOnly());
    reload();
}

void LogbookWindow::closeLogbook() {
    book_.reset();
    entries_.clear();
    setWindowTitle("Logbook");
    mirror_->setText("No logbook open: New\u2026 makes one for the mirror of the main window.");
    readOnly_->clear();
    readOnly_->hide();
    for (QPushButton* b : needBook_) b->setEnabled(false);
    for (QWidget* w : needWritable_) w->setEnabled(false);
    reload();
}

void LogbookWindow::reload() {
    const std::optional<long long> selected = selectedEntry();
    if (book_) book_->changedElsewhere();  // what is read now is no news later
    entries_ = book_ ? book_->entries() : std::vector<LogEntry>{};
    table_->blockSignals(true);
    table_->setRowCount(int(entries_.size()));
    for (int r = 0; r < int(entries_.size()); ++r) {
        const std::vector<std::string> row = listRow(entries_[std::size_t(r)]);
        for (int c = 0; c < kListColumns; ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(row[std::size_t(c)]));
            if (c == 0 || (c >= 3 && c <= 7)) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(r, c, item);
        }
    }
    table_->blockSignals(false);
    const LogMirror mirror = book_ ? book_->mirror() : LogMirror{};
    plotImage_ = ProgressPlot(progressSeries(entries_, mirror)).image();
    plot_->setImage(plotImage_);
    if (selected) selectEntry(*selected);
    else if (!entries_.empty()) selectEntry(entries_.back().id);
    else showSelected();
}

void LogbookWindow::refreshIfChanged() {
    if (book_ && book_->changedElsewhere()) reload();
}

bool LogbookWindow::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) refreshIfChanged();
    return QWidget::event(e);
}

std::optional<long long> LogbookWindow::selectedEntry() const {
    const QList<QTableWidgetItem*> items = table_->selectedItems();
    if (items.isEmpty()) return std::nullopt;
    const int row = items.front()->row();
    if (row < 0 || row >= int(entries_.size())) return std::nullopt;
    return entries_[std::size_t(row)].id;
}

void LogbookWindow::selectEntry(long long id) {
    for (int r = 0; r < int(entries_.size()); ++r)
        if (entries_[std::size_t(r)].id == id) {
            table_->selectRow(r);
            table_->scrollToItem(table_->item(r, 0));
            showSelected();
            return;
        }
}

void LogbookWindow::showSelected() {
    const std::optional<long long> id = selectedEntry();
    if (!book_ || !id) {
        details_->clear();
        comment_->clear();
        return;
    }
    try {
        const std::optional<LogEntry> e = book_->entry(*id);
        QString text;
        if (e)
            for (const std::string& line : entryLines(*e)) text += QString::fromStdString(line) + "\n";
        details_->setPlainText(text);
        comment_->setText(e ? QString::fromStdString(e->comment) : QString());
    } catch (const LogbookError& error) {
        details_->setPlainText(QString::fromStdString(error.what()));
    }
}

std::optional<long long> LogbookWindow::add(const std::function<LogEntry(const LogMirror&)>& make) {
    std::optional<long long> id;
    runAction([&] {
        if (!book_) {
            const QStringList recent = recentLogbooks();
            if (recent.isEmpty() || !QFileInfo::exists(recent.front())) throw ActionError(kNoLogbookMessage);
            adopt(Logbook::open(recent.front()));
        }
        if (book_->readOnly()) throw ActionError(book_->readOnlyReason());
        id = book_->add(make(book_->mirror()));
        reload();
        selectEntry(*id);
    });
    return id;
}

void LogbookWindow::addNoteClick() {
    const std::string text = note_->text().trimmed().toStdString();
    if (text.empty() || !book_) return;
    if (add([&text](const LogMirror&) { return noteEntry(text, QDateTime::currentDateTimeUtc()); }))
        note_->clear();
}

void LogbookWindow::setCommentClick() {
    runAction([this] {
        const std::optional<long long> id = selectedEntry();
        if (!book_ || !id) throw ActionError("Select the entry to comment on first.");
        book_->setComment(*id, comment_->text().toStdString());
        reload();
    });
}

void LogbookWindow::openEntryClick() {
    runAction([this] {
        const std::optional<long long> id = selectedEntry();
        if (!book_ || !id) throw ActionError("Select the entry to open first.");
        const std::optional<LogEntry> e = book_->entry(*id);
        if (!e) throw ActionError("The entry is no longer in the logbook.");
        if (e->kind == EntryKind::Reduction && hooks_.openReduction) hooks_.openReduction(*e);
        if (e->kind == EntryKind::Photo && hooks_.openPhoto) hooks_.openPhoto(*e);
    });
}

void LogbookWindow::saveReportClick() {
    runAction([this] {
        if (!book_) throw ActionError(kNoLogbookMessage);
        const FileDialogRequest request{"Save Report", folder_.start(), {"PDF Documents (*.pdf)", "All Files (*)"}, "pdf"};
        if (const std::optional<QString> chosen = dialogs_.askSave(this, request))
            writeLogbookReport(withDefaultSuffix(*chosen, "pdf"), *book_);
    });
}

}  // namespace sg
