#pragma once
// What the installer's check makes of the ODBC layer's answers: the driver
// registry and the kinds of drivers. The column type kinds
// (components/odbc/odbccolumns.h) and the rolled-back transaction
// (components/odbc/odbctransaction.h) come with it. Failures throw OdbcError
// with the driver's own message.

#include "components/odbc/odbc.h"
#include "components/odbc/odbccolumns.h"
#include "components/odbc/odbctransaction.h"

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
