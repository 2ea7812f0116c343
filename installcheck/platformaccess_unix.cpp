#include "installcheck/platformaccess.h"

#include "app/singleinstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <sql.h>

#include <dlfcn.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The folders where unixODBC looks for a driver registered by bare name:
// next to its own library and in the odbc/ folder there.
QStringList driverManagerFolders() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&SQLAllocHandle), &info) == 0 || info.dli_fname == nullptr) {
        return {};
    }
    const QString dir = QFileInfo(QFile::decodeName(info.dli_fname)).absolutePath();
    return {dir + QStringLiteral("/odbc"), dir};
}

QString accountName(uid_t uid) {
    const passwd* pw = getpwuid(uid);
    return pw != nullptr ? QString::fromLocal8Bit(pw->pw_name) : QString::number(uid);
}

QString groupName(gid_t gid) {
    const group* gr = getgrgid(gid);
    return gr != nullptr ? QString::fromLocal8Bit(gr->gr_name) : QString::number(gid);
}

} // namespace

QString TryLoadLibrary(const QString& name, QString* loadedFrom) {
    QStringList candidates{name};
    if (!name.contains(u'/')) {
        for (const QString& dir : driverManagerFolders()) {
            candidates << dir + u'/' + name;
        }
    }
    QString error;
    for (const QString& candidate : candidates) {
        if (loadedFrom != nullptr) {
            *loadedFrom = candidate;
        }
        void* handle = dlopen(QFile::encodeName(candidate).constData(), RTLD_NOW | RTLD_LOCAL);
        if (handle != nullptr) {
            dlclose(handle);
            return {};
        }
        const char* why = dlerror();
        if (error.isEmpty()) {
            error = why != nullptr ? QString::fromLocal8Bit(why) : QStringLiteral("dlopen failed");
        }
    }
    return error;
}

QString CurrentUserName() {
    return accountName(geteuid());
}

bool CurrentUserIsAdministrator() {
    return geteuid() == 0;
}

QString OperatorGroupProblem(const QString& path, bool forWriting) {
    const group* operators = getgrnam(OperatorGroupName.toLocal8Bit().constData());
    struct stat st {};
    if (operators == nullptr || stat(QFile::encodeName(path).constData(), &st) != 0) {
        return {};
    }
    // Folders need search as well; files only what the station does to them.
    const mode_t need = forWriting ? (S_ISDIR(st.st_mode) ? 07 : 06) : 04;
    const bool byGroup = st.st_gid == operators->gr_gid && ((st.st_mode >> 3) & need) == need;
    const bool byOthers = (st.st_mode & need) == need;
    if (byGroup || byOthers) {
        return {};
    }
    return QStringLiteral("그룹 %1 이(가) %2 수 없습니다 (소유자 %3:%4, 권한 %5)")
        .arg(OperatorGroupName, forWriting ? QStringLiteral("쓸") : QStringLiteral("읽을"),
             accountName(st.st_uid), groupName(st.st_gid))
        .arg(QString::number(st.st_mode & 07777, 8).rightJustified(4, u'0'));
}

QString StationLockPath(const QString& programFolder) {
    return QDir(programFolder).filePath(QFileInfo(SingleInstanceLockPath()).fileName());
}
