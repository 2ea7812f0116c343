#include "util/pluginpaths.h"
#include "util/pluginpaths_p.h"

#include <QCoreApplication>
#include <QDir>

#include <windows.h>

#include <string>

namespace {

// The folder of the running program file, known before the application
// object exists.
QString programFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (n == 0) {
            return {};
        }
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const QString file = QDir::fromNativeSeparators(QString::fromStdWString(path));
    return QDir::cleanPath(file.section(u'/', 0, -2));
}

} // namespace

void RestrictPluginPaths() {
    // Libraries loaded by name (a plugin's dependencies, a driver's) come
    // only from the program's folder and the system's: never the working
    // folder or PATH, which another account may have written.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryW(L"");

    // The built-in qt.conf comes before one beside the program; it puts
    // Qt's plugin folder in the program's folder, where the build and the
    // installer place the plugins (platforms/, imageformats/, multimedia/).
    Q_INIT_RESOURCE(qtpaths);
    const QString folder = programFolder();

    // Then, as on Unix, Qt searches that folder only.
    SearchPluginsOnlyIn(folder, folder);
}
