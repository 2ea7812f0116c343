#include "installcheck/odbcprobe.h"

#include <QFileInfo>

// clang-format off
#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>
// clang-format on

#include <optional>

DriverRegistration FindOdbcDriver(const QString& name) {
    DriverRegistration found;
    const std::optional<QStringList> attributes = OdbcConnection::driverAttributes(name);
    if (!attributes) {
        return found;
    }
    found.found = true;
    found.attributes = *attributes;
    for (const QString& pair : *attributes) {
        if (pair.section(u'=', 0, 0)
                .trimmed()
                .compare(QLatin1String("Driver"), Qt::CaseInsensitive) == 0) {
            found.library = pair.section(u'=', 1).trimmed();
        }
    }
    return found;
}

QString DriverKindOf(const QString& library) {
    const QString file = QFileInfo(library).fileName().toLower();
    if (file.contains(QLatin1String("tdsodbc"))) {
        return QStringLiteral("FreeTDS");
    }
    if (file.contains(QLatin1String("psqlodbc"))) {
        return QStringLiteral("psqlODBC (PostgreSQL)");
    }
    if (file.contains(QLatin1String("sqlite"))) {
        return QStringLiteral("SQLite");
    }
    if (file.contains(QLatin1String("msodbcsql"))) {
        return QStringLiteral("Microsoft ODBC Driver for SQL Server");
    }
    if (file == QLatin1String("sqlsrv32.dll")) {
        return QStringLiteral("Windows SQL Server");
    }
    return {};
}

bool IsFileDatabaseDriver(const QString& kind) {
    return kind == QLatin1String("SQLite");
}

bool IsTextType(int dataType) {
    switch (dataType) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
        return true;
    default:
        return false;
    }
}

bool IsBinaryType(int dataType) {
    return dataType == SQL_BINARY || dataType == SQL_VARBINARY || dataType == SQL_LONGVARBINARY;
}

RolledBackTransaction::RolledBackTransaction(OdbcConnection& connection)
    : m_connection(connection) {
    m_connection.setAutoCommit(false);
}

RolledBackTransaction::~RolledBackTransaction() {
    if (!m_connection.isOpen()) {
        return;
    }
    try {
        m_connection.rollback();
        m_connection.setAutoCommit(true);
    } catch (const OdbcError&) {
        // Left as it is: the caller reports the rollback it asked for.
    }
}

void RolledBackTransaction::rollback() {
    m_connection.rollback();
}
