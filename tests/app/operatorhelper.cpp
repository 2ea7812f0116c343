// Run by the permission tests under other Unix accounts, from a copy in a
// scratch program folder (so that folder is its program folder, as the
// station's is): one step of what the station does with its shared files,
// the outcome on standard output.
//   operatorhelper read              the settings, as start-up reads them
//   operatorhelper write <store>     the settings, as the settings screen saves them
//   operatorhelper log <text>        an error-log entry
//   operatorhelper lock              the running-copy lock, held until stdin closes

#include "app/singleinstance.h"
#include "config/settingsfile.h"
#include "util/errorlog.h"

#include <QCoreApplication>
#include <QTextStream>

#include <unistd.h>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    QTextStream out(stdout);
    const QString step = args.value(0);
    if (step == QLatin1String("read")) {
        QString why;
        const SettingsReadResult read = LoadStationConfig(&why);
        out << (read == SettingsReadResult::Ok ? StationConfig.StoreCode : why) << Qt::endl;
        return read == SettingsReadResult::Ok ? 0 : 1;
    }
    if (step == QLatin1String("write")) {
        SettingsFields fields;
        fields.StoreCode = args.value(1);
        fields.ServerIp = QStringLiteral("127.0.0.1");
        fields.DbName = QStringLiteral("QTR");
        fields.LoginId = QStringLiteral("sa");
        fields.LoginPassword = QStringLiteral("pw");
        fields.PosId = QStringLiteral("01");
        QString why;
        const bool saved = SaveSettingsFile(fields, &why);
        out << (saved ? QStringLiteral("saved") : why) << Qt::endl;
        return saved ? 0 : 1;
    }
    if (step == QLatin1String("log")) {
        WriteErrorLog(QStringLiteral("operatorhelper"), args.value(1));
        return 0;
    }
    if (step == QLatin1String("lock")) {
        SingleInstance instance(SingleInstanceLockPath());
        if (!instance.acquire()) {
            out << "refused" << Qt::endl;
            return 2;
        }
        out << "running" << Qt::endl;
        char c = 0;
        while (read(STDIN_FILENO, &c, 1) > 0) {
        }
        return 0;
    }
    out << "unknown step" << Qt::endl;
    return 3;
}
