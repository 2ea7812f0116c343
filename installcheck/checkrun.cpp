#include "installcheck/checkrun.h"

#include <QDir>

QString CheckRun::path(const QString& name) const {
    return QDir(folder).filePath(name);
}

QString MaskedLogin(const QString& text) {
    if (text.isEmpty()) {
        return QStringLiteral("(없음)");
    }
    return text.left(1) + QString(text.size() - 1, u'*');
}
