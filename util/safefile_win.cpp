#include "util/safefile.h"

#include "util/heldfileretry.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <utility>

// The folders' access rules keep other accounts from most of what they
// could do here, but an operator may still make an empty data folder a
// mount point, or put a link under a file's name where operators add
// files. So, as O_NOFOLLOW and fstat do on Unix: a reparse point under
// the name is opened itself (FILE_FLAG_OPEN_REPARSE_POINT) and refused,
// and the type, the number of names and the place are read from the open
// handle: the file's own path must lie in its folder, itself no reparse
// point, so a folder made a junction after the check leads nowhere.

namespace {

struct Handle {
    HANDLE h = INVALID_HANDLE_VALUE;
    Handle() = default;
    explicit Handle(HANDLE handle) : h(handle) {}
    Handle(Handle&& other) noexcept : h(std::exchange(other.h, INVALID_HANDLE_VALUE)) {}
    Handle& operator=(Handle&& other) noexcept {
        std::swap(h, other.h);
        return *this;
    }
    ~Handle() {
        if (valid()) {
            CloseHandle(h);
        }
    }
    bool valid() const { return h != INVALID_HANDLE_VALUE; }
    HANDLE release() { return std::exchange(h, INVALID_HANDLE_VALUE); }
};

bool fail(QString* error, const QString& path, const QString& why) {
    if (error) {
        *error = QDir::toNativeSeparators(path) + QStringLiteral(": ") + why;
    }
    return false;
}

QString errorText(DWORD code) {
    return qt_error_string(int(code));
}

// An antivirus scanner opens a new file for a moment, and a rename over it
// or its delete fails then: these three, and only these, are retried.
bool heldByAnotherProgram(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
           error == ERROR_LOCK_VIOLATION;
}

// Runs a Win32 file call (true on success) again while the file is held;
// 0 on success, else the last error.
DWORD retryWhileHeld(const std::function<BOOL()>& call) {
    return RetryWhileHeld<DWORD>([&call] { return call() ? DWORD{0} : GetLastError(); },
                                 heldByAnotherProgram,
                                 [](std::chrono::milliseconds pause) {
                                     QThread::msleep(static_cast<unsigned long>(pause.count()));
                                 });
}

std::wstring native(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()).toStdWString();
}

std::optional<std::wstring> finalPath(HANDLE h) {
    std::wstring path(1024, L'\0');
    const DWORD n = GetFinalPathNameByHandleW(h, path.data(), DWORD(path.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0 || n >= path.size()) {
        return std::nullopt;
    }
    path.resize(n);
    return path;
}

bool sameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), int(a.size()), b.c_str(), int(b.size()), TRUE) ==
           CSTR_EQUAL;
}

constexpr DWORD kNotFollowed = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;

struct Opened {
    Handle file;
    quint64 size = 0;
    bool missing = false;
    QString why; // empty when opened and checked
};

// Opens `path` with `access` and `disposition`, never through a reparse
// point, and checks on the handle that it is a plain file of at most
// `maxBytes` (-1: any), of one name when `oneName`, lying in its folder.
// Others may read and write it meanwhile, never delete or rename it.
Opened openChecked(const QString& path, DWORD access, DWORD disposition, qint64 maxBytes,
                   bool oneName) {
    Opened o;
    const Handle folder(
        CreateFileW(native(QFileInfo(path).absolutePath()).c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!folder.valid() || !GetFileInformationByHandle(folder.h, &info)) {
        const DWORD code = GetLastError();
        o.missing = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
        o.why = errorText(code);
        return o;
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        o.why = QStringLiteral("폴더가 링크입니다 (따라가지 않습니다)");
        return o;
    }
    o.file = Handle(CreateFileW(native(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, disposition, kNotFollowed, nullptr));
    if (!o.file.valid()) {
        const DWORD code = GetLastError();
        o.missing = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
        o.why = errorText(code);
        return o;
    }
    if (GetFileType(o.file.h) != FILE_TYPE_DISK || !GetFileInformationByHandle(o.file.h, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        o.why = QStringLiteral("보통 파일이 아닙니다");
    } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        o.why = QStringLiteral("링크입니다 (따라가지 않습니다)");
    } else if (oneName && info.nNumberOfLinks != 1) {
        o.why = QStringLiteral("다른 이름이 있는 파일입니다");
    } else {
        o.size = (quint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        const auto folderPath = finalPath(folder.h);
        const auto filePath = finalPath(o.file.h);
        if (!folderPath || !filePath ||
            !sameName(*filePath, *folderPath + L'\\' + QFileInfo(path).fileName().toStdWString())) {
            o.why = QStringLiteral("폴더 밖의 파일입니다");
        } else if (maxBytes >= 0 && o.size > quint64(maxBytes)) {
            o.why = QStringLiteral("%1 바이트보다 큽니다").arg(maxBytes);
        }
    }
    if (!o.why.isEmpty()) {
        o.file = Handle();
    }
    return o;
}

bool writeAll(HANDLE h, const char* data, qint64 size) {
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = DWORD(std::min<qint64>(size, 1 << 20));
        if (!WriteFile(h, data, chunk, &written, nullptr)) {
            return false;
        }
        if (written == 0) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

bool setSize(HANDLE h, qint64 size) {
    LARGE_INTEGER at{};
    at.QuadPart = size;
    return SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h);
}

bool seekStart(HANDLE h) {
    const LARGE_INTEGER start{};
    return SetFilePointerEx(h, start, nullptr, FILE_BEGIN);
}

// The access an in-place rewrite needs, and no more: the installer grants
// operators exactly these on the program folder's files they change.
constexpr DWORD kRewriteAccess =
    FILE_READ_DATA | FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE;

// Rewrites the file in place, never in a state that reads as other content
// than the old or the new bytes padded with spaces: room for longer bytes
// is taken first (a full disk fails there, the old bytes whole); shorter
// ones are padded to the old length before the cut. Flushed to the disk.
bool rewriteInPlace(const QString& path, const QByteArray& bytes, QString* error) {
    Opened o = openChecked(path, kRewriteAccess, OPEN_ALWAYS, -1, true);
    if (!o.file.valid()) {
        return fail(error, path, o.why);
    }
    const qint64 oldSize = qint64(o.size);
    if (bytes.size() > oldSize && !setSize(o.file.h, bytes.size())) {
        const DWORD code = GetLastError();
        setSize(o.file.h, oldSize);
        return fail(error, path, errorText(code));
    }
    QByteArray padded = bytes;
    if (padded.size() < oldSize) {
        padded.append(QByteArray(oldSize - padded.size(), ' '));
    }
    if (!seekStart(o.file.h) || !writeAll(o.file.h, padded.constData(), padded.size()) ||
        !setSize(o.file.h, bytes.size()) || !FlushFileBuffers(o.file.h)) {
        return fail(error, path, errorText(GetLastError()));
    }
    return true;
}

// The journal of a whole rewrite: the new bytes, their length (8 bytes,
// little-endian), their SHA-256 and a mark. Complete only when all agree.
const QByteArray kJournalMark = QByteArrayLiteral("STATION-JOURNAL-1");
constexpr qsizetype kHashBytes = 32;

QString journalPath(const QString& path) {
    return path + QStringLiteral(".journal");
}

QByteArray journalOf(const QByteArray& bytes) {
    QByteArray length(8, '\0');
    quint64 n = quint64(bytes.size());
    for (int i = 0; i < 8; ++i, n >>= 8) {
        length[i] = char(n & 0xff);
    }
    return bytes + length + QCryptographicHash::hash(bytes, QCryptographicHash::Sha256) +
           kJournalMark;
}

std::optional<QByteArray> contentOf(const QByteArray& journal) {
    const qsizetype trailer = 8 + kHashBytes + kJournalMark.size();
    if (journal.size() < trailer || !journal.endsWith(kJournalMark)) {
        return std::nullopt;
    }
    const qsizetype length = journal.size() - trailer;
    quint64 n = 0;
    for (int i = 7; i >= 0; --i) {
        n = (n << 8) | quint8(journal[length + i]);
    }
    const QByteArray content = journal.left(length);
    if (n != quint64(length) || journal.mid(length + 8, kHashBytes) !=
                                    QCryptographicHash::hash(content, QCryptographicHash::Sha256)) {
        return std::nullopt;
    }
    return content;
}

} // namespace

bool OpenSharedFile(QFile& file, const QString& path, qint64 maxBytes, QString* error,
                    bool* missing) {
    file.close();
    Opened o = openChecked(path, GENERIC_READ, OPEN_EXISTING, maxBytes, false);
    if (missing) {
        *missing = o.missing;
    }
    if (!o.file.valid()) {
        return fail(error, path, o.missing ? QStringLiteral("파일이 없습니다") : o.why);
    }
    const int fd = _open_osfhandle(intptr_t(o.file.h), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        return fail(error, path, QStringLiteral("파일을 열 수 없습니다"));
    }
    o.file.release();
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        _close(fd);
        return fail(error, path, file.errorString());
    }
    return true;
}

bool AppendToSharedFile(const QString& path, const QByteArray& bytes, GroupAccess, QString* error) {
    // Any number of names: in the data folders every operator may give a
    // file another one, which leads to the same file, written through this
    // handle.
    Opened o = openChecked(path, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE, OPEN_ALWAYS,
                           -1, false);
    if (!o.file.valid()) {
        return fail(error, path, o.why);
    }
    if (!writeAll(o.file.h, bytes.constData(), bytes.size())) {
        return fail(error, path, errorText(GetLastError()));
    }
    return true;
}

bool ReplaceSharedFile(const QString& path, const QByteArray& bytes, GroupAccess, QString* error) {
    // A new file beside it, checked as any other, then moved over the name
    // through its own handle: what lay under the name (a link included) is
    // replaced, never written through.
    const QFileInfo target(path);
    const QString temp =
        target.absolutePath() + QStringLiteral("/.") + target.fileName() +
        QStringLiteral(".%1").arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
    Opened o = openChecked(temp, GENERIC_READ | GENERIC_WRITE | DELETE, CREATE_NEW, -1, true);
    if (!o.file.valid()) {
        return fail(error, path, o.why);
    }
    const auto removeTemp = [&] {
        FILE_DISPOSITION_INFO gone{TRUE};
        SetFileInformationByHandle(o.file.h, FileDispositionInfo, &gone, sizeof gone);
    };
    if (!writeAll(o.file.h, bytes.constData(), bytes.size()) || !FlushFileBuffers(o.file.h)) {
        const DWORD code = GetLastError();
        removeTemp();
        return fail(error, path, errorText(code));
    }
    const std::wstring to = native(path);
    std::string buffer(sizeof(FILE_RENAME_INFO) + to.size() * sizeof(wchar_t), '\0');
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = DWORD(to.size() * sizeof(wchar_t));
    std::copy(to.begin(), to.end(), rename->FileName);
    const DWORD code = retryWhileHeld([&o, rename, &buffer] {
        return SetFileInformationByHandle(o.file.h, FileRenameInfo, rename, DWORD(buffer.size()));
    });
    if (code != 0) {
        removeTemp();
        return fail(error, path, errorText(code));
    }
    return true;
}

bool RemoveSharedFile(const QString& path, QString* error) {
    const std::wstring name = native(path);
    const DWORD result = retryWhileHeld([&name] { return DeleteFileW(name.c_str()); });
    // Nothing to delete, also when its folder was never made.
    return result == 0 || result == ERROR_FILE_NOT_FOUND || result == ERROR_PATH_NOT_FOUND ||
           fail(error, path, errorText(result));
}

bool UpdateSharedFile(const QString& path, const QByteArray& bytes, QString* error) {
    // The installer made the file and operators may change it, not replace it.
    return rewriteInPlace(path, bytes, error);
}

bool RewriteSharedFile(const QString& path, const QByteArray& bytes, GroupAccess, QString* error) {
    const QString journal = journalPath(path);
    if (!rewriteInPlace(journal, journalOf(bytes), error)) {
        rewriteInPlace(journal, {}, nullptr);
        return false;
    }
    // From here on a stop is finished by the next read (RecoverSharedFile).
    if (!rewriteInPlace(path, bytes, error)) {
        return false;
    }
    return rewriteInPlace(journal, {}, error);
}

bool RecoverSharedFile(const QString& path, QString* error) {
    const QString journal = journalPath(path);
    bool missing = false;
    QString why;
    const std::optional<QByteArray> pending =
        ReadSharedFile(journal, MaxSharedFileBytes, &why, &missing);
    if (missing || (pending && pending->isEmpty())) {
        return true;
    }
    if (!pending) {
        if (error) {
            *error = why;
        }
        return false;
    }
    if (const std::optional<QByteArray> content = contentOf(*pending)) {
        // The stop came after the journal was complete: the file may be torn.
        if (!rewriteInPlace(path, *content, error)) {
            return false;
        }
    }
    // An incomplete journal: the stop came before the file was touched.
    return rewriteInPlace(journal, {}, error);
}
