#include "util/safefile.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace {

// O_NOFOLLOW: a link under the name is refused, not followed. O_NONBLOCK:
// opening a pipe returns at once instead of waiting for its other end.
constexpr int kSafeFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;

struct Fd {
    int fd = -1;
    Fd() = default;
    explicit Fd(int f) : fd(f) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    int release() { return std::exchange(fd, -1); }
};

bool fail(QString* error, const QString& path, const QString& why) {
    if (error) {
        *error = QDir::toNativeSeparators(path) + QStringLiteral(": ") + why;
    }
    return false;
}

QString errnoText(int code) {
    if (code == ELOOP) {
        return QStringLiteral("링크입니다 (따라가지 않습니다)");
    }
    if (code == ENXIO) {
        return QStringLiteral("보통 파일이 아닙니다");
    }
    return qt_error_string(code);
}

int openRetrying(const QByteArray& path, int flags, mode_t mode = 0) {
    int fd = -1;
    do {
        fd = ::open(path.constData(), flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Empty when `info` is a plain file of at most maxBytes (-1: any size).
QString notUsable(const struct stat& info, qint64 maxBytes) {
    if (!S_ISREG(info.st_mode)) {
        return QStringLiteral("보통 파일이 아닙니다");
    }
    if (maxBytes >= 0 && info.st_size > maxBytes) {
        return QStringLiteral("%1 바이트보다 큽니다").arg(maxBytes);
    }
    return {};
}

// Reads and writes block from here on, as on any plain file.
bool makeBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = ENOSPC;
            }
            return false;
        }
        done += n;
    }
    return true;
}

} // namespace

bool OpenSharedFile(QFile& file, const QString& path, qint64 maxBytes, QString* error,
                    bool* missing) {
    file.close();
    if (missing) {
        *missing = false;
    }
    Fd fd(openRetrying(QFile::encodeName(path), O_RDONLY | kSafeFlags));
    if (fd.fd < 0) {
        if (missing) {
            *missing = errno == ENOENT;
        }
        return fail(error, path, errnoText(errno));
    }
    struct stat info {};
    if (fstat(fd.fd, &info) != 0) {
        return fail(error, path, errnoText(errno));
    }
    if (const QString why = notUsable(info, maxBytes); !why.isEmpty()) {
        return fail(error, path, why);
    }
    if (!makeBlocking(fd.fd)) {
        return fail(error, path, errnoText(errno));
    }
    if (!file.open(fd.fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        return fail(error, path, file.errorString());
    }
    fd.release();
    return true;
}

bool AppendToSharedFile(const QString& path, const QByteArray& bytes, GroupAccess access,
                        QString* error) {
    const QByteArray name = QFile::encodeName(path);
    // Created here, or else the one that is there, whose mode its owner chose.
    Fd fd(openRetrying(name, O_WRONLY | O_APPEND | O_CREAT | O_EXCL | kSafeFlags, 0600));
    const bool created = fd.fd >= 0;
    if (!created && errno == EEXIST) {
        fd.fd = openRetrying(name, O_WRONLY | O_APPEND | kSafeFlags);
    }
    if (fd.fd < 0) {
        return fail(error, path, errnoText(errno));
    }
    struct stat info {};
    if (fstat(fd.fd, &info) != 0) {
        return fail(error, path, errnoText(errno));
    }
    if (const QString why = notUsable(info, -1); !why.isEmpty()) {
        return fail(error, path, why);
    }
    // A second name would be another account's file reached through a hard link.
    if (info.st_nlink != 1) {
        return fail(error, path, QStringLiteral("다른 이름이 있는 파일입니다"));
    }
    if (created && !ShareNewFileWithFolderGroup(fd.fd, QFileInfo(path).absolutePath(), access)) {
        return fail(error, path, errnoText(errno));
    }
    if (!makeBlocking(fd.fd) || !writeAll(fd.fd, bytes)) {
        return fail(error, path, errnoText(errno));
    }
    const int closed = ::close(fd.release());
    return closed == 0 || fail(error, path, errnoText(errno));
}

bool ReplaceSharedFile(const QString& path, const QByteArray& bytes, GroupAccess access,
                       QString* error) {
    const QFileInfo target(path);
    const QString folder = target.absolutePath();
    QByteArray temp =
        QFile::encodeName(folder + QStringLiteral("/.") + target.fileName()) + ".XXXXXX";
    // mkostemp creates the file exclusively (O_EXCL), mode 0600.
    Fd fd(mkostemp(temp.data(), O_CLOEXEC));
    if (fd.fd < 0) {
        return fail(error, path, errnoText(errno));
    }
    struct Remove {
        const QByteArray& name;
        bool keep = false;
        ~Remove() {
            if (!keep) {
                ::unlink(name.constData());
            }
        }
    } removeTemp{temp};
    // Before any byte is written: the new file takes the name with these.
    if (!ShareNewFileWithFolderGroup(fd.fd, folder, access) || !writeAll(fd.fd, bytes) ||
        fsync(fd.fd) != 0) {
        return fail(error, path, errnoText(errno));
    }
    if (::close(fd.release()) != 0) {
        return fail(error, path, errnoText(errno));
    }
    if (::rename(temp.constData(), QFile::encodeName(path).constData()) != 0) {
        return fail(error, path, errnoText(errno));
    }
    removeTemp.keep = true;
    return true;
}

bool RemoveSharedFile(const QString& path, QString* error) {
    const QByteArray name = QFile::encodeName(path);
    return ::unlink(name.constData()) == 0 || errno == ENOENT ||
           fail(error, path, QString::fromLocal8Bit(std::strerror(errno)));
}

bool UpdateSharedFile(const QString& path, const QByteArray& bytes, QString* error) {
    Fd fd(openRetrying(QFile::encodeName(path), O_WRONLY | kSafeFlags));
    struct stat info {};
    const bool inPlace = fd.fd >= 0 && fstat(fd.fd, &info) == 0 && S_ISREG(info.st_mode) &&
                         info.st_uid != geteuid() && info.st_nlink == 1;
    if (!inPlace) {
        // Missing, this account's own, or nothing to write into: in the
        // sticky folder the rename replaces only a name this account owns.
        return ReplaceSharedFile(path, bytes, GroupAccess::ReadWrite, error);
    }
    // A few bytes over the old ones, then cut to length: a reader meanwhile
    // sees at worst a mix, which reads as no choice.
    if (!makeBlocking(fd.fd) || !writeAll(fd.fd, bytes) || ftruncate(fd.fd, bytes.size()) != 0) {
        return fail(error, path, errnoText(errno));
    }
    const int closed = ::close(fd.release());
    return closed == 0 || fail(error, path, errnoText(errno));
}
