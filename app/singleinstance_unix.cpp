#include "app/singleinstance.h"

#include <QDir>

#include <unistd.h>

QString SingleInstanceLockPath() {
    // /tmp is shared by every user: one lock per user, as on the desktop
    // where each user runs their own station.
    return QDir::tempPath() + QStringLiteral("/member-station-%1.lock").arg(getuid());
}
