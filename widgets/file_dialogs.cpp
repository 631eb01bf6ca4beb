#include "file_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

namespace sg {

namespace {

std::optional<QString> run(QWidget* parent, const FileDialogRequest& request, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent, request.caption, request.directory);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(request.filters);
    if (!request.defaultSuffix.isEmpty()) dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first();
}

}  // namespace

std::optional<QString> QtFileDialogs::askOpen(QWidget* parent, const FileDialogRequest& request) {
    return run(parent, request, QFileDialog::AcceptOpen);
}

std::optional<QString> QtFileDialogs::askSave(QWidget* parent, const FileDialogRequest& request) {
    return run(parent, request, QFileDialog::AcceptSave);
}

QString defaultUserFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).filePath("Shadowgram");
}

QString withDefaultSuffix(const QString& path, const QString& suffix) {
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty()) return path;
    return path + "." + suffix;
}

DialogFolder::DialogFolder(QString userFolder, QString kind) : userFolder_(std::move(userFolder)), kind_(std::move(kind)) {}

QString DialogFolder::start() {
    if (!last_.isEmpty() && QFileInfo(last_).isDir()) return last_;
    const QString folder = QDir(userFolder_).filePath(kind_);
    QDir().mkpath(folder);
    return folder;
}

void DialogFolder::remember(const QString& chosenPath) { last_ = QFileInfo(chosenPath).absolutePath(); }

}  // namespace sg
