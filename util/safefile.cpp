#include "util/safefile.h"

#include <QDir>

std::optional<QByteArray> ReadSharedFile(const QString& path, qint64 maxBytes, QString* error,
                                         bool* missing) {
    QFile file;
    if (!OpenSharedFile(file, path, maxBytes, error, missing)) {
        return std::nullopt;
    }
    // In pieces, so that a file grown since the open is cut off at the bound
    // instead of being taken in whole.
    QByteArray bytes;
    char chunk[64 * 1024];
    for (;;) {
        const qint64 n = file.read(chunk, sizeof chunk);
        if (n < 0) {
            if (error) {
                *error = QDir::toNativeSeparators(path) + QStringLiteral(": ") + file.errorString();
            }
            return std::nullopt;
        }
        if (n == 0) {
            return bytes;
        }
        if (maxBytes >= 0 && bytes.size() + n > maxBytes) {
            if (error) {
                *error = QDir::toNativeSeparators(path) +
                         QStringLiteral(": %1 바이트보다 큽니다").arg(maxBytes);
            }
            return std::nullopt;
        }
        bytes.append(chunk, n);
    }
}
