// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/notes_box.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace sg {

int NotesBoxLines::lineCount() const { return box_->document()->blockCount(); }

QString NotesBoxLines::line(int index) const {
    const QTextBlock block = box_->document()->findBlockByNumber(index);
    return block.isValid() ? block.text() : QString();
}

void NotesBoxLines::setLine(int index, const QString& text) {
    if (index < 0) return;
    QTextDocument* doc = box_->document();
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    // The lines the box does not have yet, empty, at its end.
    while (doc->blockCount() <= index) {
        cursor.movePosition(QTextCursor::End);
        cursor.insertBlock();
    }
    const QTextBlock block = doc->findBlockByNumber(index);
    cursor.setPosition(block.position());
    cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
    cursor.insertText(text);
    cursor.endEditBlock();
}

}  // namespace sg
