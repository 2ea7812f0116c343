#pragma once
// What the installer's check makes of the ODBC layer's answers: the driver
// registry, the kinds of column types, and transactions that are rolled
// back. Failures throw OdbcError with the driver's own message.

#include "components/odbc.h"

#include <QList>
#include <QString>
#include <QStringList>

struct DriverRegistration {
    bool found = false;
    QString library;        // the registration's Driver= value, as written
    QStringList attributes; // every key=value of the registration
};

// The driver registered under `name` (the driver manager's own list, so
// ODBCSYSINI and the system's files count exactly as for a connection).
DriverRegistration FindOdbcDriver(const QString& name);

// Which driver a library file is, by its file name; empty when unknown.
QString DriverKindOf(const QString& library);
// File databases ignore the server address and port of the connection string.
bool IsFileDatabaseDriver(const QString& kind);

bool IsTextType(int dataType);
bool IsBinaryType(int dataType);

// Turns autocommit off for as long as it lives; everything done on the
// connection meanwhile is undone by rollback(), which throws OdbcError when
// the driver could not roll back (the probe's rows may then be in the
// table). The end rolls back once more and turns autocommit on again only
// after a rollback that succeeded: turning it on would commit.
class RolledBackTransaction {
public:
    explicit RolledBackTransaction(OdbcConnection& connection);
    ~RolledBackTransaction();
    RolledBackTransaction(const RolledBackTransaction&) = delete;
    RolledBackTransaction& operator=(const RolledBackTransaction&) = delete;

    void rollback();

private:
    OdbcConnection& m_connection;
};
