// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Logbook": one mirror's logbook. "New…", "Open…" and the recent
// logbooks; the list of entries (date, kind, conic +/- sigma, correction
// error, RMS, Strehl, comment) with the selected entry's figures beside it;
// "Open Entry" shows an entry in its own window as it was; the progress
// plot; "Add Note" and "Set Comment"; "Save Report…" prints the whole
// history as a PDF. The list follows what other windows and programs add:
// it is read again whenever the window comes to the front and the logbook
// has changed.

#include "logbook/logbook.h"
#include "widgets/error_reporter.h"
#include "widgets/file_dialogs.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSettings;
class QTableWidget;
class QToolButton;

namespace sg {

// The texts of the window.
inline constexpr const char* kLogbookFilter = "Shadowgram Logbooks (*.sglog)";
inline constexpr const char* kNoLogbookMessage =
    "No logbook is open. Open one or make a new one in the Logbook window, then add again.";

class LogbookWindow : public QWidget {
public:
    LogbookWindow(ErrorReporter& errors, FileDialogs& dialogs, UserFolder& userFolder, QSettings& settings);
    ~LogbookWindow() override;

    struct Hooks {
        // The mirror a new logbook starts with: the main window's.
        std::function<LogMirror()> mainMirror;
        // Shows a reduction's readings in the reduction window, a photo
        // with its fit over the main window's picture.
        std::function<void(const LogEntry&)> openReduction;
        std::function<void(const LogEntry&)> openPhoto;
    };
    void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }

    // The buttons.
    void newClick();
    void openClick();
    void saveReportClick();
    void addNoteClick();
    void setCommentClick();
    void openEntryClick();

    // Opens the logbook at `path` (a recent one, or a file named on the
    // command line); false, with the message shown, when it cannot.
    bool openLogbook(const QString& path);
    void closeLogbook();
    Logbook* logbook() const { return book_.get(); }

    // Adds the entry that `make` makes from the logbook's mirror; without
    // an open logbook the most recent one is opened first, and where there
    // is none the user is told so. The entry's id, or none when it was not
    // added (the message shown).
    std::optional<long long> add(const std::function<LogEntry(const LogMirror&)>& make);

    // Reads the logbook again when another window or program changed it.
    void refreshIfChanged();
    // Reads the logbook again.
    void reload();

    // The logbooks opened last, newest first, as kept between runs.
    QStringList recentLogbooks() const;

    QTableWidget* entryTable() const { return table_; }
    QPlainTextEdit* entryText() const { return details_; }
    QLabel* readOnlyLabel() const { return readOnly_; }
    QLineEdit* noteEdit() const { return note_; }
    QLineEdit* commentEdit() const { return comment_; }
    QToolButton* recentButton() const { return recent_; }
    // The progress plot as last drawn, in its own pixels.
    const QImage& plotImage() const { return plotImage_; }
    // The id of the selected entry; none without a selection.
    std::optional<long long> selectedEntry() const;
    void selectEntry(long long id);

protected:
    bool event(QEvent* event) override;

private:
    class PlotView;
    void createControls();
    void runAction(const std::function<void()>& action);
    void adopt(std::unique_ptr<Logbook> book);
    void remember(const QString& path);
    void fillRecentMenu();
    void showSelected();
    FileDialogRequest logbookDialog(const char* caption);

    ErrorReporter& errors_;
    FileDialogs& dialogs_;
    DialogFolder folder_;
    QSettings& settings_;
    Hooks hooks_;
    std::unique_ptr<Logbook> book_;
    std::vector<LogEntry> entries_;
    QImage plotImage_;

    QLabel* mirror_ = nullptr;
    QLabel* readOnly_ = nullptr;
    QToolButton* recent_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QTableWidget* table_ = nullptr;
    QPlainTextEdit* details_ = nullptr;
    PlotView* plot_ = nullptr;
    QLineEdit* note_ = nullptr;
    QLineEdit* comment_ = nullptr;
    std::vector<QPushButton*> needBook_;     // enabled with an open logbook
    std::vector<QWidget*> needWritable_;     // enabled with one that can be written
};

}  // namespace sg
