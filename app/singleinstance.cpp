#include "app/singleinstance.h"

SingleInstance::SingleInstance(const QString& lockPath) : m_lock(lockPath) {
    // The running copy holds the lock for as long as it runs; never treat
    // it as stale by age.
    m_lock.setStaleLockTime(0);
}

bool SingleInstance::acquire() {
    return m_lock.tryLock(0) || m_lock.error() != QLockFile::LockFailedError;
}
