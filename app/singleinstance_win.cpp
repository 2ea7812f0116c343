#include "app/singleinstance.h"

#include <QDir>

QString SingleInstanceLockPath() {
    // The temporary folder is per user on Windows already.
    return QDir::tempPath() + QStringLiteral("/member-station.lock");
}
