// CheckServerConnection on the start-up path: "SQL Server" is the SQLite
// driver here, so the settings reach a database file.

#include "app/serverconnection.h"
#include "db/storedb.h"
#include "support/modalhelper.h"
#include "support/odbc_fixture.h"
#include "util/programwide.h"

#include <QTest>

class TestCheckServer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        const QString why = odbcfixture::prepareProcess();
        QVERIFY2(why.isEmpty(), qPrintable(why));
    }

    void cleanup() {
        CloseStoreDb();
        StationConfig = {};
        QVERIFY(ModalAnswer::leftoverWindows().isEmpty());
    }

    void reachableStoreOpensSilently() {
        odbcfixture::MemberTable table(odbcfixture::Backend::SQLite);
        if (table.unavailable()) {
            QSKIP(qPrintable(table.skipReason()));
        }
        QVERIFY2(table.ready(), qPrintable(table.skipReason()));
        StationConfig = table.stationSettings(QStringLiteral("0001"));
        ModalAnswer watch = ModalAnswer::none();
        QVERIFY(CheckServerConnection());
        QVERIFY(StoreDb.isOpen());
        QCOMPARE(watch.count(), 0);
        CloseStoreDb();
        QVERIFY(!StoreDb.isOpen());
        CloseStoreDb();
    }

    void failureIsTold_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("database");
        QTest::newRow("empty address") << QString() << QStringLiteral("/tmp/x.db");
        QTest::newRow("no database")
            << QStringLiteral("127.0.0.1") << QStringLiteral("/no/such/folder/store.db");
    }
    void failureIsTold() {
        QFETCH(QString, address);
        QFETCH(QString, database);
        StationConfig.ServerIp = address;
        StationConfig.DbName = database;
        ModalAnswer escape = ModalAnswer::key(Qt::Key_Escape);
        QVERIFY(!CheckServerConnection());
        QCOMPARE(escape.texts(), QStringList{QStringLiteral("\r\n서버 연결 실패")});
        QVERIFY(!StoreDb.isOpen());
    }
};

QTEST_MAIN(TestCheckServer)
#include "tst_checkserver.moc"
