#pragma once
// The file dialogs of Save and Retrieve, and the folders they start in.
// The program asks real dialogs; a test answers with a path or a cancel.

#include <QString>
#include <QStringList>

#include <optional>

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

// Where one kind of dialog starts: first in <userFolder>/<kind>, created on
// first use; then in the folder of the last file chosen.
class DialogFolder {
public:
    DialogFolder(QString userFolder, QString kind);
    QString start();
    void remember(const QString& chosenPath);

private:
    QString userFolder_;
    QString kind_;
    QString last_;
};

}  // namespace sg
