#include "util/pluginpaths.h"
#include "util/pluginpaths_p.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>

void RestrictPluginPaths() {
    // A qt.conf among the resources comes before one beside the program, so
    // Qt's folders (the plugin folder among them) stay those it was built
    // with.
    Q_INIT_RESOURCE(qtpaths);
    SearchPluginsOnlyIn(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath(),
                        QLibraryInfo::path(QLibraryInfo::PluginsPath));
}
