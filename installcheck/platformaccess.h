#pragma once
// What the installer's check needs from the operating system: the driver's
// library, who is running the check, whether the station's operator group
// may use a file or folder, advice in the system's terms, and the output.
// One implementation per platform (platformaccess_unix.cpp,
// platformaccess_win.cpp).

#include <QString>

// The group whose members run the station (made by the package).
inline const QString OperatorGroupName = QStringLiteral("member-station");

// The library of the ODBC driver registered as `driverName`, whose
// registration gives `library` (its Driver= value; empty where the list does
// not give it). Unix loads it the way the ODBC driver manager would (a bare
// file name also in the driver manager's own folders) and unloads it again.
// Windows loads nothing itself (the driver manager loads the driver at the
// login): it takes the file the system's registration names and checks that
// it is there.
struct DriverLibrary {
    QString file;         // the file tried last, as shown
    QString error;        // empty when usable, else the system's message
    QString usable;       // when usable: what was done with which file
    bool missing = false; // the file named is not there at all
};
DriverLibrary ProbeDriverLibrary(const QString& driverName, const QString& library);

// What an installer of this system does about a problem: the actions the
// check prints, in the system's own terms. `path` is the file or folder
// concerned, where there is one.
enum class Advice {
    DriverListed,         // where the driver list is seen (reason's remark)
    DriverMissing,        // "SQL Server" not in the driver list
    DriverLibrary,        // its library missing or not loadable
    SettingsUnreadable,   // the settings file unreadable by this account
    FolderNotWritable,    // the program folder
    SubfolderNotWritable, // 회원사진 or ERROR_LOG
    NoCamera,
    NoCameraBackend, // Qt's multimedia plugin missing
    NoMediaFeatures, // the system's media libraries the camera needs missing
    NoSerialPort,
    SerialDenied,
};
QString AdviceText(Advice topic, const QString& path = {});

// Writes the check's text report (or usage) to the standard output or error
// so that it reads right where it goes: Unix in the locale's encoding;
// Windows through the console's own wide-character output when it is a
// console, else as code page 949 bytes (a file opened on a Korean PC).
void WriteReportText(const QString& text, bool toStandardError);

// The account running the check, and whether it can read or write anything
// regardless of permissions (root).
QString CurrentUserName();
bool CurrentUserIsAdministrator();

// Why the operator group could not read the file `path` (forWriting false) or
// create and change files in the folder `path` (forWriting true): a short
// sentence with the owner and mode, or empty when it can, or when this
// system has no such group.
QString OperatorGroupProblem(const QString& path, bool forWriting);
