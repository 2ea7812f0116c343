#pragma once
// Folders that refuse writing, for tests of what the station does when its
// program folder is read-only or its disk is full (Linux).
//
// Permissions do not bite as root, so as root the folder is made read-only
// with a read-only bind mount over itself, and a full disk is a small tmpfs
// mounted on the folder and filled up. The mounts are made in a mount
// namespace private to the test's main thread (made once per process), so
// no other process ever sees them and they vanish with the test even if it
// crashes. Without root, the read-only folder is plain permissions; a full
// disk cannot be made then, and the test skips with skipReason().
//
//   folderfaults::ReadOnlyFolder readOnly(programFolder);
//   if (!readOnly.ready()) QSKIP(qPrintable(readOnly.skipReason()));
//   ... the folder and everything below it refuse writing ...
//   // writable again when `readOnly` goes
//
//   folderfaults::FullDisk disk(photoFolder, 256);   // an empty folder
//   ... put files into it ...; QVERIFY(disk.fill());  // not one byte left

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QString>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace folderfaults {

// Once per process, from the main thread: a mount namespace of its own in
// which mounts do not propagate back. Empty when done, else why not.
inline QString privateMounts() {
    static const QString why = []() -> QString {
        if (geteuid() != 0) {
            return QStringLiteral("mounts need root");
        }
        if (unshare(CLONE_NEWNS) != 0) {
            return QStringLiteral("no mount namespace of its own (unshare: %1); the test needs "
                                  "CAP_SYS_ADMIN")
                .arg(QString::fromLocal8Bit(std::strerror(errno)));
        }
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            return QStringLiteral("mounts cannot be made private (%1)")
                .arg(QString::fromLocal8Bit(std::strerror(errno)));
        }
        return QString();
    }();
    return why;
}

// Whether a new file can be made in `folder` (removed again at once).
inline bool canCreateIn(const QString& folder) {
    const QByteArray probe = QFile::encodeName(QDir(folder).filePath(QStringLiteral(".probe")));
    const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    ::unlink(probe.constData());
    return true;
}

class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& path) : m_path(path) {
        if (geteuid() == 0) {
            const QString why = privateMounts();
            if (!why.isEmpty()) {
                m_skipReason = QStringLiteral("a read-only folder as root needs a read-only bind "
                                              "mount, and ") +
                               why;
                return;
            }
            const QByteArray native = QFile::encodeName(path);
            if (mount(native.constData(), native.constData(), nullptr, MS_BIND | MS_REC, nullptr) !=
                0) {
                m_skipReason = QStringLiteral("bind mount refused: %1")
                                   .arg(QString::fromLocal8Bit(std::strerror(errno)));
                return;
            }
            m_mounted = true;
            if (mount(nullptr, native.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY,
                      nullptr) != 0) {
                m_skipReason = QStringLiteral("read-only remount refused: %1")
                                   .arg(QString::fromLocal8Bit(std::strerror(errno)));
                return;
            }
        } else {
            // The files too, as a read-only mount would have them.
            QDirIterator it(path, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                            QDirIterator::Subdirectories);
            QStringList entries{path};
            while (it.hasNext()) {
                entries << it.next();
            }
            for (const QString& entry : entries) {
                const QFileDevice::Permissions was = QFile::permissions(entry);
                m_permissions.insert(entry, was);
                QFile::setPermissions(entry,
                                      was & ~(QFileDevice::WriteOwner | QFileDevice::WriteUser |
                                              QFileDevice::WriteGroup | QFileDevice::WriteOther));
            }
        }
        if (canCreateIn(path)) {
            m_skipReason = QStringLiteral("%1 still takes new files").arg(path);
            return;
        }
        m_ready = true;
    }
    ~ReadOnlyFolder() {
        if (m_mounted) {
            umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
        }
        for (auto it = m_permissions.cbegin(); it != m_permissions.cend(); ++it) {
            QFile::setPermissions(it.key(), it.value());
        }
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    bool ready() const { return m_ready; }
    QString skipReason() const { return m_skipReason; }

private:
    QString m_path;
    bool m_mounted = false;
    bool m_ready = false;
    QString m_skipReason;
    QHash<QString, QFileDevice::Permissions> m_permissions;
};

class FullDisk {
public:
    // Mounts a tmpfs of `kib` KiB on the folder `path` (what it held is
    // hidden until the disk goes).
    FullDisk(const QString& path, int kib) : m_path(path) {
        const QString why = privateMounts();
        if (!why.isEmpty()) {
            m_skipReason = QStringLiteral("a full disk is a small tmpfs mount, and ") + why;
            return;
        }
        const QByteArray native = QFile::encodeName(path);
        const QByteArray options = QByteArray("size=") + QByteArray::number(kib) + "k,mode=0755";
        if (mount("station-full", native.constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                  options.constData()) != 0) {
            m_skipReason = QStringLiteral("tmpfs mount refused: %1")
                               .arg(QString::fromLocal8Bit(std::strerror(errno)));
            return;
        }
        m_mounted = true;
    }
    ~FullDisk() {
        if (m_mounted) {
            umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
        }
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    bool ready() const { return m_mounted; }
    QString skipReason() const { return m_skipReason; }

    // Takes every byte that is left with a file of its own; true when a
    // write then fails for want of space.
    bool fill() {
        const QByteArray native = QFile::encodeName(QDir(m_path).filePath(QStringLiteral(".fill")));
        const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (fd < 0) {
            return errno == ENOSPC;
        }
        const QByteArray block(4096, 'x');
        bool full = false;
        for (;;) {
            if (::write(fd, block.constData(), block.size()) < 0) {
                full = errno == ENOSPC;
                break;
            }
        }
        // The last page may still take a few bytes.
        while (full && ::write(fd, block.constData(), 1) == 1) {
        }
        ::close(fd);
        return full;
    }

private:
    QString m_path;
    bool m_mounted = false;
    QString m_skipReason;
};

} // namespace folderfaults
