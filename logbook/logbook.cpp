// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/logbook.h"

#include "fileio/record_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <QVariant>

#include <cerrno>
#include <cmath>
#include <cstring>

#include <unistd.h>

namespace sg {

namespace {

constexpr char kSqliteHeader[] = "SQLite format 3";  // and its terminating zero: 16 bytes

// Version 1 of the schema. A later version only adds tables and columns,
// so that an older program reads what it knows of a newer logbook.
const char* const kSchema[] = {
    "CREATE TABLE mirror ("
    " id INTEGER PRIMARY KEY CHECK (id = 1),"
    " name TEXT NOT NULL,"
    " diameter_mm REAL NOT NULL,"
    " radius_mm REAL NOT NULL,"
    " wanted_conic REAL NOT NULL,"
    " wavelength_um REAL NOT NULL,"
    " tester TEXT NOT NULL)",
    "CREATE TABLE entry ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " kind TEXT NOT NULL CHECK (kind IN ('reduction', 'photo', 'note')),"
    " made TEXT NOT NULL,"
    " comment TEXT NOT NULL DEFAULT '',"
    " conic REAL, conic_sigma REAL, correction_error_wave REAL, rms_wave REAL, strehl REAL,"
    " report TEXT NOT NULL DEFAULT '')",
    "CREATE TABLE reduction ("
    " entry INTEGER PRIMARY KEY REFERENCES entry (id) ON DELETE CASCADE,"
    " file_name TEXT NOT NULL,"
    " readings TEXT NOT NULL,"
    " options TEXT NOT NULL,"
    " verdict TEXT NOT NULL)",
    "CREATE TABLE photo ("
    " entry INTEGER PRIMARY KEY REFERENCES entry (id) ON DELETE CASCADE,"
    " file_name TEXT NOT NULL, bytes BLOB NOT NULL,"
    " second_name TEXT NOT NULL, second_bytes BLOB NOT NULL, separation_mm REAL NOT NULL,"
    " map_cx REAL NOT NULL, map_cy REAL NOT NULL, map_scale REAL NOT NULL, map_rotation_deg REAL NOT NULL,"
    " level_bands INTEGER NOT NULL,"
    " diameter_mm REAL NOT NULL, radius_mm REAL NOT NULL, lines_per_mm REAL NOT NULL, wavelength_um REAL NOT NULL,"
    " source_moves INTEGER NOT NULL, exact INTEGER NOT NULL, side_given TEXT NOT NULL,"
    " zone TEXT NOT NULL, zone_start REAL NOT NULL,"
    " offset_mm REAL NOT NULL, conic REAL NOT NULL, transverse_bands REAL NOT NULL, edge_shift_px REAL NOT NULL,"
    " zone_height REAL NOT NULL, offset_sigma_mm REAL NOT NULL, zone_height_sigma REAL NOT NULL,"
    " side TEXT NOT NULL, side_from TEXT NOT NULL,"
    " model TEXT NOT NULL, spectrum TEXT NOT NULL, source_kind TEXT NOT NULL, slit_width_mm REAL NOT NULL)",
    "CREATE TABLE note ("
    " entry INTEGER PRIMARY KEY REFERENCES entry (id) ON DELETE CASCADE,"
    " text TEXT NOT NULL)",
};

constexpr const char* kPhotoColumns[] = {
    "file_name", "bytes", "second_name", "second_bytes", "separation_mm", "map_cx", "map_cy", "map_scale",
    "map_rotation_deg", "level_bands", "diameter_mm", "radius_mm", "lines_per_mm", "wavelength_um", "source_moves",
    "exact", "side_given", "zone", "zone_start", "offset_mm", "conic", "transverse_bands", "edge_shift_px",
    "zone_height", "offset_sigma_mm", "zone_height_sigma", "side", "side_from", "model", "spectrum", "source_kind",
    "slit_width_mm"};

std::string quoted(const QString& path) { return "'" + printableFileName(path.toStdString()) + "'"; }

QString text(const std::string& s) { return QString::fromStdString(s); }

QVariant optionalNumber(const std::optional<double>& v) {
    return v ? QVariant(*v) : QVariant(QMetaType::fromType<double>());
}

std::optional<double> numberOrNone(const QVariant& v) {
    if (v.isNull()) return std::nullopt;
    return v.toDouble();
}

// A query that throws LogbookError with `what` and SQLite's reason when
// it fails.
class Query {
public:
    Query(const QSqlDatabase& db, std::string what) : q_(db), what_(std::move(what)) {}
    Query& prepare(const QString& sql) {
        if (!q_.prepare(sql)) fail();
        return *this;
    }
    Query& bind(const QVariant& v) {
        q_.addBindValue(v);
        return *this;
    }
    Query& run() {
        if (!q_.exec()) fail();
        return *this;
    }
    Query& run(const QString& sql) {
        if (!q_.exec(sql)) fail();
        return *this;
    }
    bool next() { return q_.next(); }
    QVariant value(int i) const { return q_.value(i); }
    QVariant value(const char* name) const { return q_.value(QString::fromLatin1(name)); }
    QSqlQuery& query() { return q_; }
    [[noreturn]] void fail() const {
        throw LogbookError(what_ + ": " + q_.lastError().databaseText().toStdString());
    }

private:
    QSqlQuery q_;
    std::string what_;
};

// One connection of its own name, closed and removed with the object.
class Connection {
public:
    Connection(const QString& name, const QString& database, const QString& options) : name_(name) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(database);
        db.setConnectOptions(options);
    }
    ~Connection() {
        {
            QSqlDatabase db = QSqlDatabase::database(name_, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(name_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    QSqlDatabase db() const { return QSqlDatabase::database(name_, false); }
    bool open() {
        QSqlDatabase d = db();
        return d.open();
    }
    std::string error() const { return db().lastError().text().toStdString(); }

private:
    QString name_;
};

QString connectionOptions(bool readOnly, bool uri = false) {
    QString o = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kLogbookBusyMs);
    if (readOnly) o += QStringLiteral(";QSQLITE_OPEN_READONLY");
    if (uri) o += QStringLiteral(";QSQLITE_OPEN_URI");
    return o;
}

// The file as an SQLite URI that reads it without taking any lock or
// making any file beside it: for a logbook on a medium that cannot be
// written, where SQLite cannot make the shared memory file of WAL mode.
QString immutableUri(const QString& path) {
    const QByteArray local = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    return QStringLiteral("file:") + QString::fromLatin1(QUrl::toPercentEncoding(local, "/")) +
           QStringLiteral("?immutable=1");
}

bool writable(const QString& path) { return ::access(QFile::encodeName(path).constData(), W_OK) == 0; }

// Why the logbook at `path` cannot be written; empty when it can.
std::string unwritableReason(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    if (::access(name.constData(), W_OK) != 0) {
        if (errno == EROFS) return "it lies on a medium that cannot be written";
        return "the file cannot be written (" + std::string(std::strerror(errno)) + ")";
    }
    // WAL mode keeps two files beside the logbook.
    const QString folder = QFileInfo(path).absolutePath();
    const bool besideFiles = writable(path + "-wal") && writable(path + "-shm");
    if (!besideFiles && !writable(folder)) return "its folder cannot be written";
    return {};
}

// A file that is a logbook as far as its first bytes and its length tell:
// throws LogbookError otherwise.
void checkFileStart(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) throw LogbookError("The logbook " + quoted(path) + " does not exist.");
    QByteArray start;
    if (const std::optional<QString> reason = readFileStart(path, 100, start))
        throw LogbookError("Cannot read the logbook " + quoted(path) + ": " + reason->toStdString() + ".");
    if (start.size() < 100 || std::memcmp(start.constData(), kSqliteHeader, 16) != 0)
        throw LogbookError("The file " + quoted(path) + " is not a logbook: it is not an SQLite database.");
    // The page size (1 standing for 65536) and the page count, valid when
    // the count's version number matches the change counter: a file
    // shorter than that many pages has lost its end.
    const auto u8 = [&start](int i) { return unsigned(static_cast<unsigned char>(start[i])); };
    const auto u32 = [&u8](int i) { return (u8(i) << 24) | (u8(i + 1) << 16) | (u8(i + 2) << 8) | u8(i + 3); };
    const unsigned pageSize = (u8(16) << 8 | u8(17)) == 1 ? 65536u : (u8(16) << 8 | u8(17));
    if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0)
        throw LogbookError("The logbook " + quoted(path) + " is damaged: its header is not valid.");
    // A checkpoint cut short by a crash writes the header before the pages
    // it counts; the write-ahead log beside the file still holds them, and
    // SQLite finishes the checkpoint. Only without one is a short file cut.
    const QFileInfo log(path + "-wal");
    if (log.exists() && log.size() > 0) return;
    const qint64 size = info.size();
    if (size % pageSize != 0 || (u32(92) == u32(24) && size < qint64(pageSize) * qint64(u32(28))))
        throw LogbookError("The logbook " + quoted(path) + " is damaged: the file has been cut short.");
}

int pragmaInt(const QSqlDatabase& db, const char* name, const std::string& what) {
    Query q(db, what);
    q.run(QStringLiteral("PRAGMA ") + QLatin1String(name));
    return q.next() ? q.value(0).toInt() : 0;
}

// A database whose content the program can trust: SQLite's quick check
// finds nothing wrong, and it is a logbook. Returns its schema version.
int checkContent(const QSqlDatabase& db, const QString& path) {
    const std::string damaged = "The logbook " + quoted(path) + " is damaged";
    Query check(db, damaged);
    check.run(QStringLiteral("PRAGMA quick_check"));
    if (!check.next()) throw LogbookError(damaged + ".");
    const QString first = check.value(0).toString();
    if (first != QLatin1String("ok")) throw LogbookError(damaged + ": " + first.toStdString());
    if (pragmaInt(db, "application_id", damaged) != kLogbookApplicationId)
        throw LogbookError("The file " + quoted(path) + " is not a logbook: it is another program's database.");
    const int schema = pragmaInt(db, "user_version", damaged);
    if (schema < 1) throw LogbookError(damaged + ": it has no schema version.");
    return schema;
}

QString uniqueName(const void* owner, const char* role) {
    return QStringLiteral("sg-logbook-%1-%2-%3")
        .arg(quintptr(owner), 0, 16)
        .arg(QLatin1String(role))
        .arg(QRandomGenerator::global()->generate64(), 0, 16);
}

}  // namespace

const char* entryKindName(EntryKind kind) {
    switch (kind) {
    case EntryKind::Reduction: return "reduction";
    case EntryKind::Photo: return "photo";
    case EntryKind::Note: break;
    }
    return "note";
}

std::optional<EntryKind> entryKindFrom(const std::string& name) {
    for (EntryKind k : {EntryKind::Reduction, EntryKind::Photo, EntryKind::Note})
        if (name == entryKindName(k)) return k;
    return std::nullopt;
}

double correctionErrorWaves(double conic, const LogMirror& m) {
    const double a = m.diameter / 2;
    return (conic - m.wantedConic) * a * a * a * a / (16 * m.radius * m.radius * m.radius * (m.wavelength / 1000));
}

Logbook::Logbook(QString path, QString connection) : path_(std::move(path)), connection_(std::move(connection)) {}

Logbook::~Logbook() {
    {
        QSqlDatabase db = QSqlDatabase::database(connection_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection_);
}

bool Logbook::looksLikeSqlite(const QString& path) {
    QByteArray start;
    return !readFileStart(path, 16, start) && start.size() == 16 && std::memcmp(start.constData(), kSqliteHeader, 16) == 0;
}

std::unique_ptr<Logbook> Logbook::open(const QString& path, bool readOnly) {
    checkFileStart(path);
    const std::string unwritable = unwritableReason(path);
    std::string reason = unwritable;
    int schema = 0;
    bool immutable = false;
    {
        // First read-only: nothing is written to a file that fails a check.
        Connection check(uniqueName(&path, "check"), path, connectionOptions(true));
        bool opened = check.open();
        std::optional<LogbookError> failure;
        if (opened) {
            try {
                schema = checkContent(check.db(), path);
            } catch (const LogbookError& e) {
                failure = e;
            }
        }
        if ((!opened || failure) && !unwritable.empty()) {
            // On a medium that cannot be written SQLite cannot make WAL
            // mode's files beside the logbook: read it as it lies.
            Connection frozen(uniqueName(&path, "frozen"), immutableUri(path), connectionOptions(true, true));
            if (frozen.open()) {
                schema = checkContent(frozen.db(), path);
                immutable = true;
                failure.reset();
                opened = true;
            }
        }
        if (!opened) throw LogbookError("Cannot open the logbook " + quoted(path) + ": " + check.error());
        if (failure) throw *failure;
    }
    if (schema > kLogbookSchema) {
        const std::string newer = "it was written by a newer version of Shadowgram (schema " +
                                  std::to_string(schema) + ", this version knows " + std::to_string(kLogbookSchema) +
                                  ")";
        reason = reason.empty() ? newer : newer + ", and " + reason;
    }
    if (readOnly && reason.empty()) reason = "it was opened read-only";

    const QString name = uniqueName(&path, "main");
    std::unique_ptr<Logbook> book(new Logbook(path, name));
    book->readOnly_ = !reason.empty();
    book->readOnlyReason_ = reason.empty() ? std::string() : "The logbook " + quoted(path) + " is read-only: " + reason + ".";
    book->schema_ = schema;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(immutable ? immutableUri(path) : path);
    db.setConnectOptions(connectionOptions(book->readOnly_, immutable));
    if (!db.open()) throw LogbookError("Cannot open the logbook " + quoted(path) + ": " + db.lastError().text().toStdString());
    if (!book->readOnly_) {
        const std::string what = "Cannot open the logbook " + quoted(path);
        Query(db, what).run(QStringLiteral("PRAGMA journal_mode = WAL"));
        Query(db, what).run(QStringLiteral("PRAGMA synchronous = FULL"));
        Query(db, what).run(QStringLiteral("PRAGMA foreign_keys = ON"));
    }
    book->readMirror();
    book->changedElsewhere();
    return book;
}

std::unique_ptr<Logbook> Logbook::create(const QString& path, const LogMirror& mirror, bool replace) {
    const QFileInfo info(path);
    if (info.exists() && !replace) throw LogbookError("The file " + quoted(path) + " exists already.");
    if (info.exists() && !info.isFile()) throw LogbookError("Cannot make the logbook " + quoted(path) + ": it is not a file.");
    const QString folder = info.absolutePath();
    const QString temporary = folder + "/." + info.fileName() + "." +
                              QString::number(QRandomGenerator::global()->generate64(), 36) + ".new";
    const std::string what = "Cannot make the logbook " + quoted(path);
    const auto removeTemporary = [&temporary] {
        for (const char* suffix : {"", "-wal", "-shm", "-journal"}) QFile::remove(temporary + suffix);
    };
    try {
        Connection c(uniqueName(&path, "create"), temporary, connectionOptions(false));
        if (!c.open()) throw LogbookError(what + ": " + c.error());
        const QSqlDatabase db = c.db();
        Query(db, what).run(QStringLiteral("PRAGMA synchronous = FULL"));
        Query(db, what).run(QStringLiteral("BEGIN IMMEDIATE"));
        Query(db, what).run(QStringLiteral("PRAGMA application_id = %1").arg(kLogbookApplicationId));
        Query(db, what).run(QStringLiteral("PRAGMA user_version = %1").arg(kLogbookSchema));
        for (const char* sql : kSchema) Query(db, what).run(QString::fromLatin1(sql));
        Query(db, what)
            .prepare(QStringLiteral("INSERT INTO mirror (id, name, diameter_mm, radius_mm, wanted_conic, wavelength_um, "
                                    "tester) VALUES (1, ?, ?, ?, ?, ?, ?)"))
            .bind(text(mirror.name))
            .bind(mirror.diameter)
            .bind(mirror.radius)
            .bind(mirror.wantedConic)
            .bind(mirror.wavelength)
            .bind(text(mirror.tester))
            .run();
        Query(db, what).run(QStringLiteral("COMMIT"));
        Query(db, what).run(QStringLiteral("PRAGMA journal_mode = WAL"));
    } catch (...) {
        removeTemporary();
        throw;
    }
    const QByteArray from = QFile::encodeName(temporary), to = QFile::encodeName(path);
    if (replace) {
        // The files WAL mode kept beside the logbook replaced belong to it.
        QFile::remove(path + "-wal");
        QFile::remove(path + "-shm");
        if (::rename(from.constData(), to.constData()) != 0) {
            const std::string why = std::strerror(errno);
            removeTemporary();
            throw LogbookError(what + ": " + why + ".");
        }
    } else {
        // link() never replaces a file another program made meanwhile.
        const int linked = ::link(from.constData(), to.constData());
        const int error = errno;
        removeTemporary();
        if (linked != 0) {
            if (error == EEXIST) throw LogbookError("The file " + quoted(path) + " exists already.");
            throw LogbookError(what + ": " + std::strerror(error) + ".");
        }
    }
    return open(path);
}

void Logbook::readMirror() {
    const QSqlDatabase db = QSqlDatabase::database(connection_, false);
    Query q(db, "Cannot read the logbook " + quoted(path_));
    q.run(QStringLiteral("SELECT name, diameter_mm, radius_mm, wanted_conic, wavelength_um, tester FROM mirror WHERE id = 1"));
    if (!q.next()) throw LogbookError("The logbook " + quoted(path_) + " is damaged: it names no mirror.");
    mirror_.name = q.value(0).toString().toStdString();
    mirror_.diameter = q.value(1).toDouble();
    mirror_.radius = q.value(2).toDouble();
    mirror_.wantedConic = q.value(3).toDouble();
    mirror_.wavelength = q.value(4).toDouble();
    mirror_.tester = q.value(5).toString().toStdString();
}

void Logbook::requireWritable() const {
    if (readOnly_) throw LogbookError(readOnlyReason_);
}

std::vector<LogEntry> Logbook::entries(bool withRecords) const {
    const QSqlDatabase db = QSqlDatabase::database(connection_, false);
    const std::string what = "Cannot read the logbook " + quoted(path_);
    std::vector<LogEntry> out;
    {
        Query q(db, what);
        q.run(QStringLiteral("SELECT e.id, e.kind, e.made, e.comment, e.conic, e.conic_sigma, e.correction_error_wave, "
                             "e.rms_wave, e.strehl, e.report, n.text FROM entry e LEFT JOIN note n ON n.entry = e.id "
                             "ORDER BY e.id"));
        while (q.next()) {
            LogEntry e;
            e.id = q.value(0).toLongLong();
            const std::optional<EntryKind> kind = entryKindFrom(q.value(1).toString().toStdString());
            if (!kind) continue;  // a kind of a newer version
            e.kind = *kind;
            e.made = q.value(2).toString().toStdString();
            e.comment = q.value(3).toString().toStdString();
            e.conic = numberOrNone(q.value(4));
            e.conicSigma = numberOrNone(q.value(5));
            e.correctionError = numberOrNone(q.value(6));
            e.rms = numberOrNone(q.value(7));
            e.strehl = numberOrNone(q.value(8));
            e.report = q.value(9).toString().toStdString();
            e.note = q.value(10).toString().toStdString();
            out.push_back(std::move(e));
        }
    }
    if (withRecords)
        for (LogEntry& e : out)
            if (std::optional<LogEntry> whole = entry(e.id)) e = std::move(*whole);
    return out;
}

std::optional<LogEntry> Logbook::entry(long long id) const {
    const QSqlDatabase db = QSqlDatabase::database(connection_, false);
    const std::string what = "Cannot read the logbook " + quoted(path_);
    // One read transaction, so that the entry and its record agree.
    Query(db, what).run(QStringLiteral("BEGIN"));
    struct End {
        QSqlDatabase db;
        ~End() { QSqlQuery(db).exec(QStringLiteral("COMMIT")); }
    } end{db};
    LogEntry e;
    {
        Query q(db, what);
        q.prepare(QStringLiteral("SELECT kind, made, comment, conic, conic_sigma, correction_error_wave, rms_wave, strehl, "
                                 "report FROM entry WHERE id = ?"))
            .bind(id)
            .run();
        if (!q.next()) return std::nullopt;
        const std::optional<EntryKind> kind = entryKindFrom(q.value(0).toString().toStdString());
        if (!kind) return std::nullopt;
        e.id = id;
        e.kind = *kind;
        e.made = q.value(1).toString().toStdString();
        e.comment = q.value(2).toString().toStdString();
        e.conic = numberOrNone(q.value(3));
        e.conicSigma = numberOrNone(q.value(4));
        e.correctionError = numberOrNone(q.value(5));
        e.rms = numberOrNone(q.value(6));
        e.strehl = numberOrNone(q.value(7));
        e.report = q.value(8).toString().toStdString();
    }
    const std::string damaged = "The logbook " + quoted(path_) + " is damaged: entry " + std::to_string(id) + " has lost its ";
    switch (e.kind) {
    case EntryKind::Note: {
        Query q(db, what);
        q.prepare(QStringLiteral("SELECT text FROM note WHERE entry = ?")).bind(id).run();
        if (!q.next()) throw LogbookError(damaged + "text.");
        e.note = q.value(0).toString().toStdString();
        break;
    }
    case EntryKind::Reduction: {
        Query q(db, what);
        q.prepare(QStringLiteral("SELECT file_name, readings, options, verdict FROM reduction WHERE entry = ?")).bind(id).run();
        if (!q.next()) throw LogbookError(damaged + "readings.");
        ReductionRecord r;
        r.fileName = q.value(0).toString().toStdString();
        r.readings = q.value(1).toString().toStdString();
        r.options = q.value(2).toString().toStdString();
        r.verdict = q.value(3).toString().toStdString();
        e.reduction = std::move(r);
        break;
    }
    case EntryKind::Photo: {
        Query q(db, what);
        QString sql = QStringLiteral("SELECT ");
        for (std::size_t i = 0; i < std::size(kPhotoColumns); ++i)
            sql += (i ? QStringLiteral(", ") : QString()) + QLatin1String(kPhotoColumns[i]);
        q.prepare(sql + QStringLiteral(" FROM photo WHERE entry = ?")).bind(id).run();
        if (!q.next()) throw LogbookError(damaged + "photo.");
        PhotoRecord p;
        int c = 0;
        const auto s = [&] { return q.value(c++).toString().toStdString(); };
        const auto d = [&] { return q.value(c++).toDouble(); };
        const auto b = [&] { return q.value(c++).toLongLong() != 0; };
        p.fileName = s();
        p.bytes = q.value(c++).toByteArray();
        p.secondName = s();
        p.secondBytes = q.value(c++).toByteArray();
        p.separation = d();
        p.mapCx = d();
        p.mapCy = d();
        p.mapScale = d();
        p.mapRotationDeg = d();
        p.levelBands = b();
        p.diameter = d();
        p.radius = d();
        p.linesPerMm = d();
        p.wavelength = d();
        p.sourceMoves = b();
        p.exact = b();
        p.sideGiven = s();
        p.zone = s();
        p.zoneStart = d();
        p.offset = d();
        p.conic = d();
        p.transverse = d();
        p.edgeShift = d();
        p.zoneHeight = d();
        p.offsetSigma = d();
        p.zoneHeightSigma = d();
        p.side = s();
        p.sideFrom = s();
        p.model = s();
        p.spectrum = s();
        p.sourceKind = s();
        p.slitWidth = d();
        e.photo = std::move(p);
        break;
    }
    }
    return e;
}

long long Logbook::entryCount() const {
    const QSqlDatabase db = QSqlDatabase::database(connection_, false);
    Query q(db, "Cannot read the logbook " + quoted(path_));
    q.run(QStringLiteral("SELECT count(*) FROM entry"));
    return q.next() ? q.value(0).toLongLong() : 0;
}

long long Logbook::add(const LogEntry& e) {
    if (e.kind == EntryKind::Reduction && !e.reduction) throw std::invalid_argument("a reduction entry without its readings");
    if (e.kind == EntryKind::Photo && !e.photo) throw std::invalid_argument("a photo entry without its photo");
    requireWritable();
    const QSqlDatabase db = QSqlDatabase::database(connection_, false);
    const std::string what = "Cannot add to the logbook " + quoted(path_);
    // BEGIN IMMEDIATE takes the write lock first, waiting for another
    // program's change to end, so that the transaction never fails half-way
    // for a lock.
    Query(db, what).run(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        Query q(db, what);
        q.prepare(QStringLiteral("INSERT INTO entry (kind, made, comment, conic, conic_sigma, correction_error_wave, "
                                 "rms_wave, strehl, report) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"))
            .bind(QString::fromLatin1(entryKindName(e.kind)))
            .bind(text(e.made))
            .bind(text(e.comment))
            .bind(optionalNumber(e.conic))
            .bind(optionalNumber(e.conicSigma))
            .bind(optionalNumber(e.correctionError))
            .bind(optionalNumber(e.rms))
            .bind(optionalNumber(e.strehl))
            .bind(text(e.report))
            .run();
        const long long id = q.query().lastInsertId().toLongLong();
        Query r(db, what);
        switch (e.kind) {
        case EntryKind::Note:
            r.prepare(QStringLiteral("INSERT INTO note (entry, text) VALUES (?, ?)")).bind(id).bind(text(e.note)).run();
            break;
        case EntryKind::Reduction: {
            const ReductionRecord& rr = *e.reduction;
            r.prepare(QStringLiteral("INSERT INTO reduction (entry, file_name, readings, options, verdict) VALUES (?, ?, ?, ?, ?)"))
                .bind(id)
                .bind(text(rr.fileName))
                .bind(text(rr.readings))
                .bind(text(rr.options))
                .bind(text(rr.verdict))
                .run();
            break;
        }
        case EntryKind::Photo: {
            const PhotoRecord& p = *e.photo;
            QString sql = QStringLiteral("INSERT INTO photo (entry"), marks = QStringLiteral("?");
            for (const char* column : kPhotoColumns) {
                sql += QStringLiteral(", ") + QLatin1String(column);
                marks += QStringLiteral(", ?");
            }
            r.prepare(sql + QStringLiteral(") VALUES (") + marks + QStringLiteral(")"));
            // A blob, never taken for text, even when empty.
            const auto blob = [](const QByteArray& bytes) { return QVariant(bytes.isNull() ? QByteArray("") : bytes); };
            r.bind(id)
                .bind(text(p.fileName))
                .bind(blob(p.bytes))
                .bind(text(p.secondName))
                .bind(blob(p.secondBytes))
                .bind(p.separation)
                .bind(p.mapCx)
                .bind(p.mapCy)
                .bind(p.mapScale)
                .bind(p.mapRotationDeg)
                .bind(int(p.levelBands))
                .bind(p.diameter)
                .bind(p.radius)
                .bind(p.linesPerMm)
                .bind(p.wavelength)
                .bind(int(p.sourceMoves))
                .bind(int(p.exact))
                .bind(text(p.sideGiven))
                .bind(text(p.zone))
                .bind(p.zoneStart)
                .bind(p.offset)
                .bind(p.conic)
                .bind(p.transverse)
                .bind(p.edgeShift)
                .bind(p.zoneHeight)
                .bind(p.offsetSigma)
                .bind(p.zoneHeightSigma)
                .bind(text(p.side))
                .bind(text(p.sideFrom))
                .bind(text(p.model))
                .bind(text(p.spectrum))
                .bind(text(p.sourceKind))
                .bind(p.slitWidth)
                .run();
            break;
        }
        }
        Query(db, what).run(QStringLiteral("COMMIT"));
        return id;
    } catch (...) {
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}

bool Logbook::setComment(long long id, const std::string& comment) {
    requireWritable();
    const QSqlDatabase db = QSqlDatabase::database(connection_, false);
    Query q(db, "Cannot change the logbook " + quoted(path_));
    q.prepare(QStringLiteral("UPDATE entry SET comment = ? WHERE id = ?")).bind(text(comment)).bind(id).run();
    return q.query().numRowsAffected() > 0;
}

bool Logbook::changedElsewhere() {
    const QSqlDatabase db = QSqlDatabase::database(connection_, false);
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA data_version")) || !q.next()) return false;
    const long long now = q.value(0).toLongLong();
    const bool changed = dataVersion_ >= 0 && now != dataVersion_;
    dataVersion_ = now;
    return changed;
}

}  // namespace sg
