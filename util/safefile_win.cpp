#include "util/safefile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

// The program folder's own access rules keep other accounts out on Windows:
// plain opens, and a replace written beside the file and moved over it.

namespace {

bool fail(QString* error, const QString& path, const QString& why) {
    if (error) {
        *error = QDir::toNativeSeparators(path) + QStringLiteral(": ") + why;
    }
    return false;
}

} // namespace

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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return fail(error, path, file.errorString());
    }
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return fail(error, path, why);
    }
    return file.commit() || fail(error, path, file.errorString());
}

bool UpdateSharedFile(const QString& path, const QByteArray& bytes, QString* error) {
    return ReplaceSharedFile(path, bytes, GroupAccess::ReadWrite, error);
}
