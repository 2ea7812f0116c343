#include "util/groupaccess.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

bool ShareNewFileWithFolderGroup(int fd, const QString& folder, GroupAccess access) {
    struct stat file {};
    if (fstat(fd, &file) != 0) {
        return false;
    }
    mode_t group = access == GroupAccess::ReadWrite ? S_IRGRP | S_IWGRP : S_IRGRP;
    struct stat dir {};
    if (stat(QFile::encodeName(folder).constData(), &dir) != 0) {
        group = 0;
    } else if (file.st_gid != dir.st_gid && fchown(fd, uid_t(-1), dir.st_gid) != 0) {
        // Then the file keeps this account's own group, which is not the
        // operators': it must not read along.
        group = 0;
    }
    return fchmod(fd, S_IRUSR | S_IWUSR | group) == 0;
}

bool ShareFolderWithGroup(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat dir {};
    if (lstat(name.constData(), &dir) != 0 || !S_ISDIR(dir.st_mode)) {
        return false;
    }
    if (dir.st_uid != geteuid()) {
        return true;
    }
    return chmod(name.constData(), S_IRWXU | S_IRWXG | S_ISGID) == 0;
}
