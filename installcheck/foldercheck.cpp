#include "installcheck/foldercheck.h"

#include "installcheck/platformaccess.h"
#include "util/singleinstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

namespace {

void checkSubfolder(CheckRun& run, const QString& name, const QString& id) {
    const CheckArea area = CheckArea::ProgramFolder;
    const QString dir = run.path(name);
    const QString shown = QDir::toNativeSeparators(dir);
    const QString who = CurrentUserName();
    const QFileInfo info(dir);
    if (info.exists() && !info.isDir()) {
        run.add(id, area, name, Verdict::Failure,
                QStringLiteral("%1 이(가) 폴더가 아닌 파일입니다").arg(shown),
                QStringLiteral("파일을 지우세요 (스테이션이 폴더를 만듭니다)"));
        return;
    }
    if (!info.exists()) {
        std::error_code error;
        const std::filesystem::path fsPath(dir.toStdU16String());
        if (!std::filesystem::create_directory(fsPath, error)) {
            run.add(id, area, name, Verdict::Failure,
                    QStringLiteral("%1 이(가) %2 을(를) 만들 수 없습니다: %3")
                        .arg(who, shown, QString::fromLocal8Bit(error.message())),
                    AdviceText(Advice::FolderNotWritable, QDir::toNativeSeparators(run.folder)));
            return;
        }
        std::filesystem::remove(fsPath, error);
        run.add(id, area, name, Verdict::Ok,
                QStringLiteral("%1 이(가) 만들 수 있습니다 (아직 없음)").arg(who));
        return;
    }
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".station-check-XXXXXX")));
    if (!probe.open()) {
        run.add(id, area, name, Verdict::Failure,
                QStringLiteral("%1 이(가) %2 에 쓸 수 없습니다: %3")
                    .arg(who, shown, probe.errorString()),
                AdviceText(Advice::SubfolderNotWritable, shown));
        return;
    }
    const QString problem = OperatorGroupProblem(dir, true);
    if (!problem.isEmpty()) {
        run.add(id, area, name, Verdict::Warning, problem,
                AdviceText(Advice::SubfolderNotWritable, shown));
        return;
    }
    run.add(id, area, name, Verdict::Ok, QStringLiteral("%1 이(가) 쓸 수 있습니다").arg(who));
}

void checkDiskSpace(CheckRun& run) {
    const CheckArea area = CheckArea::ProgramFolder;
    const QStorageInfo storage(run.folder);
    const qint64 free = storage.bytesAvailable();
    const QString amount = QStringLiteral("%1 MB 남음 (%2)")
                               .arg(free / (1024 * 1024))
                               .arg(QDir::toNativeSeparators(storage.rootPath()));
    // A photo is about 50 KB; a day's error log a few KB.
    if (free >= 0 && free < 1024 * 1024) {
        run.add(QStringLiteral("folder.space"), area, QStringLiteral("디스크 여유 공간"),
                Verdict::Failure, amount + QStringLiteral(": 사진을 저장할 수 없습니다"),
                QStringLiteral("디스크 공간을 비우세요"));
    } else if (free >= 0 && free < 50 * 1024 * 1024) {
        run.add(QStringLiteral("folder.space"), area, QStringLiteral("디스크 여유 공간"),
                Verdict::Warning, amount, QStringLiteral("디스크 공간을 비우세요"));
    } else {
        run.add(QStringLiteral("folder.space"), area, QStringLiteral("디스크 여유 공간"),
                Verdict::Ok, amount);
    }
}

void checkRunningCopy(CheckRun& run) {
    // The station's own lock, of the folder checked.
    SingleInstance instance(SingleInstanceLockPath(run.folder));
    if (instance.acquire()) {
        run.add(QStringLiteral("folder.lock"), CheckArea::ProgramFolder,
                QStringLiteral("실행 중인 스테이션"), Verdict::Ok, QStringLiteral("없습니다"));
    } else {
        run.add(QStringLiteral("folder.lock"), CheckArea::ProgramFolder,
                QStringLiteral("실행 중인 스테이션"), Verdict::Warning,
                QStringLiteral("이 스테이션이 이미 실행 중입니다: 두 번째는 시작되지 "
                               "않습니다"),
                QStringLiteral("열려 있는 창을 쓰세요"));
    }
}

} // namespace

void CheckProgramFolder(CheckRun& run) {
    const CheckArea area = CheckArea::ProgramFolder;
    const QString who = CurrentUserName();
    const QFileInfo info(run.folder);
    if (!info.isDir()) {
        run.add(QStringLiteral("folder.program"), area, QStringLiteral("프로그램 폴더"),
                Verdict::Failure, QStringLiteral("%1 은(는) 폴더가 아닙니다").arg(run.folder));
        return;
    }
    {
        QTemporaryFile probe(run.path(QStringLiteral(".station-check-XXXXXX")));
        if (probe.open()) {
            // Root writes anywhere: only the group check below speaks for
            // the operator then.
            run.add(
                QStringLiteral("folder.program"), area, QStringLiteral("프로그램 폴더"),
                Verdict::Ok,
                QStringLiteral("%1 이(가) 쓸 수 있습니다: %2")
                    .arg(who, QDir::toNativeSeparators(run.folder)),
                CurrentUserIsAdministrator()
                    ? QStringLiteral("운영자 계정으로도 실행해 보세요 (sudo -u <운영자> %1)")
                          .arg(QDir::toNativeSeparators(QCoreApplication::applicationFilePath()))
                    : QString());
        } else {
            run.add(QStringLiteral("folder.program"), area, QStringLiteral("프로그램 폴더"),
                    Verdict::Failure,
                    QStringLiteral("%1 이(가) %2 에 쓸 수 없습니다: %3")
                        .arg(who, QDir::toNativeSeparators(run.folder), probe.errorString()),
                    AdviceText(Advice::FolderNotWritable, QDir::toNativeSeparators(run.folder)));
        }
    }
    const QString folderProblem = OperatorGroupProblem(run.folder, true);
    if (!folderProblem.isEmpty()) {
        run.add(QStringLiteral("folder.group"), area, QStringLiteral("프로그램 폴더 권한"),
                Verdict::Warning, folderProblem,
                QStringLiteral("chgrp %1 <폴더>; chmod g+rwxs <폴더>").arg(OperatorGroupName));
    }
    checkSubfolder(run, QStringLiteral("회원사진"), QStringLiteral("folder.photos"));
    checkSubfolder(run, QStringLiteral("ERROR_LOG"), QStringLiteral("folder.errorlog"));
    checkDiskSpace(run);
    checkRunningCopy(run);
}
