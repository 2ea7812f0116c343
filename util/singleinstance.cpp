#include "util/singleinstance.h"

#include "util/programfolder.h"

#include <QDir>

QString SingleInstanceLockPath(const QString& programFolder) {
    return QDir(programFolder).filePath(QStringLiteral("member-station.lock"));
}

QString SingleInstanceLockPath() {
    return SingleInstanceLockPath(ProgramFolderPath());
}
