// SPDX-License-Identifier: GPL-3.0-or-later
#include "reduction/reading_file.h"

#include "reduction/reading_text.h"
#include "fileio/record_file.h"

#include <QByteArray>

#include <optional>
#include <string_view>

namespace sg {

ReductionInput readReadingFile(const QString& path) {
    std::string name(1, '\'');
    name += path.toStdString();
    name += '\'';
    QByteArray bytes;
    // One byte more than allowed tells a file that is too large.
    if (const std::optional<QString> reason = readFileStart(path, kMaxReadingFileBytes + 1, bytes))
        throw ReductionInputError("cannot read " + name + ": " + reason->toStdString());
    if (bytes.size() > kMaxReadingFileBytes)
        throw ReductionInputError("cannot read " + name + ": it is larger than 1 MiB; a reading file is a few lines");
    ReductionInput input;
    try {
        input = parseReadingText(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    } catch (const ReductionInputError& e) {
        // The text's message starts with its line: the file's name before it.
        throw ReductionInputError(name + " " + e.what());
    }
    input.fileName = path.toStdString();
    return input;
}

void writeReadingFile(const QString& path, const ReductionInput& input) {
    std::string text;
    try {
        text = readingText(input);
        // What is saved reads back: a zone the reader would refuse is
        // refused now, without the line of a text never written.
        try {
            parseReadingText(text);
        } catch (const ReductionInputError& e) {
            const std::string message = e.what();
            const std::size_t colon = message.find(": ");
            throw ReductionInputError(colon == std::string::npos ? message : message.substr(colon + 2));
        }
    } catch (const ReductionInputError& e) {
        throw ReductionInputError("cannot save '" + path.toStdString() + "': " + e.what());
    }
    if (const std::optional<QString> reason =
            saveWholeFile(path, QByteArrayView(text.data(), static_cast<qsizetype>(text.size()))))
        throw ReductionInputError("cannot save '" + path.toStdString() + "': " + reason->toStdString());
}

}  // namespace sg
