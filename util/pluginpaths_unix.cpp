#include "util/pluginpaths.h"

#include <QCoreApplication>
#include <QLibraryInfo>

void RestrictPluginPaths() {
    // Asked before the application object exists, QLibraryInfo answers from
    // Qt's build and never from a qt.conf beside the program.
    QCoreApplication::setLibraryPaths({QLibraryInfo::path(QLibraryInfo::PluginsPath)});
}
