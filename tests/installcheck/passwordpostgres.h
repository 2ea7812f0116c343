#pragma once
// A PostgreSQL server of the test's own that checks passwords over TCP
// (scram-sha-256 on 127.0.0.1) as a store server checks its logins, on a free
// loopback port. The test sets it up through psql on the server's Unix
// socket, where the superuser "station" needs no password. As root the
// server runs as the system user "postgres" (initdb refuses root). The
// destructor stops it and removes its folder.

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

class PasswordPostgres {
public:
    PasswordPostgres() = default;
    ~PasswordPostgres() {
        if (m_running) {
            run(m_bin + QStringLiteral("/pg_ctl"),
                {QStringLiteral("-D"), dataDir(), QStringLiteral("-m"), QStringLiteral("immediate"),
                 QStringLiteral("-w"), QStringLiteral("stop")},
                true);
        }
    }
    PasswordPostgres(const PasswordPostgres&) = delete;
    PasswordPostgres& operator=(const PasswordPostgres&) = delete;

    bool start() {
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
            m_unavailable = true;
            return fail(
                QStringLiteral("PostgreSQL server binaries not found (package postgresql)"));
        }
        if (geteuid() == 0) {
            const passwd* owner = getpwnam("postgres");
            if (owner == nullptr) {
                m_unavailable = true;
                return fail(QStringLiteral("running as root without a system user \"postgres\""));
            }
            m_owner = *owner;
            m_asPostgres = true;
        }
        m_port = freePort();
        m_folder = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                   QStringLiteral("/station-check-pg.XXXXXX"));
        if (m_port == 0 || !m_folder->isValid()) {
            return fail(QStringLiteral("no free port or temporary folder"));
        }
        QFile::setPermissions(m_folder->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                    QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                    QFileDevice::ExeOther);
        const QString pwfile = m_folder->filePath(QStringLiteral("pw"));
        QFile pw(pwfile);
        if (!pw.open(QIODevice::WriteOnly) || pw.write("admin-secret\n") < 0) {
            return fail(QStringLiteral("cannot write the password file"));
        }
        pw.close();
        if (m_asPostgres &&
            (chown(QFile::encodeName(m_folder->path()).constData(), m_owner.pw_uid,
                   m_owner.pw_gid) != 0 ||
             chown(QFile::encodeName(pwfile).constData(), m_owner.pw_uid, m_owner.pw_gid) != 0)) {
            return fail(QStringLiteral("cannot hand the folder to postgres"));
        }
        if (!run(m_bin + QStringLiteral("/initdb"),
                 {QStringLiteral("-D"), dataDir(), QStringLiteral("-U"), QStringLiteral("station"),
                  QStringLiteral("--pwfile=") + pwfile, QStringLiteral("--auth-local=trust"),
                  QStringLiteral("--auth-host=scram-sha-256"), QStringLiteral("-E"),
                  QStringLiteral("UTF8"), QStringLiteral("--locale=C.UTF-8")},
                 true)) {
            return false;
        }
        const QString options = QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 "
                                               "-c fsync=off")
                                    .arg(m_port)
                                    .arg(m_folder->path());
        if (!run(m_bin + QStringLiteral("/pg_ctl"),
                 {QStringLiteral("-D"), dataDir(), QStringLiteral("-l"),
                  m_folder->filePath(QStringLiteral("server.log")), QStringLiteral("-w"),
                  QStringLiteral("-t"), QStringLiteral("120"), QStringLiteral("-o"), options,
                  QStringLiteral("start")},
                 true)) {
            return false;
        }
        m_running = true;
        return true;
    }

    // Runs SQL as the superuser in `database`, stopping at the first error.
    bool psql(const QString& database, const QString& sql, QString* output = nullptr) {
        const bool ok = run(
            m_bin + QStringLiteral("/psql"),
            {QStringLiteral("-h"), m_folder->path(), QStringLiteral("-p"), QString::number(m_port),
             QStringLiteral("-U"), QStringLiteral("station"), QStringLiteral("-d"), database,
             QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-qAtc"), sql},
            false);
        if (output != nullptr) {
            *output = m_output;
        }
        return ok;
    }

    quint16 port() const { return m_port; }
    bool unavailable() const { return m_unavailable; }
    QString error() const { return m_error; }

    // A port that nothing listens on right now.
    static quint16 freePort() {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        if (fd < 0) {
            return 0;
        }
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        quint16 port = 0;
        if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
            getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port = ntohs(address.sin_port);
        }
        close(fd);
        return port;
    }

private:
    bool run(const QString& program, QStringList arguments, bool asOwner) {
        QString command = program;
        if (asOwner && m_asPostgres) {
            arguments = QStringList{QStringLiteral("-u"), QStringLiteral("postgres"),
                                    QStringLiteral("--"), program} +
                        arguments;
            command = QStringLiteral("runuser");
        }
        QProcess process;
        process.start(command, arguments);
        if (!process.waitForFinished(180000)) {
            process.kill();
            process.waitForFinished();
            return fail(QStringLiteral("%1 did not finish").arg(program));
        }
        m_output = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
            return fail(QStringLiteral("%1 failed: %2")
                            .arg(program, QString::fromUtf8(process.readAllStandardError())));
        }
        return true;
    }

    bool fail(const QString& why) {
        m_error = why;
        return false;
    }

    QString dataDir() const { return m_folder->filePath(QStringLiteral("data")); }

    QString m_bin;
    bool m_asPostgres = false;
    passwd m_owner{};
    quint16 m_port = 0;
    std::unique_ptr<QTemporaryDir> m_folder;
    bool m_running = false;
    bool m_unavailable = false;
    QString m_error;
    QString m_output;
};
