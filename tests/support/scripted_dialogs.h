// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// File dialogs that answer from a script: each question takes the next
// answer, a path or a cancel, and is recorded.

#include "widgets/file_dialogs.h"

#include <deque>
#include <optional>
#include <vector>

namespace sg::testing {

class ScriptedDialogs : public FileDialogs {
public:
    std::deque<std::optional<QString>> answers;
    std::vector<FileDialogRequest> asked;
    std::vector<bool> askedToSave;

    std::optional<QString> askOpen(QWidget*, const FileDialogRequest& request) override { return next(request, false); }
    std::optional<QString> askSave(QWidget*, const FileDialogRequest& request) override { return next(request, true); }

private:
    std::optional<QString> next(const FileDialogRequest& request, bool save) {
        asked.push_back(request);
        askedToSave.push_back(save);
        if (answers.empty()) return std::nullopt;
        const bool cancel = !answers.front().has_value();
        const QString path = cancel ? QString() : *answers.front();
        answers.pop_front();
        if (cancel) return std::nullopt;
        return path;
    }
};

}  // namespace sg::testing
