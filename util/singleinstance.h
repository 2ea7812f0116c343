#pragma once
// Refuses a second running copy of the station. How the lock is held is the
// platform's part (singleinstance_unix.cpp, singleinstance_win.cpp); on both
// a copy that crashed or was killed leaves no lock behind.

#include <QString>

#include <memory>

// The lock of the station in `programFolder`, whichever program asks (the
// station itself, or the installer's check): a file of that folder, one lock
// for every operator account of the station (on Unix only they can create
// files there, so no other account can take it first); held with flock on
// Unix and LockFileEx on Windows.
QString SingleInstanceLockPath(const QString& programFolder);
// The lock of this station: the one of its own program folder.
QString SingleInstanceLockPath();

class SingleInstance {
public:
    explicit SingleInstance(const QString& lockPath);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False only when another running copy holds the lock. Otherwise the
    // lock is held until this object goes; a lock file that cannot be made
    // or opened at all (no such folder, no permission) does not keep the
    // station from starting.
    bool acquire();

private:
    struct Lock;
    QString m_path;
    std::unique_ptr<Lock> m_lock;
};
