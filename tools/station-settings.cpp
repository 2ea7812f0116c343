// station-settings: writes a settings file exactly as the settings screen
// saves it (config/settingsfile.h), for the demo store, the end-to-end rig
// and the installer's check under Wine, so no script re-implements the
// file's encoding or the login shift.
//
//   station-settings FILE STORE IP PORT KIND DB LOGIN PASSWORD [POSID [BUSINESS]]
//
// The values are the settings screen's field texts (the login in plain
// text); POSID defaults to "01", BUSINESS to empty. Exit 0 when written,
// 1 with the reason on stderr otherwise, 2 on wrong usage.

#include "config/settingsfile.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() < 8 || args.size() > 10) {
        std::fputs("usage: station-settings FILE STORE IP PORT KIND DB LOGIN PASSWORD "
                   "[POSID [BUSINESS]]\n",
                   stderr);
        return 2;
    }
    SettingsFields fields;
    fields.StoreCode = args[1];
    fields.ServerIp = args[2];
    fields.ServerPort = args[3];
    fields.DbKind = args[4];
    fields.DbName = args[5];
    fields.LoginId = args[6];
    fields.LoginPassword = args[7];
    fields.PosId = args.value(8, QStringLiteral("01"));
    fields.BusinessNumber = args.value(9);
    QString error;
    if (!WriteSettingsFile(args[0], fields, &error)) {
        std::fprintf(stderr, "station-settings: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
