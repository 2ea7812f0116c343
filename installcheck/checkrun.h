#pragma once
// What the installer's checks share while they run in the station's order
// (installcheck.cpp): the folder checked, the report they add their lines
// to, and what an earlier check found that a later one builds on.

#include "installcheck/checkreport.h"
#include "util/programwide.h"

#include <optional>

struct CheckRun {
    explicit CheckRun(const QString& programFolder)
        : folder(programFolder), report(programFolder) {}

    // A file or folder of the program folder.
    QString path(const QString& name) const;
    CheckLine& add(const QString& id, CheckArea area, const QString& title, Verdict verdict,
                   const QString& reason, const QString& action = {}) {
        return report.add(id, area, title, verdict, reason, action);
    }

    const QString folder;
    CheckReport report;
    std::optional<StationSettings> settings; // the settings file as read, when it could be
    QString driverKind;                      // which driver "SQL Server" is, when known
    bool driverUsable = false;               // its library is there and loads
    bool loggedIn = false;                   // StoreDb is open on the store server
};

// A login as the report shows it: its first character, the rest masked.
QString MaskedLogin(const QString& text);
