// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A mirror's logbook on disk: one SQLite file holding the mirror and its
// entries, opened in WAL mode, every change one transaction, so that a
// program killed while adding leaves the logbook as it was or with the
// whole entry, and two programs on one logbook see each other's entries.
//
// Before anything is written the file is checked with a read-only
// connection: its first 16 bytes are SQLite's header, its application id
// is the logbook's, SQLite's quick check finds nothing wrong, and its
// schema version is one this program knows. A file that fails any of
// these is refused and never written. A logbook of a newer schema, or one
// that cannot be written (a read-only file, folder or medium), opens
// read-only and says why.

#include "logbook/logbook_entry.h"

#include <QString>

#include <memory>

namespace sg {

// The schema this program writes; PRAGMA user_version holds it.
inline constexpr int kLogbookSchema = 1;
// PRAGMA application_id of a logbook: "SgLb".
inline constexpr int kLogbookApplicationId = 0x53674c62;
// How long a change waits for another program's change to finish, ms.
inline constexpr int kLogbookBusyMs = 20000;

class Logbook {
public:
    ~Logbook();
    Logbook(const Logbook&) = delete;
    Logbook& operator=(const Logbook&) = delete;

    // Opens an existing logbook; read-only when `readOnly` is asked, when
    // its schema is newer or when it cannot be written. Throws
    // LogbookError for a file that is missing, not a logbook, or damaged.
    static std::unique_ptr<Logbook> open(const QString& path, bool readOnly = false);
    // Makes a new logbook of the mirror at `path`, whole or not at all: it
    // is made beside and moved into place complete. An existing file is
    // replaced only when `replace` is set; otherwise LogbookError says it
    // exists. Throws LogbookError when it cannot be written.
    static std::unique_ptr<Logbook> create(const QString& path, const LogMirror& mirror, bool replace = false);
    // True when `path` starts as a SQLite file does (it may still be damaged).
    static bool looksLikeSqlite(const QString& path);

    const QString& path() const { return path_; }
    bool readOnly() const { return readOnly_; }
    // Why it is read-only, for the user; empty when it can be written.
    const std::string& readOnlyReason() const { return readOnlyReason_; }
    int schemaVersion() const { return schema_; }

    const LogMirror& mirror() const { return mirror_; }

    // Every entry in the order added. With `withRecords` false the
    // reductions' and photos' records (the readings, the photo's bytes)
    // are left out: what a list or a plot needs.
    std::vector<LogEntry> entries(bool withRecords = false) const;
    // One entry, whole; none when there is no such entry.
    std::optional<LogEntry> entry(long long id) const;
    long long entryCount() const;

    // Adds the entry in one transaction and returns its id. An entry of a
    // kind without its record (a reduction without `reduction`) is refused
    // with std::invalid_argument. Throws LogbookError when the logbook is
    // read-only or the write fails; the logbook then stays as it was.
    long long add(const LogEntry& entry);
    // Replaces an entry's comment; false when there is no such entry.
    bool setComment(long long id, const std::string& comment);

    // True when another connection (another window, another program) has
    // changed the logbook since this one last looked.
    bool changedElsewhere();

private:
    Logbook(QString path, QString connection);
    void readMirror();
    void requireWritable() const;

    QString path_;
    QString connection_;
    bool readOnly_ = false;
    std::string readOnlyReason_;
    int schema_ = 0;
    LogMirror mirror_;
    long long dataVersion_ = -1;
};

}  // namespace sg
