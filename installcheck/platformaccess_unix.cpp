#include "installcheck/platformaccess.h"

#include "components/odbc/odbcmanager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>
#include <dlfcn.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The folders where unixODBC looks for a driver registered by bare name:
// next to its own library and in the odbc/ folder there.
QStringList driverManagerFolders() {
    const QString library = OdbcDriverManagerFile();
    if (library.isEmpty()) {
        return {};
    }
    const QString dir = QFileInfo(library).absolutePath();
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

QString tryLoadLibrary(const QString& name, QString* loadedFrom) {
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

} // namespace

DriverLibrary ProbeDriverLibrary(const QString&, const QString& library) {
    DriverLibrary result;
    result.error = tryLoadLibrary(library, &result.file);
    if (result.error.isEmpty()) {
        result.usable = QStringLiteral("%1 을(를) 불러왔습니다").arg(result.file);
    }
    result.missing = QFileInfo(library).isAbsolute() && !QFileInfo::exists(library);
    return result;
}

QString AdviceText(Advice topic, const QString& path) {
    switch (topic) {
    case Advice::DriverListed:
        return QStringLiteral("odbcinst -q -d 에 없음");
    case Advice::DriverMissing:
        return QStringLiteral("패키지를 다시 설치하거나 odbcinst.ini 에 [SQL Server] 를 "
                              "FreeTDS 로 등록하세요");
    case Advice::DriverLibrary:
        return QStringLiteral("드라이버 패키지(tdsodbc)를 설치하거나 odbcinst.ini 의 "
                              "[SQL Server] Driver 경로를 고치세요");
    case Advice::SettingsUnreadable:
        return QStringLiteral("파일을 그룹 %1 이(가) 읽을 수 있게 하세요 "
                              "(chgrp %1 환경설정.CFG; chmod 640 환경설정.CFG)")
            .arg(OperatorGroupName);
    case Advice::FolderNotWritable:
        return QStringLiteral("폴더를 그룹 %1 이(가) 쓸 수 있게 하세요 (패키지를 다시 "
                              "설치하면 됩니다)")
            .arg(OperatorGroupName);
    case Advice::SubfolderNotWritable:
        return QStringLiteral("chgrp -R %1 %2; chmod -R g+rwX %2").arg(OperatorGroupName, path);
    case Advice::NoCamera:
        return QStringLiteral("웹캠을 연결하고 운영자를 video 그룹에 넣으세요");
    case Advice::NoCameraBackend:
        return QStringLiteral("qt6-multimedia 와 gstreamer1.0-plugins-good 패키지를 "
                              "설치하세요");
    case Advice::NoMediaFeatures: // nothing of the kind on Linux
    case Advice::NoSerialPort:
        return {};
    case Advice::SerialDenied:
        return QStringLiteral("운영자를 dialout 그룹에 넣으세요");
    }
    return {};
}

void WriteReportText(const QString& text, bool toStandardError) {
    const QByteArray bytes = text.toLocal8Bit();
    std::FILE* out = toStandardError ? stderr : stdout;
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
    std::fflush(out);
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
