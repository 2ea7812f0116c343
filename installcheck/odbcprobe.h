#pragma once
// ODBC calls the installer's check needs beyond the station's own layer:
// the driver registry, the catalog (columns and unique keys of a table), the
// driver's self-description, and transactions that are rolled back. The
// catalog and transaction calls run on an open OdbcConnection's handle.
// Failures throw OdbcError with the driver's own message.

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

struct ColumnInfo {
    QString name;
    int dataType = 0; // SQL_* type code
    QString typeName; // the database's own name
    qint64 size = 0;  // characters for text, bytes for binary
};

QList<ColumnInfo> TableColumns(OdbcConnection& connection, const QString& table);
// The column lists of the table's primary key and unique indexes.
QList<QStringList> UniqueKeys(OdbcConnection& connection, const QString& table);

bool IsTextType(int dataType);
bool IsBinaryType(int dataType);

// "driver version; database version" as the driver reports them.
QString DescribeConnection(OdbcConnection& connection);

// Turns autocommit off for as long as it lives; everything done on the
// connection meanwhile is rolled back at rollback() and at the end, so a
// probe leaves no trace.
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
