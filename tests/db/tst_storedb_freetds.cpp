// OpenStoreDb through FreeTDS against loopback listeners that are no SQL
// Server: a refused port, a port that accepts and never answers, and one
// that trickles a byte every four seconds. Only 127.0.0.1 is ever contacted.

#include "db/storedb.h"
#include "support/odbc_fixture.h"
#include "support/trickleserver.h"
#include "util/programwide.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstring>

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

// Given up on, an attempt frees its handles once the driver returns.
bool abandonedOpensEnd(int milliseconds) {
    const QDeadlineTimer deadline(milliseconds);
    while (OdbcConnection::abandonedOpens() != 0 && !deadline.hasExpired()) {
        QTest::qWait(50);
    }
    return OdbcConnection::abandonedOpens() == 0;
}

const char kExitChild[] = "--exit-while-an-open-hangs";
const char kLookupChild[] = "--open-by-name";

// The child of stalledNameServerGivesUpWithinSevenSeconds, in a mount
// namespace whose /etc/resolv.conf names a server that never answers:
// opens by host name and tells how long it took.
int openByName(const char* host) {
    if (const QString why = odbcfixture::prepareProcess(); !why.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(why));
        return 2;
    }
    QElapsedTimer timer;
    timer.start();
    if (OpenStoreDb(StoreDb, QString::fromLatin1(host), QString(), QStringLiteral("store"),
                    QStringLiteral("sa"), QStringLiteral("secret"))) {
        return 3;
    }
    std::printf("failed after %lld ms: %s\n", static_cast<long long>(timer.elapsed()),
                qPrintable(StoreDb.lastOpenError()));
    std::fflush(stdout);
    return 0;
}

// A UDP socket on port 53 of some 127.0.0.x that takes questions and never
// answers; closed with the object.
class SilentNameServer {
public:
    SilentNameServer() {
        for (int last = 2; last < 40 && address_.isEmpty(); ++last) {
            const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_port = htons(53);
            address.sin_addr.s_addr = htonl((127u << 24) | unsigned(last));
            if (fd >= 0 &&
                ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) {
                fd_ = fd;
                address_ = QStringLiteral("127.0.0.%1").arg(last);
            } else if (fd >= 0) {
                ::close(fd);
            }
        }
    }
    ~SilentNameServer() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    SilentNameServer(const SilentNameServer&) = delete;
    SilentNameServer& operator=(const SilentNameServer&) = delete;

    QString address() const { return address_; }
    bool wasAsked() const {
        pollfd p{fd_, POLLIN, 0};
        return ::poll(&p, 1, 0) > 0;
    }

private:
    int fd_ = -1;
    QString address_;
};

// The child of exitWhileAnOpenIsAbandoned: an open given up on against a
// server that keeps trickling, then the process ends at once, the attempt
// still blocked in the driver.
int exitWhileAnOpenHangs() {
    if (const QString why = odbcfixture::prepareProcess(); !why.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(why));
        return 2;
    }
    // Still sending when the process ends.
    static TrickleServer* server = new TrickleServer;
    if (!server->ok() || openOnLoopback(server->port())) {
        return 3;
    }
    std::printf("abandoned %d\n", OdbcConnection::abandonedOpens());
    return OdbcConnection::beforeExit(0);
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

    // Settings values go in as one value each, in every field: none can add
    // a key that names a library or a file FreeTDS overwrites with its trace
    // (the connect writes it, no server needed), also through characters
    // the driver manager reads as ";" (U+AC3B: braced) or "}" (U+AC7D). A
    // "}" is refused before any attempt: FreeTDS ends a braced value there.
    void settingsValuesStayOneValue_data() {
        QTest::addColumn<int>("field"); // address, port, database, login, password
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("refused");
        const QStringList names{QStringLiteral("address"), QStringLiteral("port"),
                                QStringLiteral("database"), QStringLiteral("login"),
                                QStringLiteral("password")};
        for (int field = 0; field < names.size(); ++field) {
            QTest::addRow("%s: };", qPrintable(names[field]))
                << field << QStringLiteral("x};DumpFile=@DUMP@;APP=z") << true;
            QTest::addRow("%s: }};", qPrintable(names[field]))
                << field << QStringLiteral("x}};DumpFile=@DUMP@;DRIVER=@LIB@;") << true;
        }
        QTest::newRow("database: ;")
            << 2 << QStringLiteral("store;DRIVER=@LIB@;DumpFile=@DUMP@;") << false;
        QTest::newRow("database: {") << 2 << QStringLiteral("{store;DumpFile={@DUMP@") << false;
        QTest::newRow("login: = ;") << 3 << QStringLiteral("sa=1;DumpFile=@DUMP@;") << false;
        QTest::newRow("password: ; { =")
            << 4 << QStringLiteral("pw;{DumpFile=@DUMP@;{DRIVER=@LIB@") << false;
        QTest::newRow("database: read as ;")
            << 2 << QStringLiteral("store갻DumpFile=@DUMP@") << false;
        QTest::newRow("database: read as }")
            << 2 << QStringLiteral("store걽;DRIVER=@LIB@;DumpFile=@DUMP@;") << true;
    }
    void settingsValuesStayOneValue() {
        QFETCH(int, field);
        QFETCH(QString, value);
        QFETCH(bool, refused);
        QTemporaryDir folder;
        const QString library = folder.filePath(QStringLiteral("x.so"));
        const QString dump = folder.filePath(QStringLiteral("dump"));
        QVERIFY(QFile::copy(QStringLiteral(STATION_PLANTED_LIBRARY), library));
        value.replace(QStringLiteral("@DUMP@"), dump).replace(QStringLiteral("@LIB@"), library);
        LoopbackSocket closed(false);
        QVERIFY(closed.ok());
        QStringList values{QStringLiteral("127.0.0.1"), closed.port(), QStringLiteral("store"),
                           QStringLiteral("sa"), QStringLiteral("pw")};
        values[field] = field == 1 ? closed.port() + value : value;
        QCOMPARE(
            !StoreSettingsProblem(values[0], values[1], values[2], values[3], values[4]).isEmpty(),
            refused);
        QVERIFY(!OpenStoreDb(StoreDb, values[0], values[1], values[2], values[3], values[4]));
        QVERIFY2(!QFileInfo::exists(library + QStringLiteral(".loaded")),
                 qPrintable(StoreDb.lastOpenError()));
        QVERIFY2(!QFileInfo::exists(dump), qPrintable(StoreDb.connectionString()));
        // A refused value makes no attempt at all.
        QCOMPARE(StoreDb.connectionString().contains(dump), !refused);
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

    // A login timeout that only counts silence would let this server hold the
    // attempt for minutes; our own deadline ends it within 7 s, through the
    // same failure as any other, and the abandoned attempt cleans up after
    // itself once the server lets go.
    void tricklingServerGivesUpWithinSevenSeconds() {
        {
            TrickleServer server;
            QVERIFY(server.ok());
            QElapsedTimer timer;
            timer.start();
            QVERIFY(!openOnLoopback(server.port()));
            const qint64 ms = timer.elapsed();
            QVERIFY2(ms < 7000, qPrintable(QStringLiteral("%1 ms").arg(ms)));
            QVERIFY(!StoreDb.isOpen());
            QVERIFY2(StoreDb.lastOpenError().contains(QStringLiteral("HYT00")),
                     qPrintable(StoreDb.lastOpenError()));
            // It did talk: more than one byte, so silence never lasted 5 s.
            QVERIFY(server.bytesSent() >= 2);
            QCOMPARE(OdbcConnection::abandonedOpens(), 1);
        }
        QVERIFY(abandonedOpensEnd(30000));

        // The next attempt is unaffected: a refused port still fails at once.
        LoopbackSocket closed(false);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!openOnLoopback(closed.port()));
        QVERIFY2(timer.elapsed() < 4000, qPrintable(QString::number(timer.elapsed())));
    }

    // Ending the program while an abandoned attempt is still blocked in the
    // driver is an ordinary exit, not a crash.
    void exitWhileAnOpenIsAbandoned() {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kExitChild)});
        QVERIFY(child.waitForFinished(60000));
        const QByteArray output = child.readAllStandardOutput() + child.readAllStandardError();
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QVERIFY2(child.exitCode() == 0, output.constData());
        QVERIFY2(output.contains("abandoned 1"), output.constData());
    }

    // A host name whose name server never answers (a resolver that would
    // wait 30 s a try): the same deadline covers the lookup. The resolver
    // settings are replaced only inside a mount namespace of the child
    // process; nothing outside it sees them.
    void stalledNameServerGivesUpWithinSevenSeconds() {
        if (::geteuid() != 0) {
            QSKIP("needs root, for a mount namespace with resolver settings of the test's own");
        }
        SilentNameServer nameServer;
        if (nameServer.address().isEmpty()) {
            QSKIP("no free port 53 on 127.0.0.2 to 127.0.0.39");
        }
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString resolvConf = folder.filePath(QStringLiteral("resolv.conf"));
        {
            QFile file(resolvConf);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QStringLiteral("nameserver %1\noptions timeout:30 attempts:2\n")
                           .arg(nameServer.address())
                           .toLatin1());
        }
        QProcess child;
        child.start(
            QStringLiteral("unshare"),
            {QStringLiteral("-m"), QStringLiteral("--"), QStringLiteral("sh"), QStringLiteral("-c"),
             QStringLiteral("mount --bind \"$0\" /etc/resolv.conf && exec \"$1\" \"$2\" "
                            "\"$3\""),
             resolvConf, QCoreApplication::applicationFilePath(), QString::fromLatin1(kLookupChild),
             QStringLiteral("store.station-test.invalid")});
        QVERIFY(child.waitForFinished(60000));
        const QByteArray output = child.readAllStandardOutput() + child.readAllStandardError();
        if (output.contains("unshare:") || output.contains("mount:")) {
            QSKIP(qPrintable(QStringLiteral("no mount namespace here: ") +
                             QString::fromLocal8Bit(output)));
        }
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                 output.constData());
        const QRegularExpressionMatch took =
            QRegularExpression(QStringLiteral("failed after (\\d+) ms")).match(output);
        QVERIFY2(took.hasMatch(), output.constData());
        QVERIFY2(took.captured(1).toLongLong() < 7000, output.constData());
        QVERIFY2(output.contains("HYT00"), output.constData());
        QVERIFY(nameServer.wasAsked());
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

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], kExitChild) == 0) {
        return exitWhileAnOpenHangs();
    }
    if (argc == 3 && std::strcmp(argv[1], kLookupChild) == 0) {
        return openByName(argv[2]);
    }
    QCoreApplication app(argc, argv);
    TestStoreDbFreeTds test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_storedb_freetds.moc"
