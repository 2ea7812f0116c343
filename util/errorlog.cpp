#include "util/errorlog.h"

#include "util/cp949.h"
#include "util/groupaccess.h"
#include "util/programfolder.h"
#include "util/safefile.h"

#include <QDir>
#include <QFileInfo>

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
    // Any entry of that name counts, a plain file included: then the open
    // below fails and the entry is lost, which is all a log may do.
    if (!QFileInfo::exists(programFolder.filePath(kFolderName))) {
        if (!programFolder.mkdir(kFolderName)) {
            return;
        }
        // Every operator account writes here, not only the one that made it.
        ShareFolderWithGroup(programFolder.filePath(kFolderName));
    }
    const QString path = programFolder.filePath(
        kFolderName + QLatin1Char('/') + at.toString(QStringLiteral("yyyyMMdd")) + kFileSuffix);
    const QString line = procName + kSeparator + description + kSeparator +
                         at.toString(QStringLiteral("yyyy-MM-dd")) + kSeparator +
                         at.toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("\r\n");
    const QByteArray bytes = cp949::encode(line);

    // The day's file is shared by every operator account of the station:
    // the one that creates it lets the others append. A failure loses the
    // entry, which is all a log may do.
    AppendToSharedFile(path, bytes, GroupAccess::ReadWrite);
}
