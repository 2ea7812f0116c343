#include "util/pluginpaths.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>

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

void RestrictPluginPaths() {
    // A qt.conf among the resources comes before one beside the program, so
    // Qt's folders (the plugin folder among them) stay those it was built
    // with.
    Q_INIT_RESOURCE(qtpaths);
    const QString qtPlugins = QLibraryInfo::path(QLibraryInfo::PluginsPath);

    // Making the application object recomputes the search path, adds the
    // program's folder to it and then takes away only what was taken away
    // from the path known before. So that path must hold the program's
    // folder: QT_PLUGIN_PATH naming it alone puts it there, and the
    // variable stays so until the object is made (no path of the caller's
    // variable is followed either).
    pluginPathVariableWasSet() = qEnvironmentVariableIsSet(kPluginPathVariable);
    savedPluginPathVariable() = qgetenv(kPluginPathVariable);
    const QString programFolder = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    qputenv(kPluginPathVariable, QFile::encodeName(programFolder));
    QCoreApplication::setLibraryPaths({qtPlugins});
    qAddPreRoutine(restorePluginPathVariable);
}
