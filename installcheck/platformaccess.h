#pragma once
// What the installer's check needs from the operating system: loading a
// driver library, who is running the check, and whether the station's
// operator group may use a file or folder. One implementation per platform
// (platformaccess_unix.cpp, platformaccess_win.cpp).

#include <QString>

// The group whose members run the station (made by the package).
inline const QString OperatorGroupName = QStringLiteral("member-station");

// Loads the library `name` the way the ODBC driver manager would find it
// (a bare file name also in the driver manager's own folders) and unloads it
// again. Returns an empty text when it loaded, else the system's message;
// `loadedFrom` gets the file that was tried last.
QString TryLoadLibrary(const QString& name, QString* loadedFrom);

// The account running the check, and whether it can read or write anything
// regardless of permissions (root).
QString CurrentUserName();
bool CurrentUserIsAdministrator();

// Why the operator group could not read the file `path` (forWriting false) or
// create and change files in the folder `path` (forWriting true): a short
// sentence with the owner and mode, or empty when it can, or when this
// system has no such group.
QString OperatorGroupProblem(const QString& path, bool forWriting);

// The lock the station in `programFolder` holds while it runs
// (app/singleinstance.h): on Unix its file in that folder, shared by every
// operator account; on Windows the user's own.
QString StationLockPath(const QString& programFolder);
