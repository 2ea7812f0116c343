#include "odbc_fixture.h"

#include "components/odbc/odbc.h"
#include "components/odbc/utf8locale.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <atomic>

namespace odbcfixture {

QString backendName(Backend backend) {
    return backend == Backend::PostgreSQL ? QStringLiteral("PostgreSQL") : QStringLiteral("SQLite");
}

QString prepareProcess() {
    if (!UseUtf8CharacterLocale()) {
        return QStringLiteral("no UTF-8 locale is installed (C.UTF-8 is missing)");
    }
    if (qEnvironmentVariableIsEmpty("ODBCSYSINI")) {
        qputenv("ODBCSYSINI", QByteArray(STATION_DEFAULT_ODBCSYSINI));
    }
    const QString ini = qEnvironmentVariable("ODBCSYSINI") + QStringLiteral("/odbcinst.ini");
    if (!QFileInfo::exists(ini)) {
        return QStringLiteral("%1 is missing: configure the build first").arg(ini);
    }
    return {};
}

QString postgresConnectionString(QString* why) {
    const QString host = qEnvironmentVariable("STATION_PG_HOST");
    const QString port = qEnvironmentVariable("STATION_PG_PORT");
    const QString db = qEnvironmentVariable("STATION_PG_DB");
    const QString user = qEnvironmentVariable("STATION_PG_USER");
    if (host.isEmpty() || port.isEmpty() || db.isEmpty() || user.isEmpty()) {
        if (why != nullptr) {
            *why = QStringLiteral("PostgreSQL is not running for this test: STATION_PG_HOST/PORT/"
                                  "DB/USER are unset. Run `source tests/support/postgres.sh "
                                  "start` first (scripts/test.sh does).");
        }
        return {};
    }
    return QStringLiteral("Driver={PostgreSQL Unicode};Server=%1;Port=%2;Database=%3;UID=%4;"
                          "PWD=%5;ByteaAsLongVarBinary=1;")
        .arg(host, port, db, user, qEnvironmentVariable("STATION_PG_PASSWORD"));
}

QString sqliteConnectionString(const QString& databaseFile) {
    return QStringLiteral("Driver={SQLite3};Database=%1;").arg(databaseFile);
}

QString memberTableSql(Backend backend) {
    QFile file(QStringLiteral(STATION_SQL_DIR) + (backend == Backend::PostgreSQL
                                                      ? QStringLiteral("/회원관리_postgresql.sql")
                                                      : QStringLiteral("/회원관리_sqlite.sql")));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    // One statement; comment lines and the closing ';' are for humans.
    QStringList lines;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (!line.trimmed().startsWith(QStringLiteral("--"))) {
            lines.append(line);
        }
    }
    QString sql = lines.join(u'\n').trimmed();
    if (sql.endsWith(u';')) {
        sql.chop(1);
    }
    return sql;
}

MemberTable::MemberTable(Backend backend, const QString& postgresServer) : backend_(backend) {
    try {
        if (backend == Backend::PostgreSQL) {
            adminConnectionString_ =
                postgresServer.isEmpty() ? postgresConnectionString(&skipReason_) : postgresServer;
            if (adminConnectionString_.isEmpty()) {
                unavailable_ = true;
                return;
            }
            static std::atomic<int> counter{0};
            schema_ = QStringLiteral("station_%1_%2")
                          .arg(QCoreApplication::applicationPid())
                          .arg(++counter);
            OdbcConnection admin;
            admin.open(adminConnectionString_);
            admin.execute(QStringLiteral("CREATE SCHEMA %1").arg(schema_));
            connectionString_ = adminConnectionString_ +
                                QStringLiteral("ConnSettings=SET search_path TO %1;").arg(schema_);
        } else {
            // Set where the SQLite driver cannot reach a database file (tests
            // of the Windows build run under Wine).
            const QString noSqlite = qEnvironmentVariable("STATION_TEST_SQLITE_UNAVAILABLE");
            if (!noSqlite.isEmpty()) {
                skipReason_ = noSqlite;
                unavailable_ = true;
                return;
            }
            folder_ = std::make_unique<QTemporaryDir>();
            if (!folder_->isValid()) {
                skipReason_ = QStringLiteral("no temporary folder");
                return;
            }
            databaseFile_ = folder_->filePath(QStringLiteral("store.db"));
            connectionString_ = sqliteConnectionString(databaseFile_);
        }
        recreate();
        ready_ = true;
    } catch (const OdbcError& error) {
        skipReason_ = QStringLiteral("%1 member table not made: %2")
                          .arg(backendName(backend), error.description());
    }
}

MemberTable::~MemberTable() {
    if (!schema_.isEmpty()) {
        try {
            OdbcConnection admin;
            admin.open(adminConnectionString_);
            admin.execute(QStringLiteral("DROP SCHEMA %1 CASCADE").arg(schema_));
        } catch (const OdbcError& error) {
            qWarning("schema %s left behind: %s", qPrintable(schema_), error.what());
        }
    }
}

StationSettings MemberTable::stationSettings(const QString& storeCode) const {
    StationSettings settings;
    settings.StoreCode = storeCode;
    settings.ServerIp = QStringLiteral("127.0.0.1");
    settings.ServerPort = QStringLiteral("1433");
    settings.DbKind = QStringLiteral("MS-SQL");
    settings.DbName = backend_ == Backend::SQLite ? databaseFile_ : QStringLiteral("QTR");
    settings.LoginId = QStringLiteral("sa");
    settings.LoginPassword = QStringLiteral("station");
    settings.PosId = QStringLiteral("01");
    return settings;
}

void MemberTable::recreate() {
    OdbcConnection connection;
    connection.open(connectionString_);
    connection.execute(QStringLiteral("DROP TABLE IF EXISTS 회원관리"));
    connection.execute(memberTableSql(backend_));
}

} // namespace odbcfixture
