#pragma once

#include "setup_transfer.h"

#include <vector>

class QPlainTextEdit;

namespace sg {

// The main window's notes box as the test file sees it: one line for each
// line as displayed, so a paragraph wrapped at the box's width counts as
// several lines, and an empty paragraph as one.
class NotesBoxLines : public NotesLines {
public:
    explicit NotesBoxLines(QPlainTextEdit* box) : box_(box) {}
    int lineCount() const override;
    QString line(int index) const override;
    void replaceLine(int index, const QString& text) override;

private:
    struct Span {
        int position;  // in the document
        int length;
    };
    std::vector<Span> spans() const;

    QPlainTextEdit* box_;
};

}  // namespace sg
