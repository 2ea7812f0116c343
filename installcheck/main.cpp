// station-check: says whether the station installed in a program folder
// would start and save a member, and why not.
//   station-check [--json] [program folder]
// The folder defaults to the one this program lies in, as for the station.

#include "components/odbc/odbc.h"
#include "components/odbc/utf8locale.h"
#include "installcheck/installcheck.h"
#include "installcheck/platformaccess.h"
#include "util/pluginpaths.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    RestrictPluginPaths();
    QCoreApplication app(argc, argv);
    UseUtf8CharacterLocale();

    bool json = false;
    QString folder;
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--json")) {
            json = true;
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h") ||
                   argument.startsWith(u'-') || !folder.isEmpty()) {
            WriteReportText(
                QStringLiteral("사용법: station-check [--json] [프로그램 폴더]\n"
                               "종료 상태: 0 정상, 1 환경설정, 2 출입문 설정, 3 ODBC 드라이버, "
                               "4 서버, 5 회원관리 테이블, 6 프로그램 폴더\n"),
                true);
            return argument == QLatin1String("--help") || argument == QLatin1String("-h") ? 0 : 64;
        } else {
            folder = argument;
        }
    }
    if (folder.isEmpty()) {
        folder = QCoreApplication::applicationDirPath();
    }

    const CheckReport report = RunInstallCheck(folder);
    if (json) {
        // UTF-8 by definition, wherever it goes.
        const QByteArray out = report.json();
        std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
        std::fflush(stdout);
    } else {
        WriteReportText(report.text(), false);
    }
    return OdbcConnection::beforeExit(report.exitStatus());
}
