#include "util/programfolder.h"

#include <QCoreApplication>
#include <QDir>

QString ProgramFolderPath() {
    return QCoreApplication::applicationDirPath();
}

QString ProgramFilePath(const QString& name) {
    return QDir(ProgramFolderPath()).filePath(name);
}
