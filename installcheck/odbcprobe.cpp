#include "installcheck/odbcprobe.h"

#include <QFileInfo>
#include <QMap>

// clang-format off
#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>
// clang-format on

#include <cstdint>
#include <iterator>

namespace {

SQLWCHAR* wide(QString& text) {
    return reinterpret_cast<SQLWCHAR*>(text.data());
}

QString fromWide(const SQLWCHAR* text, qsizetype capacity) {
    qsizetype n = 0;
    while (n < capacity && text[n] != 0) {
        ++n;
    }
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text), n);
}

OdbcError diagnostics(SQLSMALLINT type, SQLHANDLE handle, const char* what) {
    OdbcError error(QStringLiteral("%1 failed").arg(QLatin1String(what)));
    bool any = false;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLWCHAR text[1024] = {};
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLGetDiagRecW(type, handle, record, state, &native, text,
                                          SQLSMALLINT(std::size(text)), &length))) {
            break;
        }
        if (!any) {
            error = OdbcError(QString());
            any = true;
        }
        error.addDiagnostic(fromWide(state, 5), fromWide(text, qsizetype(std::size(text))));
    }
    return error;
}

void checkRc(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const char* what) {
    if (!SQL_SUCCEEDED(rc)) {
        throw diagnostics(type, handle, what);
    }
}

SQLHDBC handleOf(OdbcConnection& connection) {
    auto* dbc = static_cast<SQLHDBC>(connection.nativeHandle());
    if (dbc == nullptr) {
        throw OdbcError(QStringLiteral("The connection to the database is not open"));
    }
    return dbc;
}

// One catalog statement, freed on every path.
class CatalogStatement {
public:
    explicit CatalogStatement(SQLHDBC dbc) {
        checkRc(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &m_stmt), SQL_HANDLE_DBC, dbc,
                "SQLAllocHandle(SQL_HANDLE_STMT)");
    }
    ~CatalogStatement() { SQLFreeHandle(SQL_HANDLE_STMT, m_stmt); }
    CatalogStatement(const CatalogStatement&) = delete;
    CatalogStatement& operator=(const CatalogStatement&) = delete;

    SQLHSTMT handle() const { return m_stmt; }
    void check(SQLRETURN rc, const char* what) const { checkRc(rc, SQL_HANDLE_STMT, m_stmt, what); }

    bool fetch() const {
        const SQLRETURN rc = SQLFetch(m_stmt);
        if (rc == SQL_NO_DATA) {
            return false;
        }
        check(rc, "SQLFetch");
        return true;
    }
    QString text(SQLUSMALLINT column) const {
        SQLWCHAR buffer[512] = {};
        SQLLEN indicator = 0;
        check(SQLGetData(m_stmt, column, SQL_C_WCHAR, buffer, sizeof(buffer), &indicator),
              "SQLGetData");
        return indicator == SQL_NULL_DATA ? QString()
                                          : fromWide(buffer, qsizetype(std::size(buffer)));
    }
    qint64 number(SQLUSMALLINT column) const {
        SQLBIGINT value = 0;
        SQLLEN indicator = 0;
        check(SQLGetData(m_stmt, column, SQL_C_SBIGINT, &value, 0, &indicator), "SQLGetData");
        return indicator == SQL_NULL_DATA ? 0 : qint64(value);
    }

private:
    SQLHSTMT m_stmt = SQL_NULL_HSTMT;
};

QString info(SQLHDBC dbc, SQLUSMALLINT type) {
    SQLWCHAR buffer[256] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(dbc, type, buffer, sizeof(buffer), &length))) {
        return {};
    }
    return fromWide(buffer, qsizetype(std::size(buffer)));
}

} // namespace

DriverRegistration FindOdbcDriver(const QString& name) {
    DriverRegistration found;
    SQLHENV env = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) {
        return found;
    }
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION,
                  reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(SQL_OV_ODBC3)), 0);
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        SQLWCHAR description[256] = {};
        SQLWCHAR attributes[4096] = {};
        SQLSMALLINT descriptionLength = 0;
        SQLSMALLINT attributesLength = 0;
        const SQLRETURN rc = SQLDriversW(
            env, direction, description, SQLSMALLINT(std::size(description)), &descriptionLength,
            attributes, SQLSMALLINT(std::size(attributes)), &attributesLength);
        if (!SQL_SUCCEEDED(rc)) {
            break;
        }
        direction = SQL_FETCH_NEXT;
        if (fromWide(description, qsizetype(std::size(description))) != name) {
            continue;
        }
        found.found = true;
        // key=value pairs, each ended by a NUL, the list by a second NUL.
        const SQLWCHAR* p = attributes;
        const SQLWCHAR* end = attributes + std::size(attributes);
        while (p < end && *p != 0) {
            const QString pair = fromWide(p, end - p);
            found.attributes << pair;
            if (pair.section(u'=', 0, 0)
                    .trimmed()
                    .compare(QLatin1String("Driver"), Qt::CaseInsensitive) == 0) {
                found.library = pair.section(u'=', 1).trimmed();
            }
            p += pair.size() + 1;
        }
        break;
    }
    SQLFreeHandle(SQL_HANDLE_ENV, env);
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

QList<ColumnInfo> TableColumns(OdbcConnection& connection, const QString& table) {
    CatalogStatement statement(handleOf(connection));
    QString name = table;
    statement.check(SQLColumnsW(statement.handle(), nullptr, 0, nullptr, 0, wide(name),
                                SQLSMALLINT(name.size()), nullptr, 0),
                    "SQLColumns");
    QList<ColumnInfo> columns;
    while (statement.fetch()) {
        ColumnInfo column;
        column.name = statement.text(4);
        column.dataType = int(statement.number(5));
        column.typeName = statement.text(6);
        column.size = statement.number(7);
        columns << column;
    }
    return columns;
}

QList<QStringList> UniqueKeys(OdbcConnection& connection, const QString& table) {
    const SQLHDBC dbc = handleOf(connection);
    QMap<QString, QStringList> byIndex;
    {
        CatalogStatement statement(dbc);
        QString name = table;
        statement.check(SQLStatisticsW(statement.handle(), nullptr, 0, nullptr, 0, wide(name),
                                       SQLSMALLINT(name.size()), SQL_INDEX_UNIQUE, SQL_QUICK),
                        "SQLStatistics");
        while (statement.fetch()) {
            // Row 7 TYPE: the table's own statistics row names no index.
            if (statement.number(7) == SQL_TABLE_STAT || statement.number(4) != SQL_FALSE) {
                continue;
            }
            byIndex[QStringLiteral("index:") + statement.text(6)] << statement.text(9);
        }
    }
    {
        CatalogStatement statement(dbc);
        QString name = table;
        // Not every driver offers primary keys; the unique indexes suffice then.
        if (SQL_SUCCEEDED(SQLPrimaryKeysW(statement.handle(), nullptr, 0, nullptr, 0, wide(name),
                                          SQLSMALLINT(name.size())))) {
            while (statement.fetch()) {
                byIndex[QStringLiteral("primary:") + statement.text(6)] << statement.text(4);
            }
        }
    }
    return byIndex.values();
}

QString DescribeConnection(OdbcConnection& connection) {
    const SQLHDBC dbc = handleOf(connection);
    return QStringLiteral("%1 %2, %3 %4")
        .arg(info(dbc, SQL_DRIVER_NAME), info(dbc, SQL_DRIVER_VER), info(dbc, SQL_DBMS_NAME),
             info(dbc, SQL_DBMS_VER));
}

RolledBackTransaction::RolledBackTransaction(OdbcConnection& connection)
    : m_connection(connection) {
    const SQLHDBC dbc = handleOf(connection);
    checkRc(SQLSetConnectAttrW(
                dbc, SQL_ATTR_AUTOCOMMIT,
                reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(SQL_AUTOCOMMIT_OFF)),
                SQL_IS_UINTEGER),
            SQL_HANDLE_DBC, dbc, "SQLSetConnectAttr(SQL_ATTR_AUTOCOMMIT)");
}

RolledBackTransaction::~RolledBackTransaction() {
    auto* dbc = static_cast<SQLHDBC>(m_connection.nativeHandle());
    if (dbc == nullptr) {
        return;
    }
    SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_ROLLBACK);
    SQLSetConnectAttrW(dbc, SQL_ATTR_AUTOCOMMIT,
                       reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(SQL_AUTOCOMMIT_ON)),
                       SQL_IS_UINTEGER);
}

void RolledBackTransaction::rollback() {
    const SQLHDBC dbc = handleOf(m_connection);
    checkRc(SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_ROLLBACK), SQL_HANDLE_DBC, dbc, "SQLEndTran");
}
