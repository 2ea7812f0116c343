// The ODBC layer's own promises, on PostgreSQL and SQLite: diagnostics,
// rows changed, whole column names, long values, read-only sets.

#include "components/odbc/odbc.h"
#include "support/odbc_fixture.h"

#include <QTest>

using odbcfixture::Backend;
using odbcfixture::MemberTable;

#define OPEN_CONNECTION(connection)                                                                \
    QFETCH(int, backend);                                                                          \
    MemberTable table{Backend(backend)};                                                           \
    if (table.unavailable())                                                                       \
        QSKIP(qPrintable(table.skipReason()));                                                     \
    QVERIFY2(table.ready(), qPrintable(table.skipReason()));                                       \
    OdbcConnection connection;                                                                     \
    connection.open(table.connectionString())

class TestOdbc : public QObject {
    Q_OBJECT
private:
    void backends() {
        QTest::addColumn<int>("backend");
        QTest::newRow("PostgreSQL") << int(Backend::PostgreSQL);
        QTest::newRow("SQLite") << int(Backend::SQLite);
    }

private Q_SLOTS:
    void initTestCase() {
        const QString why = odbcfixture::prepareProcess();
        QVERIFY2(why.isEmpty(), qPrintable(why));
    }

    void errorsCarrySqlState_data() { backends(); }
    void errorsCarrySqlState() {
        OPEN_CONNECTION(connection);
        try {
            connection.execute(QStringLiteral("SELEC 1"));
            QFAIL("a syntax error was taken");
        } catch (const OdbcError& error) {
            QCOMPARE(error.sqlState().size(), 5);
            QVERIFY(!error.message().isEmpty());
            QVERIFY(error.description().contains(QStringLiteral("(SQLSTATE ") + error.sqlState()));
            QVERIFY(!error.description().contains(u'\n'));
        }
        // The connection stays usable after a failed statement.
        QCOMPARE(connection.execute(QStringLiteral("UPDATE 회원관리 SET 회원명 = ? WHERE 1 = 0"),
                                    {QStringLiteral("x")}),
                 0);
    }

    void namesAndLongValuesComeBackWhole_data() { backends(); }
    void namesAndLongValuesComeBackWhole() {
        OPEN_CONNECTION(connection);
        OdbcRecordset set;
        set.open(connection, QStringLiteral("SELECT * FROM 회원관리"));
        QVERIFY(set.isEof());
        QCOMPARE(set.columnNames(),
                 QStringList({QStringLiteral("매장코드"), QStringLiteral("회원휴대폰번호"),
                              QStringLiteral("회원명"), QStringLiteral("회원주소"),
                              QStringLiteral("남여구분"), QStringLiteral("회원사진"),
                              QStringLiteral("가입구분")}));
        QVERIFY_THROWS_EXCEPTION(OdbcError, set.field(QStringLiteral("회원명")));

        // Longer than one read of the driver: the text is read in pieces.
        connection.execute(QStringLiteral("CREATE TABLE 긴글 (본문 text, 숫자 integer)"));
        QString text;
        for (int i = 0; i < 20000; ++i) {
            text += QChar(0xAC00 + (i * 7) % 11172);
            if (i % 100 == 0) {
                text += QStringLiteral("abc");
            }
        }
        QCOMPARE(connection.execute(QStringLiteral("INSERT INTO 긴글 (본문, 숫자) VALUES (?, ?)"),
                                    {text, 42}),
                 1);
        set.open(connection, QStringLiteral("SELECT 본문, 숫자 FROM 긴글"));
        QCOMPARE(set.field(QStringLiteral("본문")).text(), text);
        QCOMPARE(set.field(QStringLiteral("숫자")).text(), QStringLiteral("42"));
        QVERIFY_THROWS_EXCEPTION(OdbcError, set.field(QStringLiteral("본문")).bytes());
    }

    void readOnlySetsRefuseChanges_data() { backends(); }
    void readOnlySetsRefuseChanges() {
        OPEN_CONNECTION(connection);
        connection.execute(QStringLiteral("INSERT INTO 회원관리 (매장코드, 회원휴대폰번호) VALUES "
                                          "(?, ?)"),
                           {QStringLiteral("0001"), QStringLiteral("010-1")});
        OdbcRecordset set;
        set.open(connection, QStringLiteral("SELECT * FROM 회원관리"));
        QVERIFY(set.field(QStringLiteral("회원명")).isNull());
        QCOMPARE(set.field(QStringLiteral("회원명")).text(), QString());
        QVERIFY_THROWS_EXCEPTION(OdbcError,
                                 set.field(QStringLiteral("회원명")).setText(QStringLiteral("x")));
        QVERIFY_THROWS_EXCEPTION(OdbcError, set.addNew());
        QVERIFY_THROWS_EXCEPTION(OdbcError, set.update());
        set.close();
        set.close();
        QVERIFY(set.isEof());
    }

    void closedConnectionRefusesStatements() {
        OdbcConnection connection;
        connection.close();
        QVERIFY(!connection.isOpen());
        QVERIFY_THROWS_EXCEPTION(OdbcError, connection.execute(QStringLiteral("SELECT 1")));
        OdbcRecordset set;
        QVERIFY_THROWS_EXCEPTION(OdbcError, set.open(connection, QStringLiteral("SELECT 1")));
        QVERIFY_THROWS_EXCEPTION(OdbcError,
                                 connection.open(QStringLiteral("Driver={No Such Driver};")));
        QVERIFY(!connection.lastOpenError().isEmpty());
        connection.close();
    }
};

QTEST_GUILESS_MAIN(TestOdbc)
#include "tst_odbc.moc"
