// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "testfile/setup_transfer.h"

class QPlainTextEdit;

namespace sg {

// The main window's notes box as the test file sees it: one line for each
// paragraph as typed, however the box wraps it on screen.
class NotesBoxLines : public NotesLines {
public:
    explicit NotesBoxLines(QPlainTextEdit* box) : box_(box) {}
    int lineCount() const override;
    QString line(int index) const override;
    void setLine(int index, const QString& text) override;

private:
    QPlainTextEdit* box_;
};

}  // namespace sg
