#include "db/storedb.h"

#include "util/programwide.h"

// The program-wide connection; closed until the first OpenStoreDb.
OdbcConnection StoreDb;

QString StoreConnectionString(const QString& address, const QString& port, const QString& database,
                              const QString& loginId, const QString& password) {
    const QString usedPort = port.isEmpty() ? QString::fromLatin1(StoreDefaultPort) : port;
    return QStringLiteral("DRIVER={SQL Server};SERVER=") + address + QStringLiteral(",") +
           usedPort + QStringLiteral(";DATABASE=") + database + QStringLiteral(";UID=") + loginId +
           QStringLiteral(";PWD=") + password + QStringLiteral(";") + StoreDriverSettings();
}

bool OpenStoreDb(OdbcConnection& connection, const QString& address, const QString& port,
                 const QString& database, const QString& loginId, const QString& password) {
    if (address.isEmpty()) {
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
