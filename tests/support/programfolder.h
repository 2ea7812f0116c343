#pragma once
// The program folder of a test program. As for the station, it is the
// folder of the executable: ctest starts every test through
// tests/support/in-program-folder.sh, which links the test program into a
// fresh folder of its own (named in STATION_TEST_PROGRAM_FOLDER), runs it
// with a working folder elsewhere and removes both afterwards.
//
// One folder serves the whole test program, so a ScratchProgramFolder
// empties it (all but the executable) when it is made and when it goes:
// each case starts with an empty program folder.
//
//   ScratchProgramFolder folder;                         // in init()
//   QVERIFY2(folder.isValid(), qPrintable(folder.errorString()));
//   writeFile(folder.filePath("환경설정.CFG"), ...);
//
// Started any other way (straight from the build tree) it is not valid and
// touches nothing. What the launcher put beside the executable for it to run
// (on Windows the DLLs and Qt's plugin folders, named in
// STATION_TEST_PROGRAM_RUNTIME, separated by ';') stays like the executable.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

class ScratchProgramFolder {
public:
    ScratchProgramFolder() {
        const QString given = qEnvironmentVariable("STATION_TEST_PROGRAM_FOLDER");
        const QString own = QCoreApplication::applicationDirPath();
        if (given.isEmpty()) {
            m_error = QStringLiteral("run the test through ctest: it needs a program folder of its "
                                     "own (tests/support/in-program-folder.sh)");
        } else if (QFileInfo(given).canonicalFilePath() != QFileInfo(own).canonicalFilePath()) {
            m_error = QStringLiteral("the test program runs from %1, not from its scratch program "
                                     "folder %2")
                          .arg(own, given);
        } else {
            m_path = own;
            clear();
        }
    }
    ~ScratchProgramFolder() { clear(); }
    ScratchProgramFolder(const ScratchProgramFolder&) = delete;
    ScratchProgramFolder& operator=(const ScratchProgramFolder&) = delete;

    bool isValid() const { return !m_path.isEmpty(); }
    QString errorString() const { return m_error; }

    QString path() const { return m_path; }
    QString filePath(const QString& name) const { return QDir(m_path).filePath(name); }

    // What the folder holds besides the executable.
    QStringList entryList(QDir::Filters filters = QDir::AllEntries | QDir::NoDotAndDotDot |
                                                  QDir::Hidden | QDir::System) const {
        QStringList names = QDir(m_path).entryList(filters, QDir::Name);
        for (const QString& kept : keptNames()) {
            names.removeAll(kept);
        }
        return names;
    }

    // Removes everything but the executable.
    void clear() const {
        if (m_path.isEmpty()) {
            return;
        }
        const QDir folder(m_path);
        const QStringList kept = keptNames();
        for (const QFileInfo& entry : folder.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                           QDir::Hidden | QDir::System)) {
            if (kept.contains(entry.fileName())) {
                continue;
            }
            if (entry.isDir() && !entry.isSymLink()) {
                QDir(entry.filePath()).removeRecursively();
            } else {
                QFile::remove(entry.filePath());
            }
        }
    }

    static QString executableName() {
        return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    }

    static QStringList keptNames() {
        QStringList names =
            qEnvironmentVariable("STATION_TEST_PROGRAM_RUNTIME").split(u';', Qt::SkipEmptyParts);
        names.append(executableName());
        return names;
    }

private:
    QString m_path;
    QString m_error;
};
