// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file dialogs of Save and Retrieve, and the folders they start in.
// The program asks real dialogs; a test answers with a path or a cancel.

#include <QString>
#include <QStringList>

#include <optional>

class QSettings;
class QWidget;

namespace sg {

// What one dialog asks: its caption, the folder it starts in, its filters
// ("Shape Files (*.Shp)", "All Files (*)") and, for a save, the extension a
// name typed without one receives.
struct FileDialogRequest {
    QString caption;
    QString directory;
    QStringList filters;
    QString defaultSuffix;
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // The chosen path, or nothing when the user cancels.
    virtual std::optional<QString> askOpen(QWidget* parent, const FileDialogRequest& request) = 0;
    // As above; asks before replacing an existing file.
    virtual std::optional<QString> askSave(QWidget* parent, const FileDialogRequest& request) = 0;
};

class QtFileDialogs : public FileDialogs {
public:
    std::optional<QString> askOpen(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<QString> askSave(QWidget* parent, const FileDialogRequest& request) override;
};

// The per-user folder of the program's files: "Shadowgram" in the user's
// documents folder.
QString defaultUserFolder();

// The path with ".<suffix>" added when its name has no extension.
QString withDefaultSuffix(const QString& path, const QString& suffix);

class ErrorReporter;

// The user's folder and its kinds of files (<folder>/Test, <folder>/Shape),
// shared by every dialog of the program.
class UserFolder {
public:
    UserFolder(QString folder, ErrorReporter& errors);

    // <folder>/<kind>, made on first use. Folders are made only below an
    // existing folder other than the file system's root. Where the folder
    // cannot be had, the dialogs start in a folder that exists and that the
    // user owns (the home folder, else the working folder, else the
    // temporary one), and the first time the user hears why.
    QString folderFor(const QString& kind);

private:
    QString fallback();

    QString folder_;
    ErrorReporter& errors_;
    bool told_ = false;
};

// Where one kind of dialog starts: first in the user folder's <kind>; then
// in the folder of the last file chosen, also in later runs when `settings`
// are given (kept under "folders/<kind>").
class DialogFolder {
public:
    DialogFolder(UserFolder& userFolder, QString kind, QSettings* settings = nullptr);
    QString start();
    void remember(const QString& chosenPath);

private:
    UserFolder& userFolder_;
    QString kind_;
    QSettings* settings_;
    QString last_;
};

// Makes `path` and the folders missing above it, only below an existing
// folder that is not the root. Returns the reason when it cannot.
std::optional<QString> makeUserFolders(const QString& path);

}  // namespace sg
