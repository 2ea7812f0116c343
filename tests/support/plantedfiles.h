#pragma once
// What another account may plant in a shared folder in place of a file: a
// link to a file elsewhere, or a named pipe. Windows has no named pipes in
// its folders and makes links only with a privilege, so there a test of
// them skips.

#include <QFile>
#include <QString>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace plantedfiles {

// Empty when planted, else why it cannot be on this system.
inline QString plantLink(const QString& target, const QString& name) {
#ifdef Q_OS_WIN
    Q_UNUSED(target);
    Q_UNUSED(name);
    return QStringLiteral("links need a privilege on Windows");
#else
    return QFile::link(target, name) ? QString() : QStringLiteral("cannot link ") + name;
#endif
}

inline QString plantPipe(const QString& name) {
#ifdef Q_OS_WIN
    Q_UNUSED(name);
    return QStringLiteral("no named pipes in Windows folders");
#else
    return mkfifo(QFile::encodeName(name).constData(), 0600) == 0
               ? QString()
               : QStringLiteral("cannot make a pipe ") + name;
#endif
}

// Whether the failure above is the system's, not the test's.
inline bool unsupported(const QString& why) {
#ifdef Q_OS_WIN
    return !why.isEmpty();
#else
    Q_UNUSED(why);
    return false;
#endif
}

} // namespace plantedfiles
