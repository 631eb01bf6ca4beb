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
    return parseReadingText(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void writeReadingFile(const QString& path, const ReductionInput& input) {
    const std::string text = readingText(input);
    if (const std::optional<QString> reason =
            saveWholeFile(path, QByteArrayView(text.data(), static_cast<qsizetype>(text.size()))))
        throw ReductionInputError("cannot save '" + path.toStdString() + "': " + reason->toStdString());
}

}  // namespace sg
