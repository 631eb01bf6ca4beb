// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileio/record_file.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sg {

namespace {

const char* const kNotRegular = "not a regular file";

QString systemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// A descriptor that is closed on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now; returns the error of close, 0 when none.
    int close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 ? 0 : errno;
    }

private:
    int fd_;
};

// Writes every byte; returns 0 or the error.
int writeAll(int fd, QByteArrayView bytes) {
    const char* at = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, at, static_cast<std::size_t>(left));
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        at += n;
        left -= n;
    }
    return 0;
}

// SIGPIPE held back while a pipe is written: a reader that goes away makes
// the write fail with EPIPE instead of ending the program.
class PipeSignalHeld {
public:
    PipeSignalHeld() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        pendingBefore_ = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
    }
    ~PipeSignalHeld() {
        if (!pendingBefore_) {
            const timespec none{};
            while (sigtimedwait(&pipe_, nullptr, &none) == SIGPIPE) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }
    PipeSignalHeld(const PipeSignalHeld&) = delete;
    PipeSignalHeld& operator=(const PipeSignalHeld&) = delete;

private:
    sigset_t pipe_{}, old_{};
    bool pendingBefore_ = false;
};

// A device or a pipe, written in place.
std::optional<QString> writeInPlace(const QByteArray& path, QByteArrayView bytes) {
    // Not blocking: a pipe without a reader fails at once (ENXIO).
    Descriptor fd(::open(path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) {
        if (errno == ENXIO) return QStringLiteral("it is a pipe that no program is reading");
        return systemReason(errno);
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return systemReason(errno);
    if (!S_ISCHR(st.st_mode) && !S_ISFIFO(st.st_mode)) return QString(kNotRegular);
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) return systemReason(errno);
    PipeSignalHeld held;
    if (const int error = writeAll(fd.get(), bytes)) return systemReason(error);
    if (const int error = fd.close()) return systemReason(error);
    return std::nullopt;
}

// The path a new file is created at when `path` names none: a dangling
// symbolic link leads to the file it names.
QByteArray creationPath(QByteArray path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        QByteArray target(4096, '\0');
        const ssize_t n = ::readlink(path.constData(), target.data(), static_cast<std::size_t>(target.size()));
        if (n <= 0 || n >= target.size()) return path;
        target.truncate(n);
        if (target.startsWith('/')) {
            path = target;
        } else {
            const qsizetype slash = path.lastIndexOf('/');
            path = slash < 0 ? target : path.left(slash + 1) + target;
        }
    }
    return path;
}

// A new file beside `target` with a hidden name no one else has; -1 and
// errno when none can be made.
int createTemporary(const QByteArray& target, QByteArray& name) {
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = target.left(slash + 1);
    // A long name is shortened, so that the temporary one stays within the
    // file system's limit.
    const QByteArray base = target.mid(slash + 1).left(200);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const quint32 r = QRandomGenerator::system()->generate();
        name = folder + '.' + base + '.' + QByteArray::number(r, 36) + '~';
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

// A regular file, or none yet: replaced whole by a renamed temporary file.
std::optional<QString> replaceWhole(const QByteArray& target, const struct stat* existing, QByteArrayView bytes) {
    QByteArray temporary;
    Descriptor fd(createTemporary(target, temporary));
    if (fd.get() < 0) return systemReason(errno);
    auto fail = [&temporary](int error) {
        ::unlink(temporary.constData());
        return std::optional<QString>(systemReason(error));
    };
    // The permissions of the file it replaces; a new file has those of the
    // user's umask, as any new file.
    if (existing != nullptr) ::fchmod(fd.get(), existing->st_mode & 07777);
    if (const int error = writeAll(fd.get(), bytes)) return fail(error);
    if (::fsync(fd.get()) != 0) return fail(errno);
    if (const int error = fd.close()) return fail(error);
    if (::rename(temporary.constData(), target.constData()) != 0) return fail(errno);
    return std::nullopt;
}

}  // namespace

std::optional<QString> saveWholeFile(const QString& path, QByteArrayView bytes) {
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty()) return systemReason(ENOENT);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) {
        if (errno != ENOENT) return systemReason(errno);
        return replaceWhole(creationPath(name), nullptr, bytes);
    }
    if (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode)) return writeInPlace(name, bytes);
    if (!S_ISREG(st.st_mode)) return QString(kNotRegular);
    // The file itself, wherever links lead, so that the links stay links.
    char resolved[PATH_MAX];
    if (::realpath(name.constData(), resolved) == nullptr) return systemReason(errno);
    return replaceWhole(QByteArray(resolved), &st, bytes);
}

std::optional<QString> readFileStart(const QString& path, qint64 size, QByteArray& bytes) {
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty()) return systemReason(ENOENT);
    // Looked at before it is opened: opening a pipe or a device may wait or
    // act on the device.
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) return systemReason(errno);
    if (!S_ISREG(st.st_mode)) return QString(kNotRegular);
    Descriptor fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) return systemReason(errno);
    if (::fstat(fd.get(), &st) != 0) return systemReason(errno);
    if (!S_ISREG(st.st_mode)) return QString(kNotRegular);
    bytes = QByteArray(static_cast<qsizetype>(size), '\0');
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd.get(), bytes.data() + got, static_cast<std::size_t>(bytes.size() - got));
        if (n < 0) {
            if (errno == EINTR) continue;
            return systemReason(errno);
        }
        if (n == 0) break;
        got += n;
    }
    bytes.truncate(got);
    return std::nullopt;
}

namespace {

// The length of the valid UTF-8 sequence at s[0], 0 when there is none.
std::size_t utf8SequenceLength(const unsigned char* s, std::size_t n) {
    const unsigned char c = s[0];
    if (c < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) length = 2;
    else if (c == 0xE0) length = 3, low = 0xA0;
    else if (c == 0xED) length = 3, high = 0x9F;  // no surrogates
    else if (c >= 0xE1 && c <= 0xEF) length = 3;
    else if (c == 0xF0) length = 4, low = 0x90;
    else if (c == 0xF4) length = 4, high = 0x8F;  // nothing beyond U+10FFFF
    else if (c >= 0xF1 && c <= 0xF3) length = 4;
    else return 0;
    if (n < length || s[1] < low || s[1] > high) return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (s[k] < 0x80 || s[k] > 0xBF) return 0;
    return length;
}

}  // namespace

bool isFaithfulFileName(const std::string& bytes) {
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = utf8SequenceLength(s + i, bytes.size() - i);
        if (length == 0) return false;
        i += length;
    }
    const QByteArray original(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return QFile::encodeName(QFile::decodeName(original)) == original;
}

std::string printableFileName(const std::string& bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    std::string out;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = utf8SequenceLength(s + i, bytes.size() - i);
        if (length == 0) {
            out += "\\x";
            out.push_back(kHex[s[i] >> 4]);
            out.push_back(kHex[s[i] & 15]);
            ++i;
        } else {
            out.append(bytes, i, length);
            i += length;
        }
    }
    return out;
}

}  // namespace sg
