#pragma once
// The part of RestrictPluginPaths that both platforms share.

#include <QString>

// Before the application object exists: Qt searches `pluginFolder` only.
// Making the application object recomputes the search path, adds the
// program's folder to it and then takes away only what was taken away from
// the path known before. So that path must hold the program's folder:
// QT_PLUGIN_PATH naming it alone puts it there, and the variable stays so
// until the object is made (no path of the caller's variable is followed
// either); then the caller's value comes back.
void SearchPluginsOnlyIn(const QString& programFolder, const QString& pluginFolder);
