#pragma once
// Fresh member tables for tests and benchmarks, on PostgreSQL (the server
// that the test command starts, named by STATION_PG_*) or on SQLite (a
// database file in a temporary folder). The table is the one of
// db/sql/회원관리_<backend>.sql: the station's six columns, a unique key on
// store code and number, and the extra column 가입구분 (default '일반').
//
//   const QString why = odbcfixture::prepareProcess();   // in initTestCase()
//   odbcfixture::MemberTable table(odbcfixture::Backend::PostgreSQL);
//   if (table.unavailable()) QSKIP(qPrintable(table.skipReason()));
//   QVERIFY2(table.ready(), qPrintable(table.skipReason()));
//   StoreDb.redirect(table.connectionString());          // OpenStoreDb now lands here
//
// Each MemberTable is its own: a PostgreSQL table lives in a schema of its
// own (the connection string sets the search path), so tests running in
// parallel never share rows. The destructor removes schema or file.

#include "util/programwide.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace odbcfixture {

enum class Backend { PostgreSQL, SQLite };

QString backendName(Backend backend);

// Before the first ODBC call of the process: sets a UTF-8 LC_CTYPE and, when
// ODBCSYSINI is unset, points it at the build's driver registrations (the one
// where "SQL Server" is SQLite). Returns an explanation when ODBC cannot work
// here, empty when all is well.
QString prepareProcess();

// The PostgreSQL connection string from STATION_PG_*; empty when they are not
// set (then *why says so).
QString postgresConnectionString(QString* why = nullptr);
// The SQLite connection string for a database file.
QString sqliteConnectionString(const QString& databaseFile);

// The CREATE TABLE statement of the member table for a backend.
QString memberTableSql(Backend backend);

class MemberTable {
public:
    // `postgresServer`: a connection string to a PostgreSQL server other
    // than the one STATION_PG_* name (e.g. a test's own, see
    // support/localpostgres.h); ignored for SQLite.
    explicit MemberTable(Backend backend, const QString& postgresServer = {});
    ~MemberTable();
    MemberTable(const MemberTable&) = delete;
    MemberTable& operator=(const MemberTable&) = delete;

    Backend backend() const { return backend_; }
    // False when the backend is not available here or the table could not
    // be made; skipReason() tells why. unavailable(): the backend is not
    // configured for this run (skip); otherwise a failure is a fault.
    bool ready() const { return ready_; }
    bool unavailable() const { return unavailable_; }
    QString skipReason() const { return skipReason_; }

    // Reaches exactly this table.
    QString connectionString() const { return connectionString_; }
    // The SQLite database file (empty for PostgreSQL).
    QString databaseFile() const { return databaseFile_; }

    // Settings under which OpenStoreDb's own connection string reaches this
    // SQLite table when "SQL Server" is the SQLite driver (the start-up path;
    // STATION_ODBC_ENV_SQLITE). For PostgreSQL, reached through
    // StoreDb.redirect(), they name a store server as an installed
    // station's do.
    StationSettings stationSettings(const QString& storeCode) const;

    // Drops and creates the table again (empty, fresh defaults).
    void recreate();

private:
    Backend backend_;
    bool ready_ = false;
    bool unavailable_ = false;
    QString skipReason_;
    QString connectionString_;
    QString adminConnectionString_;
    QString schema_;
    QString databaseFile_;
    std::unique_ptr<QTemporaryDir> folder_;
};

} // namespace odbcfixture
