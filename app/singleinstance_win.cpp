#include "app/singleinstance.h"

#include <QDir>
#include <QLockFile>

// QLockFile tells a lock held by a running copy from one left behind by a
// crash (it records the holder's process).
struct SingleInstance::Lock {
    explicit Lock(const QString& path) : file(path) {}
    QLockFile file;
};

QString SingleInstanceLockPath() {
    // The temporary folder is the user's own on Windows: no other account
    // can make the file first.
    return QDir::tempPath() + QStringLiteral("/member-station.lock");
}

SingleInstance::SingleInstance(const QString& lockPath)
    : m_path(lockPath), m_lock(std::make_unique<Lock>(lockPath)) {
    // The running copy holds the lock for as long as it runs; never treat
    // it as stale by age.
    m_lock->file.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire() {
    return m_lock->file.tryLock(0) || m_lock->file.error() != QLockFile::LockFailedError;
}
