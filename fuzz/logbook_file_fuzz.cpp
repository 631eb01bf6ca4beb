// SPDX-License-Identifier: GPL-3.0-or-later
// A logbook file of any bytes: refused with a LogbookError, or opened with
// every entry read whole; either way the file's bytes are left as they
// were.
#include "fuzz/fuzz_check.h"
#include "logbook/logbook.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Qt's SQL driver is a plug-in, found through the application object.
    static int argc = 1;
    static char name[] = "logbook_file_fuzz";
    static char* argv[] = {name, nullptr};
    static const std::unique_ptr<QCoreApplication> app(QCoreApplication::instance() == nullptr
                                                           ? new QCoreApplication(argc, argv)
                                                           : nullptr);
    const QTemporaryDir dir;
    FUZZ_CHECK(dir.isValid());
    const QString path = dir.filePath("fuzz.sglog");
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile f(path);
        FUZZ_CHECK(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    try {
        const std::unique_ptr<sg::Logbook> book = sg::Logbook::open(path);
        for (const sg::LogEntry& e : book->entries(true)) {
            FUZZ_CHECK(e.id > 0);
            FUZZ_CHECK(e.kind != sg::EntryKind::Reduction || e.reduction.has_value());
            FUZZ_CHECK(e.kind != sg::EntryKind::Photo || e.photo.has_value());
        }
    } catch (const sg::LogbookError&) {
    }
    QFile f(path);
    FUZZ_CHECK(f.open(QIODevice::ReadOnly));
    const QByteArray after = f.readAll();
    // Opening and reading change nothing, a whole logbook's bytes included.
    FUZZ_CHECK(after == bytes);
    return 0;
}
