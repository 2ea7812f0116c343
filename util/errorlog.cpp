#include "util/errorlog.h"

#include "util/cp949.h"
#include "util/groupaccess.h"
#include "util/programfolder.h"
#include "util/safefile.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace {
const QString kFolderName = QStringLiteral("ERROR_LOG");
const QString kFileSuffix = QStringLiteral("-프로시져오류.LOG");
const QString kSeparator = QStringLiteral("  ");
} // namespace

void WriteErrorLog(const QString& procName, const QString& description) {
    WriteErrorLog(procName, description, QDateTime::currentDateTime());
}

void WriteErrorLog(const QString& procName, const QString& description, const QDateTime& at) {
    const QDir programFolder(ProgramFolderPath());
    const QString path = programFolder.filePath(
        kFolderName + QLatin1Char('/') + at.toString(QStringLiteral("yyyyMMdd")) + kFileSuffix);
    const QString line = procName + kSeparator + description + kSeparator +
                         at.toString(QStringLiteral("yyyy-MM-dd")) + kSeparator +
                         at.toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("\r\n");
    // A line the day's file cannot take goes to the standard error, with
    // the reason, rather than nowhere.
    const auto toStandardError = [&](const QString& why) {
        std::fprintf(stderr, "%s\n%s", qPrintable(why), line.toLocal8Bit().constData());
        std::fflush(stderr);
    };
    // Any entry of that name counts, a plain file included: then the open
    // below fails and tells why.
    if (!QFileInfo::exists(programFolder.filePath(kFolderName))) {
        if (!programFolder.mkdir(kFolderName)) {
            toStandardError(QDir::toNativeSeparators(programFolder.filePath(kFolderName)) +
                            QStringLiteral(": 폴더를 만들 수 없습니다"));
            return;
        }
        // Every operator account writes here, not only the one that made it.
        ShareFolderWithGroup(programFolder.filePath(kFolderName));
    }
    // The day's file is shared by every operator account of the station:
    // the one that creates it lets the others append.
    QString why;
    if (!AppendToSharedFile(path, cp949::encode(line), GroupAccess::ReadWrite, &why)) {
        toStandardError(why);
    }
}
