#include "record_file.h"

#include <QFile>
#include <QSaveFile>

namespace sg {

std::optional<QString> saveRecordFile(const QString& path, std::span<const std::uint8_t> bytes) {
    QSaveFile file(path);
    // Unbuffered, so that a failing write is seen here: a buffered one would
    // only fail in commit's flush, which this Qt commits all the same.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return file.errorString();
    const auto size = static_cast<qint64>(bytes.size());
    if (file.write(reinterpret_cast<const char*>(bytes.data()), size) != size) return file.errorString();
    if (!file.commit()) return file.errorString();
    return std::nullopt;
}

std::optional<QString> loadRecordFile(const QString& path, qint64 size, QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return file.errorString();
    bytes = file.read(size);
    if (file.error() != QFileDevice::NoError) return file.errorString();
    return std::nullopt;
}

}  // namespace sg
