#include "util/singleinstance.h"

#include "util/groupaccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// A kernel lock (flock) on an open file: the kernel drops it when the
// holding process ends in any way, so it is never stale, and it needs only
// read access, so the file of the operator who first made it serves every
// other operator as it is.
struct SingleInstance::Lock {
    int fd = -1;
    ~Lock() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

SingleInstance::SingleInstance(const QString& lockPath) : m_path(lockPath) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire() {
    if (m_lock) {
        return true;
    }
    const QByteArray path = QFile::encodeName(m_path);
    // O_NONBLOCK: a pipe planted under the name must not block the start;
    // O_NOFOLLOW: nor may a link lead the lock elsewhere.
    const int flags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    auto lock = std::make_unique<Lock>();
    // An installed station's lock file is the package's (root's, read-only
    // for the operators), so no operator can take it from the others. Where
    // none is, this account makes it, and only then sets its group and mode.
    lock->fd = ::open(path.constData(), flags | O_CREAT | O_EXCL, S_IRUSR | S_IWUSR);
    const bool created = lock->fd >= 0;
    if (!created && (errno == EEXIST || errno == EACCES)) {
        lock->fd = ::open(path.constData(), flags);
    }
    struct stat info {};
    if (lock->fd < 0 || fstat(lock->fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        return true;
    }
    if (created) {
        // The other operators must be able to open it.
        ShareNewFileWithFolderGroup(lock->fd, QFileInfo(m_path).absolutePath(), GroupAccess::Read);
    }
    int locked = 0;
    do {
        locked = ::flock(lock->fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        return errno != EWOULDBLOCK;
    }
    m_lock = std::move(lock);
    return true;
}
