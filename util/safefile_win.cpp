#include "util/safefile.h"

#include "util/heldfileretry.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <windows.h>

// The program folder's own access rules keep other accounts out on Windows:
// plain opens, and a replace written beside the file and moved over it.

namespace {

bool fail(QString* error, const QString& path, const QString& why) {
    if (error) {
        *error = QDir::toNativeSeparators(path) + QStringLiteral(": ") + why;
    }
    return false;
}

// An antivirus scanner opens a new file for a moment, and a rename over it
// or its delete fails then: these three, and only these, are retried.
bool heldByAnotherProgram(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
           error == ERROR_LOCK_VIOLATION;
}

// Runs a Win32 file call (true on success) again while the file is held.
DWORD retryWhileHeld(const std::function<BOOL()>& call) {
    return RetryWhileHeld<DWORD>([&call] { return call() ? DWORD{0} : GetLastError(); },
                                 heldByAnotherProgram,
                                 [](std::chrono::milliseconds pause) {
                                     QThread::msleep(static_cast<unsigned long>(pause.count()));
                                 });
}

QString describe(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString why = length ? QString::fromWCharArray(text, int(length)).trimmed()
                         : QStringLiteral("Windows error %1").arg(error);
    LocalFree(text);
    return why;
}

std::wstring native(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()).toStdWString();
}

} // namespace

bool RemoveSharedFile(const QString& path, QString* error) {
    const std::wstring name = native(path);
    const DWORD result = retryWhileHeld([&name] { return DeleteFileW(name.c_str()); });
    return result == 0 || result == ERROR_FILE_NOT_FOUND || fail(error, path, describe(result));
}

bool OpenSharedFile(QFile& file, const QString& path, qint64 maxBytes, QString* error,
                    bool* missing) {
    file.close();
    const QFileInfo info(path);
    if (missing) {
        *missing = !info.exists() && !info.isSymLink();
    }
    if (!info.exists()) {
        return fail(error, path, QStringLiteral("파일이 없습니다"));
    }
    if (!info.isFile() || info.isSymLink()) {
        return fail(error, path, QStringLiteral("보통 파일이 아닙니다"));
    }
    if (maxBytes >= 0 && info.size() > maxBytes) {
        return fail(error, path, QStringLiteral("%1 바이트보다 큽니다").arg(maxBytes));
    }
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return fail(error, path, file.errorString());
    }
    return true;
}

bool AppendToSharedFile(const QString& path, const QByteArray& bytes, GroupAccess, QString* error) {
    const QFileInfo info(path);
    if (info.exists() && (!info.isFile() || info.isSymLink())) {
        return fail(error, path, QStringLiteral("보통 파일이 아닙니다"));
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(bytes) != bytes.size() ||
        !file.flush()) {
        return fail(error, path, file.errorString());
    }
    return true;
}

bool ReplaceSharedFile(const QString& path, const QByteArray& bytes, GroupAccess, QString* error) {
    // Written beside the file under a name of its own, closed, then moved
    // over it; the new file goes again on every failure.
    const QString fresh =
        QFileInfo(path).absoluteFilePath() + QStringLiteral(".~%1.new").arg(GetCurrentProcessId());
    struct Leftover {
        QString name;
        ~Leftover() {
            if (!name.isEmpty()) {
                QFile::remove(name);
            }
        }
    } leftover{fresh};
    {
        QFile file(fresh);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(bytes) != bytes.size() || !file.flush()) {
            return fail(error, path, file.errorString());
        }
    }
    const std::wstring from = native(fresh);
    const std::wstring to = native(path);
    const DWORD result = retryWhileHeld([&from, &to] {
        return MoveFileExW(from.c_str(), to.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    });
    if (result != 0) {
        return fail(error, path, describe(result));
    }
    leftover.name.clear(); // it is the file now
    return true;
}

bool UpdateSharedFile(const QString& path, const QByteArray& bytes, QString* error) {
    return ReplaceSharedFile(path, bytes, GroupAccess::ReadWrite, error);
}
