#pragma once
// A PostgreSQL server of a test's own, on a free loopback port, that the test
// may stop and start again while the shared server of the test command keeps
// running for every other test. tests/support/postgres.sh makes, starts and
// stops it (as every test's server): the superuser "station", a database
// "station_test", fsync off.
//
//   LocalPostgres server;
//   if (!server.start()) {
//       if (server.unavailable()) QSKIP(qPrintable(server.error()));
//       QFAIL(qPrintable(server.error()));
//   }
//   odbcfixture::MemberTable table(Backend::PostgreSQL, server.connectionString());
//   QVERIFY(server.stop());    // as an administrator stops it: clients cut off
//   QVERIFY(server.start());   // the same data on the same port
//
// LocalPostgres server(LocalPostgres::Logins::Password) checks passwords over
// TCP (scram-sha-256) as a store server checks its logins; the superuser
// "station" (password "admin-secret") stays trusted on the server's own
// socket, which psql() uses to set up roles and tables.
//
// The destructor stops the server and removes its data folder.

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

class LocalPostgres {
public:
    enum class Logins { Trusted, Password };

    explicit LocalPostgres(Logins logins = Logins::Trusted) : m_logins(logins) {}
    ~LocalPostgres() {
        if (m_running) {
            launcher({QStringLiteral("stop"), m_folder->path()});
        }
    }
    LocalPostgres(const LocalPostgres&) = delete;
    LocalPostgres& operator=(const LocalPostgres&) = delete;

    // The first call makes the cluster and the database; later calls start
    // the stopped server again on the same port.
    bool start() {
        if (m_running) {
            return true;
        }
        if (!m_folder && !create()) {
            return false;
        }
        if (!launcher({QStringLiteral("start"), m_folder->path(), QStringLiteral("--port"),
                       QString::number(m_port)})) {
            return false;
        }
        m_running = true;
        if (!m_databaseMade) {
            if (!psql(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE station_test"))) {
                return false;
            }
            m_databaseMade = true;
        }
        return true;
    }

    // A fast shutdown: connected clients are told the server is going down
    // and are cut off; what was committed stays.
    bool stop() {
        if (!m_running) {
            return true;
        }
        if (!launcher({QStringLiteral("stop"), m_folder->path(), QStringLiteral("--fast")})) {
            return false;
        }
        m_running = false;
        return true;
    }

    // Runs SQL as the superuser through the server's own socket, stopping at
    // the first error; `output` gets what it printed, unaligned.
    bool psql(const QString& database, const QString& sql, QString* output = nullptr) {
        return run(m_psql,
                   {QStringLiteral("-h"), m_folder->path(), QStringLiteral("-p"),
                    QString::number(m_port), QStringLiteral("-U"), QStringLiteral("station"),
                    QStringLiteral("-d"), database, QStringLiteral("-v"),
                    QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-qAtc"), sql},
                   output);
    }

    quint16 port() const { return m_port; }

    // A port that nothing listens on right now (the kernel's choice).
    static quint16 freePort() {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        if (fd < 0) {
            return 0;
        }
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        socklen_t length = sizeof(address);
        quint16 port = 0;
        if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
            getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port = ntohs(address.sin_port);
        }
        close(fd);
        return port;
    }
    bool running() const { return m_running; }
    // The server cannot run here at all (no binaries, no postgres user):
    // a reason to skip, not a failure.
    bool unavailable() const { return m_unavailable; }
    QString error() const { return m_error; }

    QString connectionString() const {
        return QStringLiteral("Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=%1;"
                              "Database=station_test;UID=station;PWD=;ByteaAsLongVarBinary=1;")
            .arg(m_port);
    }

private:
    // Exit status of postgres.sh when no server can run here.
    static constexpr int Unavailable = 77;

    bool create() {
        m_port = freePort();
        if (m_port == 0) {
            return failBecause(QStringLiteral("no free loopback port"));
        }
        auto folder = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                      QStringLiteral("/station-own-pg.XXXXXX"));
        if (!folder->isValid()) {
            return failBecause(QStringLiteral("no temporary folder for the server"));
        }
        QStringList init{QStringLiteral("init"), folder->path()};
        if (m_logins == Logins::Password) {
            init << QStringLiteral("--password") << QStringLiteral("admin-secret");
        }
        if (!launcher(init)) {
            return false;
        }
        m_folder = std::move(folder);
        for (const QString& version :
             QDir(QStringLiteral("/usr/lib/postgresql"))
                 .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed)) {
            const QString psql = QStringLiteral("/usr/lib/postgresql/%1/bin/psql").arg(version);
            if (QFileInfo(psql).isExecutable()) {
                m_psql = psql;
                break;
            }
        }
        return !m_psql.isEmpty() || failBecause(QStringLiteral("psql not found"));
    }

    bool launcher(const QStringList& arguments) {
        return run(QStringLiteral("bash"),
                   QStringList{QStringLiteral(STATION_PG_LAUNCHER)} + arguments);
    }

    bool run(const QString& program, const QStringList& arguments, QString* output = nullptr) {
        QProcess process;
        if (output == nullptr) {
            process.setProcessChannelMode(QProcess::MergedChannels);
        }
        process.start(program, arguments);
        if (!process.waitForFinished(300000)) {
            process.kill();
            process.waitForFinished();
            return failBecause(
                QStringLiteral("%1 %2 did not finish").arg(program, arguments.join(u' ')));
        }
        if (output != nullptr) {
            *output = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
        }
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
            m_unavailable =
                process.exitStatus() == QProcess::NormalExit && process.exitCode() == Unavailable;
            return failBecause(QStringLiteral("%1 %2 failed: %3")
                                   .arg(program, arguments.join(u' '),
                                        QString::fromLocal8Bit(process.readAllStandardError() +
                                                               process.readAll())));
        }
        return true;
    }

    bool failBecause(const QString& why) {
        m_error = why;
        return false;
    }

    Logins m_logins = Logins::Trusted;
    QString m_psql;
    quint16 m_port = 0;
    std::unique_ptr<QTemporaryDir> m_folder;
    bool m_running = false;
    bool m_databaseMade = false;
    bool m_unavailable = false;
    QString m_error;
};
