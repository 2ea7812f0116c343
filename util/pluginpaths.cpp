#include "util/pluginpaths_p.h"

#include <QCoreApplication>
#include <QFile>

namespace {

const char kPluginPathVariable[] = "QT_PLUGIN_PATH";

QByteArray& savedPluginPathVariable() {
    static QByteArray value;
    return value;
}

bool& pluginPathVariableWasSet() {
    static bool set = false;
    return set;
}

void restorePluginPathVariable() {
    if (pluginPathVariableWasSet()) {
        qputenv(kPluginPathVariable, savedPluginPathVariable());
    } else {
        qunsetenv(kPluginPathVariable);
    }
}

} // namespace

void SearchPluginsOnlyIn(const QString& programFolder, const QString& pluginFolder) {
    pluginPathVariableWasSet() = qEnvironmentVariableIsSet(kPluginPathVariable);
    savedPluginPathVariable() = qgetenv(kPluginPathVariable);
    qputenv(kPluginPathVariable, QFile::encodeName(programFolder));
    QCoreApplication::setLibraryPaths({pluginFolder});
    qAddPreRoutine(restorePluginPathVariable);
}
