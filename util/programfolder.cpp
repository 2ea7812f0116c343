#include "util/programfolder.h"

#include "util/programwide.h"

#include <QCoreApplication>

QString ProgramFolderPath() {
    if (!ProgramFolder.isEmpty()) {
        return ProgramFolder;
    }
    return QCoreApplication::applicationDirPath();
}
