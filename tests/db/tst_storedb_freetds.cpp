// OpenStoreDb through FreeTDS against loopback listeners that are no SQL
// Server: a refused port, and a port that accepts and never answers. Only
// 127.0.0.1 is ever contacted.

#include "db/storedb.h"
#include "support/odbc_fixture.h"
#include "util/programwide.h"

#include <QElapsedTimer>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A TCP socket bound to 127.0.0.1 on a free port; listening when asked.
// Closed with the object.
class LoopbackSocket {
public:
    explicit LoopbackSocket(bool listening) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        socklen_t length = sizeof(address);
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
            (listening && ::listen(fd_, 8) != 0)) {
            return;
        }
        port_ = ntohs(address.sin_port);
    }
    ~LoopbackSocket() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    LoopbackSocket(const LoopbackSocket&) = delete;
    LoopbackSocket& operator=(const LoopbackSocket&) = delete;

    QString port() const { return QString::number(port_); }
    bool ok() const { return port_ != 0; }
    bool hasPendingConnection() const {
        pollfd p{fd_, POLLIN, 0};
        return ::poll(&p, 1, 0) > 0;
    }

private:
    int fd_ = -1;
    quint16 port_ = 0;
};

bool openOnLoopback(const QString& port) {
    return OpenStoreDb(StoreDb, QStringLiteral("127.0.0.1"), port, QStringLiteral("store"),
                       QStringLiteral("sa"), QStringLiteral("secret"));
}

} // namespace

class TestStoreDbFreeTds : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        const QString why = odbcfixture::prepareProcess();
        QVERIFY2(why.isEmpty(), qPrintable(why));
    }

    void cleanup() { CloseStoreDb(); }

    void refusedPortFailsAtOnce() {
        QString port;
        {
            // Bound but not listening: a connect is refused.
            LoopbackSocket closed(false);
            QVERIFY(closed.ok());
            port = closed.port();
            QElapsedTimer timer;
            timer.start();
            QVERIFY(!openOnLoopback(port));
            QVERIFY2(timer.elapsed() < 4000, qPrintable(QString::number(timer.elapsed())));
        }
        QVERIFY(!StoreDb.isOpen());
        QVERIFY2(StoreDb.lastOpenError().contains(QStringLiteral("SQLSTATE 08")),
                 qPrintable(StoreDb.lastOpenError()));
    }

    void silentServerTimesOutAfterFiveSeconds() {
        LoopbackSocket silent(true);
        QVERIFY(silent.ok());
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!openOnLoopback(silent.port()));
        const qint64 ms = timer.elapsed();
        // The 5-second login timeout holds: not at once, and not minutes.
        QVERIFY2(ms >= 4500 && ms < 30000, qPrintable(QStringLiteral("%1 ms").arg(ms)));
        QVERIFY(!StoreDb.isOpen());
    }

    void emptyAddressMakesNoAttempt() {
        LoopbackSocket listener(true);
        QVERIFY(listener.ok());
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!OpenStoreDb(StoreDb, QString(), listener.port(), QStringLiteral("store"),
                             QStringLiteral("sa"), QString()));
        QVERIFY(timer.elapsed() < 1000);
        QVERIFY(!StoreDb.isOpen());
        QVERIFY(StoreDb.connectionString().isEmpty() ||
                !StoreDb.connectionString().contains(listener.port()));
        QVERIFY(!listener.hasPendingConnection());
    }
};

QTEST_GUILESS_MAIN(TestStoreDbFreeTds)
#include "tst_storedb_freetds.moc"
