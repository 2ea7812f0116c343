// Opening and closing the store connection through the production
// connection string, with "SQL Server" registered as the SQLite driver.

#include "components/odbc/utf8locale.h"
#include "db/members.h"
#include "db/storedb.h"
#include "support/odbc_fixture.h"
#include "util/programwide.h"

#include <QTest>

#include <clocale>
#include <cstdlib>

class TestStoreDb : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        const QString why = odbcfixture::prepareProcess();
        QVERIFY2(why.isEmpty(), qPrintable(why));
    }

    void cleanup() { CloseStoreDb(); }

    void characterLocaleBecomesUtf8() {
#ifdef Q_OS_WIN
        QSKIP("Windows' ODBC layer is UTF-16 throughout: there is no character locale to switch");
#endif
        // A process whose environment names no UTF-8 locale gets one anyway.
        const QByteArray saved = qgetenv("LC_ALL");
        qputenv("LC_ALL", "C");
        std::setlocale(LC_CTYPE, "C");
        QCOMPARE(int(MB_CUR_MAX), 1);
        const bool switched = UseUtf8CharacterLocale();
        const int widest = int(MB_CUR_MAX);
        qputenv("LC_ALL", saved);
        QVERIFY(switched);
        QVERIFY(widest > 1);
        QVERIFY(UseUtf8CharacterLocale()); // again: harmless
    }

    void connectionStringIsExact() {
        const QString tail = StoreDriverSettings();
        QCOMPARE(StoreConnectionString(QStringLiteral("127.0.0.1"), QStringLiteral("1500"),
                                       QStringLiteral("회원DB"), QStringLiteral("sa"),
                                       QStringLiteral("p w")),
                 QStringLiteral("DRIVER={SQL Server};SERVER=127.0.0.1,1500;DATABASE=회원DB;"
                                "UID=sa;PWD=p w;") +
                     tail);
        // An empty port is 1433; a value holding syntax or edge spaces goes
        // in braced, whole, "}" doubled.
        QCOMPARE(StoreConnectionString(QStringLiteral("127.0.0.1"), QString(),
                                       QStringLiteral("d=b"), QStringLiteral(" id"),
                                       QStringLiteral("a;b}{")),
                 QStringLiteral("DRIVER={SQL Server};SERVER=127.0.0.1,1433;DATABASE={d=b};"
                                "UID={ id};PWD={a;b}}{};") +
                     tail);
        QVERIFY(tail.isEmpty() || tail.endsWith(u';'));
    }

    void startUpPathReachesTheStore() {
        odbcfixture::MemberTable table(odbcfixture::Backend::SQLite);
        if (table.unavailable()) {
            QSKIP(qPrintable(table.skipReason()));
        }
        QVERIFY2(table.ready(), qPrintable(table.skipReason()));
        const StationSettings s = table.stationSettings(QStringLiteral("0001"));
        QVERIFY2(
            OpenStoreDb(StoreDb, s.ServerIp, s.ServerPort, s.DbName, s.LoginId, s.LoginPassword),
            qPrintable(StoreDb.lastOpenError()));
        QVERIFY(StoreDb.isOpen());
        QCOMPARE(
            StoreDb.connectionString(),
            StoreConnectionString(s.ServerIp, s.ServerPort, s.DbName, s.LoginId, s.LoginPassword));
        QCOMPARE(StoreDb.loginTimeout(), 5);
        // Bounded waits: a statement gives up well within a minute, the
        // whole open within 7 s.
        QVERIFY(StoreDb.queryTimeout() > 0 && StoreDb.queryTimeout() < 60);
        QVERIFY(StoreDb.openDeadline() > 5000 && StoreDb.openDeadline() <= 7000);
        OdbcRecordset set;
        OpenMemberLookup(set, s.StoreCode, QStringLiteral("010-1234-5678"));
        QVERIFY(set.isEof());

        // An empty address changes nothing: the open connection stays.
        QVERIFY(
            !OpenStoreDb(StoreDb, QString(), s.ServerPort, s.DbName, s.LoginId, s.LoginPassword));
        QVERIFY(StoreDb.isOpen());

        // Opening again replaces the connection.
        QVERIFY(OpenStoreDb(StoreDb, s.ServerIp, QString(), s.DbName, s.LoginId, s.LoginPassword));
        QVERIFY(StoreDb.connectionString().contains(QStringLiteral(",1433;")));

        CloseStoreDb();
        QVERIFY(!StoreDb.isOpen());
        CloseStoreDb();
        QVERIFY_THROWS_EXCEPTION(OdbcError, OpenMemberLookup(set, s.StoreCode, QString()));
    }

    void failedOpenTellsWhy() {
        CloseStoreDb(); // before any open: harmless
        QVERIFY(!OpenStoreDb(StoreDb, QStringLiteral("127.0.0.1"), QString(),
                             QStringLiteral("/no/such/folder/store.db"), QStringLiteral("sa"),
                             QString()));
        QVERIFY(!StoreDb.isOpen());
        QVERIFY(!StoreDb.lastOpenError().isEmpty());
        QVERIFY_THROWS_EXCEPTION(OdbcError, RemoveMemberPhoto(QStringLiteral("0001"), QString()));
    }
};

QTEST_GUILESS_MAIN(TestStoreDb)
#include "tst_storedb.moc"
