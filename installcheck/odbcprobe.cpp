#include "installcheck/odbcprobe.h"

#include <QFileInfo>

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
