#include "app/serverconnection.h"

#include "db/storedb.h"

#include "dialogs/messagebox.h"
#include "util/programwide.h"

#include <exception>

bool CheckServerConnection() {
    const QString problem =
        StoreSettingsProblem(StationConfig.ServerIp, StationConfig.ServerPort, StationConfig.DbName,
                             StationConfig.LoginId, StationConfig.LoginPassword);
    if (!problem.isEmpty()) {
        ShowMessage(QStringLiteral("\r\n") + problem, 0, true, true);
        return false;
    }
    try {
        if (OpenStoreDb(StoreDb, StationConfig.ServerIp, StationConfig.ServerPort,
                        StationConfig.DbName, StationConfig.LoginId, StationConfig.LoginPassword)) {
            return true;
        }
        ShowMessage(QStringLiteral("\r\n서버 연결 실패"), 0, true, true);
    } catch (const std::exception& error) {
        ShowMessage(QStringLiteral("\r\n") + QString::fromUtf8(error.what()), 0, true, true);
    }
    return false;
}
