#pragma once
// Benchmarks that run the station's screens in their own process find the
// station's files beside their executable, as the station does. So a
// benchmark runs itself again from a scratch program folder (a fresh folder
// holding a copy of it), with the same arguments and output, and the folder
// goes when that run ends:
//
//   QApplication app(argc, argv);
//   if (const int rc = bench::runFromScratchProgramFolder(); rc >= 0) return rc;
//   ... from here on in the scratch folder: ProgramFolderPath() is it ...

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace bench {

// -1 inside the run from the scratch folder; otherwise that run's exit code
// (1 when it could not be started).
inline int runFromScratchProgramFolder() {
    const QString here = QCoreApplication::applicationDirPath();
    const QString given = qEnvironmentVariable("BENCH_PROGRAM_FOLDER");
    if (!given.isEmpty() &&
        QFileInfo(given).canonicalFilePath() == QFileInfo(here).canonicalFilePath()) {
        return -1;
    }
    QTemporaryDir folder;
    const QString copy =
        folder.filePath(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    if (!folder.isValid() || !QFile::copy(QCoreApplication::applicationFilePath(), copy)) {
        std::fprintf(stderr, "no scratch program folder for the benchmark\n");
        return 1;
    }
    QProcess run;
    run.setProcessChannelMode(QProcess::ForwardedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("BENCH_PROGRAM_FOLDER"), folder.path());
    run.setProcessEnvironment(env);
    run.start(copy, QCoreApplication::arguments().mid(1));
    if (!run.waitForStarted(-1) || !run.waitForFinished(-1)) {
        std::fprintf(stderr, "the benchmark did not run from its scratch folder\n");
        return 1;
    }
    return run.exitStatus() == QProcess::NormalExit ? run.exitCode() : 1;
}

} // namespace bench
