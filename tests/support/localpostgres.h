#pragma once
// A PostgreSQL server of a test's own, on a free loopback port, that the test
// may stop and start again while the shared server of the test command keeps
// running for every other test. Set up as tests/support/postgres.sh does it:
// initdb as the system user "postgres" when running as root (initdb refuses
// root), trust authentication for the user "station", a database
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
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

class LocalPostgres {
public:
    enum class Logins { Trusted, Password };

    explicit LocalPostgres(Logins logins = Logins::Trusted) : m_logins(logins) {}
    ~LocalPostgres() {
        if (m_running) {
            run(m_bin + QStringLiteral("/pg_ctl"),
                {QStringLiteral("-D"), dataDir(), QStringLiteral("-m"), QStringLiteral("immediate"),
                 QStringLiteral("-w"), QStringLiteral("stop")},
                true);
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
        const QString options = QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 "
                                               "-c fsync=off")
                                    .arg(m_port)
                                    .arg(m_folder->path());
        if (!run(m_bin + QStringLiteral("/pg_ctl"),
                 {QStringLiteral("-D"), dataDir(), QStringLiteral("-l"), logFile(),
                  QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("120"),
                  QStringLiteral("-o"), options, QStringLiteral("start")},
                 true)) {
            m_error += QStringLiteral("\n") + serverLog();
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
        if (!run(m_bin + QStringLiteral("/pg_ctl"),
                 {QStringLiteral("-D"), dataDir(), QStringLiteral("-m"), QStringLiteral("fast"),
                  QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("120"),
                  QStringLiteral("stop")},
                 true)) {
            return false;
        }
        m_running = false;
        return true;
    }

    // Runs SQL as the superuser through the server's own socket, stopping at
    // the first error; `output` gets what it printed, unaligned.
    bool psql(const QString& database, const QString& sql, QString* output = nullptr) {
        return run(m_bin + QStringLiteral("/psql"),
                   {QStringLiteral("-h"), m_folder->path(), QStringLiteral("-p"),
                    QString::number(m_port), QStringLiteral("-U"), QStringLiteral("station"),
                    QStringLiteral("-d"), database, QStringLiteral("-v"),
                    QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-qAtc"), sql},
                   false, output);
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
    bool create() {
        for (const QString& version :
             QDir(QStringLiteral("/usr/lib/postgresql"))
                 .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed)) {
            const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(version);
            if (QFileInfo(bin + QStringLiteral("/initdb")).isExecutable()) {
                m_bin = bin;
                break;
            }
        }
        if (m_bin.isEmpty()) {
            return unavailableBecause(QStringLiteral(
                "PostgreSQL server binaries not found under /usr/lib/postgresql/*/bin "
                "(package postgresql): this test stops a server of its own"));
        }
        if (geteuid() == 0) {
            const passwd* owner = getpwnam("postgres");
            if (owner == nullptr) {
                return unavailableBecause(
                    QStringLiteral("running as root, but there is no system user \"postgres\" "
                                   "to run the test's own PostgreSQL server"));
            }
            m_asPostgres = true;
            m_uid = owner->pw_uid;
            m_gid = owner->pw_gid;
        }
        m_port = freePort();
        if (m_port == 0) {
            return failBecause(QStringLiteral("no free loopback port"));
        }
        auto folder = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                      QStringLiteral("/station-own-pg.XXXXXX"));
        if (!folder->isValid()) {
            return failBecause(QStringLiteral("no temporary folder for the server"));
        }
        m_folder = std::move(folder);
        QFile::setPermissions(m_folder->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                    QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                                    QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                                    QFileDevice::ExeOther);
        if (m_asPostgres &&
            chown(QFile::encodeName(m_folder->path()).constData(), m_uid, m_gid) != 0) {
            return failBecause(QStringLiteral("cannot hand %1 to postgres").arg(m_folder->path()));
        }
        QStringList initdb{QStringLiteral("-D"),
                           dataDir(),
                           QStringLiteral("-U"),
                           QStringLiteral("station"),
                           QStringLiteral("-E"),
                           QStringLiteral("UTF8"),
                           QStringLiteral("--locale=C.UTF-8")};
        if (m_logins == Logins::Trusted) {
            initdb << QStringLiteral("--auth=trust");
        } else {
            const QString pwfile = m_folder->filePath(QStringLiteral("pw"));
            QFile pw(pwfile);
            if (!pw.open(QIODevice::WriteOnly) || pw.write("admin-secret\n") < 0) {
                return failBecause(QStringLiteral("cannot write the password file"));
            }
            pw.close();
            if (m_asPostgres && chown(QFile::encodeName(pwfile).constData(), m_uid, m_gid) != 0) {
                return failBecause(QStringLiteral("cannot hand the password file to postgres"));
            }
            initdb << QStringLiteral("--pwfile=") + pwfile << QStringLiteral("--auth-local=trust")
                   << QStringLiteral("--auth-host=scram-sha-256");
        }
        return run(m_bin + QStringLiteral("/initdb"), initdb, true);
    }

    bool run(const QString& program, QStringList arguments, bool asServerOwner,
             QString* output = nullptr) {
        QString command = program;
        if (asServerOwner && m_asPostgres) {
            arguments = QStringList{QStringLiteral("-u"), QStringLiteral("postgres"),
                                    QStringLiteral("--"), program} +
                        arguments;
            command = QStringLiteral("runuser");
        }
        QProcess process;
        if (output == nullptr) {
            process.setProcessChannelMode(QProcess::MergedChannels);
        }
        process.start(command, arguments);
        if (!process.waitForFinished(180000)) {
            process.kill();
            process.waitForFinished();
            return failBecause(QStringLiteral("%1 did not finish").arg(program));
        }
        if (output != nullptr) {
            *output = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
        }
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
            return failBecause(
                QStringLiteral("%1 failed: %2")
                    .arg(program, QString::fromLocal8Bit(process.readAllStandardError() +
                                                         process.readAll())));
        }
        return true;
    }

    bool failBecause(const QString& why) {
        m_error = why;
        return false;
    }
    bool unavailableBecause(const QString& why) {
        m_unavailable = true;
        return failBecause(why);
    }

    QString dataDir() const { return m_folder->filePath(QStringLiteral("data")); }
    QString logFile() const { return m_folder->filePath(QStringLiteral("server.log")); }
    QString serverLog() const {
        QFile log(logFile());
        return log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll()) : QString();
    }

    Logins m_logins = Logins::Trusted;
    QString m_bin;
    bool m_asPostgres = false;
    uid_t m_uid = 0;
    gid_t m_gid = 0;
    quint16 m_port = 0;
    std::unique_ptr<QTemporaryDir> m_folder;
    bool m_running = false;
    bool m_databaseMade = false;
    bool m_unavailable = false;
    QString m_error;
};
