#include "notes_box.h"

#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

namespace sg {

std::vector<NotesBoxLines::Span> NotesBoxLines::spans() const {
    std::vector<Span> out;
    QTextDocument* doc = box_->document();
    auto* layout = qobject_cast<QPlainTextDocumentLayout*>(doc->documentLayout());
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        if (layout != nullptr) layout->ensureBlockLayout(b);
        const QTextLayout* lines = b.layout();
        if (lines == nullptr || lines->lineCount() == 0) {
            out.push_back({b.position(), b.length() - 1});
            continue;
        }
        for (int i = 0; i < lines->lineCount(); ++i) {
            const QTextLine l = lines->lineAt(i);
            out.push_back({b.position() + l.textStart(), l.textLength()});
        }
    }
    return out;
}

int NotesBoxLines::lineCount() const { return static_cast<int>(spans().size()); }

QString NotesBoxLines::line(int index) const {
    const std::vector<Span> s = spans();
    if (index < 0 || index >= static_cast<int>(s.size())) return {};
    const Span& span = s[static_cast<std::size_t>(index)];
    return box_->document()->toPlainText().mid(span.position, span.length);
}

void NotesBoxLines::replaceLine(int index, const QString& text) {
    const std::vector<Span> s = spans();
    if (index < 0 || index >= static_cast<int>(s.size())) return;
    const Span& span = s[static_cast<std::size_t>(index)];
    QTextCursor cursor(box_->document());
    cursor.setPosition(span.position);
    cursor.setPosition(span.position + span.length, QTextCursor::KeepAnchor);
    cursor.insertText(text);
}

}  // namespace sg
