// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/file_dialogs.h"

#include "widgets/error_reporter.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <array>
#include <cerrno>
#include <cstring>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

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

std::optional<QString> makeUserFolders(const QString& path) {
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    // The deepest folder that exists, and the names to make below it.
    QString existing = absolute;
    QStringList missing;
    while (!QFileInfo::exists(existing) && !QDir(existing).isRoot()) {
        missing.prepend(QFileInfo(existing).fileName());
        existing = QFileInfo(existing).path();
    }
    if (!missing.isEmpty() && QDir(existing).isRoot())
        return QStringLiteral("it would be made at the top of the file system");
    QString at = existing;
    for (const QString& name : missing) {
        at = QDir(at).filePath(name);
        if (::mkdir(QFile::encodeName(at).constData(), 0777) != 0 && errno != EEXIST)
            return QString::fromLocal8Bit(std::strerror(errno));
    }
    if (!QFileInfo(absolute).isDir()) return QStringLiteral("it is not a folder");
    return std::nullopt;
}

UserFolder::UserFolder(QString folder, ErrorReporter& errors) : folder_(std::move(folder)), errors_(errors) {}

QString UserFolder::folderFor(const QString& kind) {
    const QString wanted = QDir(folder_).filePath(kind);
    const std::optional<QString> problem = makeUserFolders(wanted);
    if (!problem) return wanted;
    const QString instead = fallback();
    if (!told_) {
        told_ = true;
        errors_.showError("There is no usable folder for your files: \"" + QDir::toNativeSeparators(wanted).toStdString() +
                          "\" cannot be made (" + problem->toStdString() + "). The file dialogs start in \"" +
                          QDir::toNativeSeparators(instead).toStdString() + "\".");
    }
    return instead;
}

QString UserFolder::fallback() {
    auto owned = [](const QString& folder) {
        struct stat st {};
        return !folder.isEmpty() && ::stat(QFile::encodeName(folder).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
               st.st_uid == ::geteuid();
    };
    QStringList candidates;
    // The home folder of the user's account, also when HOME is unset.
    struct passwd entry {};
    struct passwd* found = nullptr;
    std::array<char, 4096> buffer{};
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr)
        candidates << QFile::decodeName(found->pw_dir);
    candidates << qEnvironmentVariable("HOME") << QDir::currentPath();
    for (const QString& c : candidates)
        if (QFileInfo(c).isAbsolute() && owned(c)) return QDir::cleanPath(c);
    return QDir::tempPath();
}

DialogFolder::DialogFolder(UserFolder& userFolder, QString kind, QSettings* settings)
    : userFolder_(userFolder), kind_(std::move(kind)), settings_(settings) {
    if (settings_ != nullptr) last_ = settings_->value("folders/" + kind_).toString();
}

QString DialogFolder::start() {
    if (!last_.isEmpty() && QFileInfo(last_).isDir()) return last_;
    return userFolder_.folderFor(kind_);
}

void DialogFolder::remember(const QString& chosenPath) {
    last_ = QFileInfo(chosenPath).absolutePath();
    if (settings_ != nullptr) settings_->setValue("folders/" + kind_, last_);
}

}  // namespace sg
