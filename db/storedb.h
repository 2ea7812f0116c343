#pragma once
// The connection to the store server: how it is built, opened and closed,
// and the program-wide connection itself, StoreDb. Nothing here shows
// anything; app/serverconnection.h tells the operator.
//
// Typical use by a screen:
//   if (!CheckServerConnection()) return;          // fresh StoreDb, user told on failure
//   ... statements on StoreDb (db/members.h) ...
//   CloseStoreDb();                                // after a save
//
// Tests point StoreDb at their own database with StoreDb.redirect(string):
// OpenStoreDb then still builds and records the production string (see
// StoreDb.connectionString()) but connects to the test database.

#include "components/odbc/odbc.h"

#include <QString>

// The driver's login timeout. Some drivers only count silence with it (a
// server trickling a byte every few seconds keeps the login going), and the
// name lookup before it has its own, so the whole open also has a deadline
// of our own, a little above the login timeout: it ends the attempt within
// 7 s whatever the server or the name server does. The caller waits for it
// without running its event loop, as it waited for the driver before: no
// click can start a second operation meanwhile.
inline constexpr int StoreLoginTimeoutSeconds = 5;
inline constexpr int StoreOpenDeadlineMs = 6000;
// Every statement gives up after this long with an error, so a server that
// holds a lock or stops answering cannot freeze the screen for good. Far
// above a normal round trip (milliseconds, a large photo well under a
// second), short enough that the operator is told while still waiting.
inline constexpr int StoreQueryTimeoutSeconds = 15;
// Used when the settings leave the port empty.
inline constexpr char StoreDefaultPort[] = "1433";

// The store server's connection string, exactly
//   "DRIVER={SQL Server};SERVER=<address>,<port>;DATABASE=<db>;UID=<id>;PWD=<pw>;"
// with "1433" for an empty port, followed by the platform's driver settings
// (StoreDriverSettings()). Each value goes in untrimmed as one value: bare
// when plain, braced when it holds ";", "=", "{" or edge spaces
// (OdbcConnectionValue), so no settings value can add or replace a key;
// values holding "}" are refused (StoreSettingsProblem).
QString StoreConnectionString(const QString& address, const QString& port, const QString& database,
                              const QString& loginId, const QString& password);

// Why these settings values cannot go into the connection string whole
// (OdbcConnectionValueBreak), naming the settings field and the character;
// empty when they can. The settings screen refuses to save such a value,
// and OpenStoreDb never opens one.
QString StoreSettingsProblem(const QString& address, const QString& port, const QString& database,
                             const QString& loginId, const QString& password);

// What the platform's "SQL Server" driver needs beyond the five values,
// appended after the last ";" (empty where the driver needs nothing).
QString StoreDriverSettings();

// Opens `connection` afresh on the store server. An empty address returns
// false at once and leaves `connection` exactly as it was (no network
// attempt); so do values StoreSettingsProblem refuses. Otherwise the old connection is closed, the
// login timeout, open deadline and statement timeout above set, and the string above opened.
// Returns true when the connection is open. Shows nothing and logs nothing: the reason of a failure
// is in connection.lastOpenError().
bool OpenStoreDb(OdbcConnection& connection, const QString& address, const QString& port,
                 const QString& database, const QString& loginId, const QString& password);

// The connection to the store server, used from the user-interface thread.
extern OdbcConnection StoreDb;

// Closes StoreDb; never fails, harmless when it is not open.
void CloseStoreDb();
