#include "util/singleinstance.h"

#include <QDir>

#include <windows.h>

// A byte-range lock (LockFileEx) on an open file of the program folder: the
// system drops it when the holding process ends in any way, so it is never
// stale, and it needs only read access, so the file one operator made
// serves every account that may use the station's folder. A named mutex
// would not do: any account of the PC may create a Global\ name first.
struct SingleInstance::Lock {
    HANDLE file = INVALID_HANDLE_VALUE;
    ~Lock() {
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
        }
    }
};

SingleInstance::SingleInstance(const QString& lockPath) : m_path(lockPath) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire() {
    if (m_lock) {
        return true;
    }
    const std::wstring path = QDir::toNativeSeparators(m_path).toStdWString();
    // Other copies must be able to open it to find it locked; no one may
    // delete or rename it while held (the next copy would start unlocked).
    // The reparse point itself, not where a planted link leads.
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    const DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
    auto lock = std::make_unique<Lock>();
    lock->file =
        CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_ALWAYS, flags, nullptr);
    if (lock->file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
        // Another account's file in a folder this one may not write.
        lock->file =
            CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, flags, nullptr);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (lock->file == INVALID_HANDLE_VALUE || GetFileType(lock->file) != FILE_TYPE_DISK ||
        !GetFileInformationByHandle(lock->file, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
        return true;
    }
    OVERLAPPED at{};
    if (!LockFileEx(lock->file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                    &at)) {
        const DWORD error = GetLastError();
        return error != ERROR_LOCK_VIOLATION && error != ERROR_SHARING_VIOLATION;
    }
    m_lock = std::move(lock);
    return true;
}
