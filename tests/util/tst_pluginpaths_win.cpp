// Started as the programs start (RestrictPluginPaths before the application
// object): Qt's plugins only from the program's folder, whatever
// QT_PLUGIN_PATH says, and a library planted in the working folder or PATH
// is not loaded by name.

#include "util/pluginpaths.h"
#include "util/programfolder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <windows.h>

class TestPluginPathsWin : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pluginsOnlyFromTheProgramsFolder() {
        const QStringList paths = QCoreApplication::libraryPaths();
        QVERIFY(!paths.isEmpty());
        for (const QString& path : paths) {
            QCOMPARE(QFileInfo(path).canonicalFilePath(),
                     QFileInfo(ProgramFolderPath()).canonicalFilePath());
        }
    }

    void aLibraryInTheWorkingFolderOrPathIsNotLoadedByName() {
        // A real DLL of the runtime under a name only the planted copies have.
        const QString source = ProgramFilePath(QStringLiteral("libwinpthread-1.dll"));
        QTemporaryDir planted;
        QVERIFY(QFile::copy(source, planted.filePath(QStringLiteral("planted-library.dll"))));
        const QString savedFolder = QDir::currentPath();
        const QByteArray savedPath = qgetenv("PATH");
        QVERIFY(QDir::setCurrent(planted.path()));
        qputenv("PATH", QDir::toNativeSeparators(planted.path()).toLocal8Bit() + ';' + savedPath);

        HMODULE module = LoadLibraryW(L"planted-library.dll");
        QDir::setCurrent(savedFolder);
        qputenv("PATH", savedPath);
        if (module != nullptr) {
            FreeLibrary(module);
        }
        QVERIFY(module == nullptr);
        // Loaded by its full path it is a good library.
        const std::wstring full =
            QDir::toNativeSeparators(planted.filePath(QStringLiteral("planted-library.dll")))
                .toStdWString();
        module = LoadLibraryW(full.c_str());
        QVERIFY(module != nullptr);
        FreeLibrary(module);
    }
};

int main(int argc, char* argv[]) {
    // As a user's environment may have it: a folder that exists.
    QTemporaryDir planted;
    qputenv("QT_PLUGIN_PATH", QDir::toNativeSeparators(planted.path()).toLocal8Bit());
    RestrictPluginPaths();
    QApplication app(argc, argv);
    TestPluginPathsWin test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_pluginpaths_win.moc"
