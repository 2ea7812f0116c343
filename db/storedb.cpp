#include "db/storedb.h"

#include "util/programwide.h"

#include <utility>

// The program-wide connection; closed until the first OpenStoreDb.
OdbcConnection StoreDb;

QString StoreConnectionString(const QString& address, const QString& port, const QString& database,
                              const QString& loginId, const QString& password) {
    const QString usedPort = port.isEmpty() ? QString::fromLatin1(StoreDefaultPort) : port;
    return QStringLiteral("DRIVER={SQL Server};SERVER=") +
           OdbcConnectionValue(address + u',' + usedPort) + QStringLiteral(";DATABASE=") +
           OdbcConnectionValue(database) + QStringLiteral(";UID=") + OdbcConnectionValue(loginId) +
           QStringLiteral(";PWD=") + OdbcConnectionValue(password) + QStringLiteral(";") +
           StoreDriverSettings();
}

QString StoreSettingsProblem(const QString& address, const QString& port, const QString& database,
                             const QString& loginId, const QString& password) {
    const std::pair<QString, QString> values[] = {{QStringLiteral("서버IP"), address},
                                                  {QStringLiteral("서버포트"), port},
                                                  {QStringLiteral("DB명"), database},
                                                  {QStringLiteral("서버 접속 아이디"), loginId},
                                                  {QStringLiteral("서버 접속 비번"), password}};
    for (const auto& [caption, value] : values) {
        const qsizetype at = OdbcConnectionValueBreak(value);
        if (at >= 0) {
            const char16_t unit = value.at(at).unicode();
            const QString code = QString::number(uint(unit), 16).toUpper().rightJustified(4, u'0');
            return QStringLiteral("%1에 서버 접속에 쓸 수 없는 문자(U+%2%3)가 있습니다")
                .arg(caption, code,
                     unit == 0 ? QString() : QStringLiteral(" '%1'").arg(value.at(at)));
        }
    }
    return {};
}

bool OpenStoreDb(OdbcConnection& connection, const QString& address, const QString& port,
                 const QString& database, const QString& loginId, const QString& password) {
    if (address.isEmpty() ||
        !StoreSettingsProblem(address, port, database, loginId, password).isEmpty()) {
        return false;
    }
    try {
        connection.close();
        connection.setLoginTimeout(StoreLoginTimeoutSeconds);
        connection.setOpenDeadline(StoreOpenDeadlineMs);
        connection.setQueryTimeout(StoreQueryTimeoutSeconds);
        connection.open(StoreConnectionString(address, port, database, loginId, password));
        return connection.isOpen();
    } catch (const OdbcError&) {
        return false;
    }
}

void CloseStoreDb() {
    StoreDb.close();
}
