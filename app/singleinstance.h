#pragma once
// Refuses a second running copy of the station. The lock is a QLockFile: it
// tells a lock held by a running copy from one left behind by a crash. Where
// the lock file lies is the platform's part (singleinstance_unix.cpp,
// singleinstance_win.cpp).

#include <QLockFile>
#include <QString>

// The per-user lock path of the installed station.
QString SingleInstanceLockPath();

class SingleInstance {
public:
    explicit SingleInstance(const QString& lockPath);

    // False only when another running copy holds the lock. Otherwise the
    // lock is held until this object goes; a lock file that cannot be
    // written at all (no such folder, no permission) does not keep the
    // station from starting.
    bool acquire();

private:
    QLockFile m_lock;
};
