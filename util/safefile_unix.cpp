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

// A file an operator's station made in `folder` for every operator there:
// an operator's (not root's, whose files are the package's or the system's),
// the folder's group, read and write for it and no one else.
bool madeForTheGroup(const struct stat& info, const QString& folder) {
    struct stat folderInfo {};
    return info.st_uid != 0 && ::stat(QFile::encodeName(folder).constData(), &folderInfo) == 0 &&
           info.st_gid == folderInfo.st_gid && (info.st_mode & 0777) == 0660;
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
    // A second name may be a private file reached through a hard link; one
    // the station made for the group (an operator's, group-writable) leads
    // nowhere new, the write going through this descriptor.
    if (info.st_nlink != 1 && !madeForTheGroup(info, QFileInfo(path).absolutePath())) {
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
    // Another account's plain file. Extra names only on the package's (root's)
    // file: only root can have put it under this name in the sticky folder,
    // and a second name an operator gave it leads to the same file.
    const bool inPlace = fd.fd >= 0 && fstat(fd.fd, &info) == 0 && S_ISREG(info.st_mode) &&
                         info.st_uid != geteuid() && (info.st_nlink == 1 || info.st_uid == 0);
    if (!inPlace) {
        // Missing, this account's own, or nothing to write into: in the
        // sticky folder the rename replaces only a name this account owns.
        return ReplaceSharedFile(path, bytes, GroupAccess::ReadWrite, error);
    }
    if (!makeBlocking(fd.fd)) {
        return fail(error, path, errnoText(errno));
    }
    // Never a state that reads as another choice: room for a longer text is
    // taken first (a full disk fails here, the old text whole); a shorter one
    // is padded with spaces to the old length, a line without "=", so that
    // a stop before the cut leaves the new text and blanks, not an old tail.
    const qint64 oldSize = info.st_size;
    if (bytes.size() > oldSize) {
        if (const int code = posix_fallocate(fd.fd, 0, bytes.size()); code != 0) {
            const int kept = ftruncate(fd.fd, oldSize);
            Q_UNUSED(kept);
            return fail(error, path, errnoText(code));
        }
    }
    QByteArray padded = bytes;
    if (padded.size() < oldSize) {
        padded.append(QByteArray(oldSize - padded.size(), ' '));
    }
    if (!writeAll(fd.fd, padded) || ftruncate(fd.fd, bytes.size()) != 0) {
        return fail(error, path, errnoText(errno));
    }
    const int closed = ::close(fd.release());
    return closed == 0 || fail(error, path, errnoText(errno));
}

bool RewriteSharedFile(const QString& path, const QByteArray& bytes, GroupAccess access,
                       QString* error) {
    return ReplaceSharedFile(path, bytes, access, error);
}

bool RecoverSharedFile(const QString&, QString*) {
    return true;
}
