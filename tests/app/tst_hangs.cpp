// The station when the store server stops answering instead of failing: a
// member table locked by another session (a psql of the test's own on a
// PostgreSQL server of the test's own), and a server that trickles a byte
// every few seconds during the login. The screen waits a bounded time, takes
// the ordinary error path, stays usable, and no row is half-written.

#include "support/entrydriver.h"
#include "support/stationfixture.h"

#include "db/storedb.h"
#include "support/localpostgres.h"
#include "support/trickleserver.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QStandardPaths>

using namespace stationtest;

namespace {

const QString kOld = QStringLiteral("010-3333-4444");

// What a statement may take before it gives up, plus room for a loaded
// machine.
constexpr qint64 kStatementBoundMs = (StoreQueryTimeoutSeconds + 10) * 1000;

// Another session that holds the member table locked (ACCESS EXCLUSIVE: no
// reads, no writes) until release() or the end of the object.
class TableLock {
public:
    explicit TableLock(const QString& connectionString) {
        const QRegularExpressionMatch port =
            QRegularExpression(QStringLiteral("Port=(\\d+)")).match(connectionString);
        const QString psql = psqlProgram();
        if (psql.isEmpty() || !port.hasMatch()) {
            error_ = QStringLiteral("no psql, or no port in %1").arg(connectionString);
            return;
        }
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(psql, {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-A"),
                              QStringLiteral("-t"), QStringLiteral("-h"),
                              QStringLiteral("127.0.0.1"), QStringLiteral("-p"), port.captured(1),
                              QStringLiteral("-U"), QStringLiteral("station"), QStringLiteral("-d"),
                              QStringLiteral("station_test")});
        // The table lives in a schema of the test's own: lock it wherever it is.
        process_.write(
            "BEGIN;\n"
            "DO $$ DECLARE s text; BEGIN "
            "SELECT schemaname INTO s FROM pg_tables WHERE tablename = '회원관리'; "
            "EXECUTE format('LOCK TABLE %I.회원관리 IN ACCESS EXCLUSIVE MODE', s); END $$;\n"
            "SELECT 'locked';\n");
        const QDeadlineTimer deadline(30000);
        while (!output_.contains("locked") && !deadline.hasExpired() &&
               process_.state() != QProcess::NotRunning) {
            process_.waitForReadyRead(100);
            output_ += process_.readAll();
        }
        locked_ = output_.contains("locked");
        if (!locked_) {
            error_ = QStringLiteral("psql did not lock the table: ") + QString::fromUtf8(output_);
        }
    }
    ~TableLock() { release(); }
    TableLock(const TableLock&) = delete;
    TableLock& operator=(const TableLock&) = delete;

    bool locked() const { return locked_; }
    QString error() const { return error_; }

    void release() {
        if (process_.state() == QProcess::NotRunning) {
            return;
        }
        process_.write("ROLLBACK;\n");
        process_.closeWriteChannel();
        if (!process_.waitForFinished(30000)) {
            process_.kill();
            process_.waitForFinished();
        }
        locked_ = false;
    }

private:
    static QString psqlProgram() {
        const QStringList versions =
            QDir(QStringLiteral("/usr/lib/postgresql"))
                .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed);
        for (const QString& version : versions) {
            const QString psql = QStringLiteral("/usr/lib/postgresql/%1/bin/psql").arg(version);
            if (QFileInfo(psql).isExecutable()) {
                return psql;
            }
        }
        return QStandardPaths::findExecutable(QStringLiteral("psql"));
    }

    QProcess process_;
    QByteArray output_;
    bool locked_ = false;
    QString error_;
};

} // namespace

class TestHangs : public QObject {
    Q_OBJECT

    std::unique_ptr<LocalPostgres> m_server;
    std::unique_ptr<Station> m_station;

    Station& station() { return *m_station; }

    // The station started on the test's own server, with the member who was
    // registered earlier. False when the test is to end here.
    bool startStation() {
        m_server = std::make_unique<LocalPostgres>();
        if (!m_server->start()) {
            if (m_server->unavailable()) {
                QTest::qSkip(qPrintable(m_server->error()), __FILE__, __LINE__);
            } else {
                QTest::qFail(qPrintable(m_server->error()), __FILE__, __LINE__);
            }
            return false;
        }
        m_station = std::make_unique<Station>(odbcfixture::Backend::PostgreSQL,
                                              m_server->connectionString());
        if (!station().ready()) {
            QTest::qFail(qPrintable(station().skipReason()), __FILE__, __LINE__);
            return false;
        }
        station().prepare();
        if (QTest::currentTestFailed()) {
            return false;
        }
        station().insertMember(kStore, kOld, QStringLiteral("옛이름"), QStringLiteral("옛주소"),
                               QStringLiteral("남"), jpeg(Qt::yellow));
        station().startAndShow();
        return !QTest::currentTestFailed();
    }

private Q_SLOTS:
    void initTestCase() {
        if (const QString why = prepareStationProcess(); !why.isEmpty()) {
            QSKIP(qPrintable(why));
        }
    }

    void cleanup() {
        m_station.reset();
        m_server.reset();
        QCOMPARE(ModalAnswer::leftoverWindows(), QStringList());
        QVERIFY(QTest::qWaitFor([] { return OdbcConnection::abandonedOpens() == 0; }, 30000));
    }

    // A lookup on a locked table gives up: the lookup's error is shown, the
    // fields keep what was typed, and the next lookup, once the lock has
    // gone, finds the member.
    void lookupOnALockedTable() {
        if (!startStation()) {
            return;
        }
        EntryDriver entry(station());
        entry.name->setText(QStringLiteral("입력중"));
        TableLock lock(m_server->connectionString());
        QVERIFY2(lock.locked(), qPrintable(lock.error()));

        ModalAnswer messages = ModalAnswer::key(Qt::Key_Escape, ModalAnswer::Every);
        QElapsedTimer timer;
        timer.start();
        entry.lookUp(QStringLiteral("33334444"));
        const qint64 ms = timer.elapsed();
        QVERIFY2(ms < kStatementBoundMs, qPrintable(QStringLiteral("%1 ms").arg(ms)));
        QCOMPARE(messages.count(), 1);
        QVERIFY2(messages.text().startsWith(box(QStringLiteral("사원정보표시_PROC\r\n\r\n"))),
                 qPrintable(messages.text()));
        QCOMPARE(entry.name->text(), QStringLiteral("입력중"));
        QVERIFY(!station().screen()->ended());
        station().reactivate();

        lock.release();
        entry.lookUp(QStringLiteral("33334444"));
        QCOMPARE(entry.name->text(), QStringLiteral("옛이름"));
        QCOMPARE(messages.count(), 1);
    }

    // The table locked while the overwrite question is open: the update
    // gives up, the save's error is shown and logged, the stored row is
    // exactly as it was, the photo waits in its folder, and the next save,
    // once the lock has gone, stores everything.
    void overwriteOnALockedTable() {
        if (!startStation()) {
            return;
        }
        const std::optional<MemberRow> before = station().member(kOld);
        QVERIFY(before.has_value());
        EntryDriver entry(station());
        entry.lookUp(QStringLiteral("33334444"));
        const QByteArray photo = jpeg(Qt::darkCyan);
        const QString taken = station().capturedPhoto(QStringLiteral("3333-4444"));
        QVERIFY(writeFile(taken, photo));
        entry.name->setText(QStringLiteral("새이름"));
        entry.address->setText(QStringLiteral("새주소"));

        std::unique_ptr<TableLock> lock;
        QElapsedTimer timer;
        const QStringList boxes = entry.confirm([&](QWidget* w) {
            lock = std::make_unique<TableLock>(m_server->connectionString());
            timer.start();
            QTest::keyClick(w, Qt::Key_Return);
        });
        const qint64 ms = timer.elapsed();
        QVERIFY2(lock && lock->locked(), lock ? qPrintable(lock->error()) : "no lock");
        QVERIFY2(ms < kStatementBoundMs, qPrintable(QStringLiteral("%1 ms").arg(ms)));
        QCOMPARE(boxes.size(), 2);
        QVERIFY2(boxes.at(1).startsWith(box(QStringLiteral("버튼확인_MouseUp\r\n\r\n"))),
                 qPrintable(boxes.at(1)));
        const QStringList log = station().errorLog();
        QCOMPARE(log.size(), 1);
        QVERIFY(log.first().startsWith(QStringLiteral("버튼확인_MouseUp  ")));
        QVERIFY(!station().screen()->ended());
        QCOMPARE(entry.name->text(), QStringLiteral("새이름"));
        QCOMPARE(readFile(taken), photo);

        lock->release();
        QCOMPARE(station().member(kOld), before);
        QCOMPARE(station().memberCount(), 1);

        entry.confirm([](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); });
        const std::optional<MemberRow> after = station().member(kOld);
        QVERIFY(after.has_value());
        QCOMPARE(after->name, QStringLiteral("새이름"));
        QCOMPARE(after->address, QStringLiteral("새주소"));
        QCOMPARE(after->photo, photo);
        QVERIFY(!QFileInfo::exists(taken));
    }

    // A store server that answers a byte every four seconds and never ends
    // the login: the lookup's connection check gives up within 7 s with
    // "서버 연결 실패", and the screen goes on with the real server.
    void lookupAgainstATricklingServer() {
        if (!startStation()) {
            return;
        }
        EntryDriver entry(station());
        TrickleServer trickler;
        QVERIFY(trickler.ok());
        const QString table = StoreDb.redirection();
        StoreDb.redirect(QStringLiteral("DRIVER={FreeTDS};SERVER=127.0.0.1,%1;DATABASE=store;"
                                        "UID=sa;PWD=secret;")
                             .arg(trickler.port()) +
                         StoreDriverSettings());
        ModalAnswer messages = ModalAnswer::key(Qt::Key_Escape, ModalAnswer::Every);
        QElapsedTimer timer;
        timer.start();
        entry.lookUp(QStringLiteral("33334444"));
        const qint64 ms = timer.elapsed();
        QVERIFY2(ms < 7000, qPrintable(QStringLiteral("%1 ms").arg(ms)));
        QCOMPARE(messages.texts(), QStringList{box(QStringLiteral("서버 연결 실패"))});
        QVERIFY(!station().screen()->ended());
        station().reactivate();

        StoreDb.redirect(table);
        entry.lookUp(QStringLiteral("33334444"));
        QCOMPARE(entry.name->text(), QStringLiteral("옛이름"));
    }
};

QTEST_MAIN(TestHangs)
#include "tst_hangs.moc"
