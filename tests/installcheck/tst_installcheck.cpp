// The installer's check run as installers run it: the program copied into a
// program folder and started there, against real faults: settings files, an
// ODBC registration, a store server refusing, silent or asking for a
// password, member tables and grants, a second Unix account.

#include "config/settingsfile.h"
#include "support/localpostgres.h"
#include "support/odbc_fixture.h"
#include "util/programwide.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

const QString Operator = QStringLiteral("stf-op1");
// Connection-string syntax in the password: it must reach the server whole.
const QString OpPassword = QStringLiteral("op;{se=cret{");

struct CheckRun {
    int exitCode = -1;
    QString text;
    QJsonObject json;

    QJsonObject line(const QString& id) const {
        for (const QJsonValue& v : json.value(QStringLiteral("checks")).toArray()) {
            if (v.toObject().value(QStringLiteral("id")).toString() == id) {
                return v.toObject();
            }
        }
        return {};
    }
    QString verdict(const QString& id) const {
        return line(id).value(QStringLiteral("verdict")).toString();
    }
    QString reason(const QString& id) const {
        return line(id).value(QStringLiteral("reason")).toString();
    }
    QString describe() const { return QString::fromUtf8(QJsonDocument(json).toJson()) + text; }
};

bool runCommand(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// A program folder as the package makes it, with the check copied in, and
// the driver registrations of one run.
class Installation {
public:
    Installation() {
        QFile::setPermissions(m_folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                   QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                   QFileDevice::ExeOther | QFileDevice::ReadGroup |
                                                   QFileDevice::ExeGroup);
        QFile::setPermissions(m_odbc.path(), QFile::permissions(m_folder.path()));
        QFile::copy(QStringLiteral(STATION_CHECK_PROGRAM), program());
    }

    QString path(const QString& name) const { return QDir(m_folder.path()).filePath(name); }
    QString folder() const { return m_folder.path(); }
    QString program() const { return path(QStringLiteral("station-check")); }

    bool writeSettings(const StationSettings& s) const {
        QString error;
        return WriteSettingsFile(path(SettingsFileName),
                                 {s.StoreCode, s.ServerIp, s.ServerPort, s.DbKind, s.DbName,
                                  s.LoginId, s.LoginPassword, s.PosId, QStringLiteral("123")},
                                 &error);
    }
    bool writeFile(const QString& name, const QByteArray& bytes) const {
        QFile file(path(name));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
    bool writeDoorFile() const { return writeFile(QStringLiteral("출입문설정.CFG"), {}); }

    // "SQL Server" is the driver library `driver` for this run.
    void registerSqlServer(const QString& driver) const {
        QFile ini(QDir(m_odbc.path()).filePath(QStringLiteral("odbcinst.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(QStringLiteral("[ODBC]\nPooling = No\n\n[SQL Server]\nDriver = %1\n")
                      .arg(driver)
                      .toUtf8());
        QFile odbcIni(QDir(m_odbc.path()).filePath(QStringLiteral("odbc.ini")));
        QVERIFY(odbcIni.open(QIODevice::WriteOnly));
    }

    // Starts the program in its folder (from another working folder), as
    // `user` when given; or `elsewhere`, a check of another folder, with
    // this folder as its argument.
    CheckRun run(const QStringList& environment = {}, const QString& user = {},
                 const QString& elsewhere = {}) const {
        QStringList command{QStringLiteral("env"), QStringLiteral("ODBCSYSINI=") + m_odbc.path(),
                            QStringLiteral("LC_ALL=C.UTF-8")};
        // In the sanitizer build the check's leak report at exit names
        // allocations of ODBC drivers and their libraries by addresses that
        // are no longer mapped (the driver manager has unloaded them), so no
        // suppression can match them and the exit status turns at random.
        // The station's own code is leak-checked by the in-process tests.
        if (const QByteArray asan = qgetenv("ASAN_OPTIONS"); !asan.isEmpty()) {
            command << QStringLiteral("ASAN_OPTIONS=%1:detect_leaks=0")
                           .arg(QString::fromLocal8Bit(asan));
        }
        command += environment;
        command << (elsewhere.isEmpty() ? QStringList{program()}
                                        : QStringList{elsewhere, folder()});
        if (!user.isEmpty()) {
            command = QStringList{QStringLiteral("-u"), user, QStringLiteral("--")} + command;
        }
        CheckRun result;
        for (const bool json : {true, false}) {
            QProcess process;
            process.setWorkingDirectory(QDir::rootPath());
            process.start(user.isEmpty() ? command.first() : QStringLiteral("runuser"),
                          (user.isEmpty() ? command.mid(1) : command) +
                              (json ? QStringList{QStringLiteral("--json")} : QStringList{}));
            if (!process.waitForFinished(120000)) {
                process.kill();
                process.waitForFinished();
                qWarning("station-check did not finish");
                return result;
            }
            if (json) {
                result.json = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
                result.exitCode = process.exitCode();
            } else {
                result.text = QString::fromUtf8(process.readAllStandardOutput());
                if (process.exitCode() != result.exitCode) {
                    qWarning("text and JSON runs ended differently");
                    result.exitCode = -2;
                }
            }
        }
        return result;
    }

private:
    QTemporaryDir m_folder;
    QTemporaryDir m_odbc;
};

} // namespace

class TestInstallCheck : public QObject {
    Q_OBJECT

private:
    // Settings that name the test's own PostgreSQL, a database and a login.
    StationSettings storeSettings(const QString& database, const QString& login,
                                  const QString& password) const {
        StationSettings s;
        s.StoreCode = QStringLiteral("0001");
        s.ServerIp = QStringLiteral("127.0.0.1");
        s.ServerPort = QString::number(m_server ? m_server->port() : 1433);
        s.DbKind = QStringLiteral("MS-SQL");
        s.DbName = database;
        s.LoginId = login;
        s.LoginPassword = password;
        s.PosId = QStringLiteral("01");
        return s;
    }

    // An installation whose "SQL Server" is psqlODBC reaching the test's
    // server. psqlODBC hands "127.0.0.1,<port>" to libpq as a list of hosts
    // with one port, which libpq takes from PGPORT.
    std::unique_ptr<Installation> postgresInstallation(const StationSettings& settings) {
        auto installation = std::make_unique<Installation>();
        installation->registerSqlServer(QStringLiteral(STATION_PSQLODBC_DRIVER));
        if (!installation->writeSettings(settings) || !installation->writeDoorFile()) {
            return nullptr;
        }
        return installation;
    }
    QStringList postgresEnvironment() const {
        return {QStringLiteral("PGPORT=%1").arg(m_server->port())};
    }

    void requireServer() {
        if (!m_server) {
            QSKIP(qPrintable(m_serverSkip));
        }
    }
    void requireOperatorAccount() {
        if (!m_operatorMade) {
            QSKIP("needs root to make the second Unix account stf-op1");
        }
    }

    QString tableContent(const QString& database) {
        QString rows;
        m_server->psql(
            database,
            QStringLiteral("SELECT 매장코드, 회원휴대폰번호, 회원명, 회원주소, 남여구분, "
                           "md5(회원사진), 가입구분 FROM 회원관리 ORDER BY 2"),
            &rows);
        return rows;
    }

    std::unique_ptr<LocalPostgres> m_server;
    QString m_serverSkip;
    bool m_operatorMade = false;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(QFileInfo(QStringLiteral(STATION_CHECK_PROGRAM)).isExecutable());
        if (geteuid() == 0) {
            runCommand(QStringLiteral("userdel"), {Operator});
            m_operatorMade = runCommand(
                QStringLiteral("useradd"),
                {QStringLiteral("--system"), QStringLiteral("--no-create-home"),
                 QStringLiteral("--shell"), QStringLiteral("/usr/sbin/nologin"), Operator});
            QVERIFY2(m_operatorMade, "useradd stf-op1 failed");
        }

        auto server = std::make_unique<LocalPostgres>(LocalPostgres::Logins::Password);
        if (!server->start()) {
            QVERIFY2(server->unavailable(), qPrintable(server->error()));
            m_serverSkip = server->error();
            return;
        }
        const QString table = odbcfixture::memberTableSql(odbcfixture::Backend::PostgreSQL);
        QString noColumn = table;
        noColumn.replace(QStringLiteral("    회원주소 varchar(50),\n"), QString());
        QString noKey = table;
        noKey.replace(QStringLiteral(",\n    UNIQUE (매장코드, 회원휴대폰번호)"), QString());
        QVERIFY(noColumn != table && noKey != table);
        QVERIFY2(server->psql(QStringLiteral("postgres"),
                              QStringLiteral("CREATE ROLE op LOGIN PASSWORD '%1'; "
                                             "CREATE ROLE noupdate LOGIN PASSWORD 'nu-secret'")
                                  .arg(OpPassword)),
                 qPrintable(server->error()));
        for (const auto& [database, sql] : {std::pair{QStringLiteral("store_ok"), table},
                                            std::pair{QStringLiteral("store_nocolumn"), noColumn},
                                            std::pair{QStringLiteral("store_nokey"), noKey}}) {
            QVERIFY2(server->psql(QStringLiteral("postgres"),
                                  QStringLiteral("CREATE DATABASE ") + database),
                     qPrintable(server->error()));
            QVERIFY2(server->psql(database,
                                  sql + QStringLiteral("; GRANT SELECT, INSERT, UPDATE ON 회원관리 "
                                                       "TO op; GRANT SELECT, INSERT ON 회원관리 "
                                                       "TO noupdate")),
                     qPrintable(server->error()));
        }
        QVERIFY(
            server->psql(QStringLiteral("store_ok"),
                         QStringLiteral("INSERT INTO 회원관리 (매장코드, 회원휴대폰번호, 회원명, "
                                        "회원주소, 남여구분, 회원사진) VALUES ('0001', "
                                        "'010-1234-5678', '김하나', '서울', '여', "
                                        "'\\xffd8ffd9'::bytea)")));
        m_server = std::move(server);
    }

    void cleanupTestCase() {
        m_server.reset();
        if (m_operatorMade) {
            QVERIFY(runCommand(QStringLiteral("userdel"), {Operator}));
        }
    }

    void workingStationOnPostgres() {
        requireServer();
        auto station = postgresInstallation(
            storeSettings(QStringLiteral("store_ok"), QStringLiteral("op"), OpPassword));
        QVERIFY(station);
        const QString before = tableContent(QStringLiteral("store_ok"));
        const CheckRun run = station->run(postgresEnvironment());
        QVERIFY2(run.exitCode == 0, qPrintable(run.describe()));
        for (const QString& id :
             {QStringLiteral("settings.file"), QStringLiteral("driver.library"),
              QStringLiteral("server.name"), QStringLiteral("server.port"),
              QStringLiteral("server.login"), QStringLiteral("table.columns"),
              QStringLiteral("table.key"), QStringLiteral("table.select"),
              QStringLiteral("table.insert"), QStringLiteral("table.update"),
              QStringLiteral("folder.photos"), QStringLiteral("folder.errorlog")}) {
            QVERIFY2(run.verdict(id) == QLatin1String("ok"), qPrintable(id + run.describe()));
        }
        QVERIFY(run.reason(QStringLiteral("driver.library")).contains(QLatin1String("psqlODBC")));
        // The probes were rolled back; nothing made in the folder stays.
        QCOMPARE(tableContent(QStringLiteral("store_ok")), before);
        QVERIFY(!QFileInfo::exists(station->path(QStringLiteral("회원사진"))));
        QVERIFY(!QFileInfo::exists(station->path(QStringLiteral("ERROR_LOG"))));
        QCOMPARE(
            QDir(station->folder())
                .entryList({QStringLiteral(".station-check*")}, QDir::AllEntries | QDir::Hidden)
                .size(),
            0);
        // One line per check between the heading and the summary.
        const QStringList lines = run.text.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), run.json.value(QStringLiteral("checks")).toArray().size() + 2);
        QVERIFY(
            lines.last().contains(QStringLiteral("스테이션이 시작하고 회원을 저장할 수 있습니다")));
        QVERIFY(!run.text.contains(OpPassword));
    }

    void workingStationOnSqlite() {
        QVERIFY(odbcfixture::prepareProcess().isEmpty());
        odbcfixture::MemberTable table(odbcfixture::Backend::SQLite);
        QVERIFY2(table.ready(), qPrintable(table.skipReason()));
        QFile::setPermissions(QFileInfo(table.databaseFile()).absolutePath(),
                              QFile::permissions(QDir::tempPath()) & ~QFileDevice::WriteOther);
        Installation station;
        station.registerSqlServer(QStringLiteral(STATION_SQLITEODBC_DRIVER));
        QVERIFY(station.writeSettings(table.stationSettings(QStringLiteral("0001"))));
        QVERIFY(station.writeDoorFile());
        const QByteArray before = [&] {
            QFile db(table.databaseFile());
            return db.open(QIODevice::ReadOnly) ? db.readAll() : QByteArray();
        }();
        const CheckRun run = station.run();
        QVERIFY2(run.exitCode == 0, qPrintable(run.describe()));
        // A file database has no server address to resolve or reach.
        QCOMPARE(run.verdict(QStringLiteral("server.port")), QStringLiteral("skipped"));
        QCOMPARE(run.verdict(QStringLiteral("table.key")), QStringLiteral("ok"));
        QCOMPARE(run.verdict(QStringLiteral("table.update")), QStringLiteral("ok"));
        QFile db(table.databaseFile());
        QVERIFY(db.open(QIODevice::ReadOnly));
        QCOMPARE(db.readAll(), before);
    }

    void badSettings_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("failing");
        QTest::addColumn<QString>("reason");
        const QString file = QStringLiteral("settings.file");
        QTest::newRow("missing") << QByteArray() << file << QStringLiteral("없습니다");
        QTest::newRow("three lines") << QByteArray("a = 1\r\nb = 2\r\nc = 3\r\n") << file
                                     << QStringLiteral("8줄이 되지 않습니다");
        QTest::newRow("LF line ends") << QByteArray("a = 1\nb\nc\nd\ne\nf\ng\nh\n") << file
                                      << QStringLiteral("8줄이 되지 않습니다");
        static const char nul[] = "a = 1\r\nb\r\nc\r\nd\0\r\ne\r\nf\r\ng\r\nh\r\n";
        QTest::newRow("NUL") << QByteArray(nul, sizeof(nul) - 1) << file
                             << QStringLiteral("읽을 수 없는 파일");
        // Port 1 on loopback refuses at once: the server lines fail quickly.
        QTest::newRow("store code of three digits")
            << QByteArray("s = 001\r\ni = 127.0.0.1\r\np = 1\r\nk = MS-SQL\r\nd = QTR\r\n"
                          "u = gh\r\nw = gh\r\nn = 01\r\n")
            << QStringLiteral("settings.store") << QStringLiteral("4 자리 숫자가 아닙니다");
        QTest::newRow("login that does not decode")
            << QByteArray("s = 0001\r\ni = 127.0.0.1\r\np = 1\r\nk = MS-SQL\r\nd = QTR\r\n"
                          "u = \x7f\r\nw = gh\r\nn = 01\r\n")
            << QStringLiteral("settings.login") << QStringLiteral("해독되지 않습니다");
    }
    void badSettings() {
        QFETCH(QByteArray, content);
        QFETCH(QString, failing);
        QFETCH(QString, reason);
        Installation station;
        station.registerSqlServer(QStringLiteral(STATION_TDSODBC_DRIVER));
        QVERIFY(station.writeDoorFile());
        if (!content.isEmpty()) {
            QVERIFY(station.writeFile(SettingsFileName, content));
        }
        const CheckRun run = station.run();
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.verdict(failing), QStringLiteral("failure"));
        QVERIFY2(run.reason(failing).contains(reason), qPrintable(run.describe()));
        if (failing == QLatin1String("settings.file")) {
            QCOMPARE(run.verdict(QStringLiteral("server.login")), QStringLiteral("skipped"));
        }
        // The rest is still checked: an installer fixes everything in one go.
        QCOMPARE(run.verdict(QStringLiteral("door.file")), QStringLiteral("ok"));
        QCOMPARE(run.verdict(QStringLiteral("driver.library")), QStringLiteral("ok"));
    }

    void settingsUnreadableByOperator() {
        requireOperatorAccount();
        Installation station;
        station.registerSqlServer(QStringLiteral(STATION_SQLITEODBC_DRIVER));
        QVERIFY(station.writeSettings(
            storeSettings(QStringLiteral("x"), QStringLiteral("sa"), QStringLiteral("pw"))));
        QVERIFY(station.writeDoorFile());
        // Written by root, readable by root alone.
        const CheckRun run = station.run({}, Operator);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.verdict(QStringLiteral("settings.file")), QStringLiteral("failure"));
        QVERIFY2(run.reason(QStringLiteral("settings.file"))
                     .contains(Operator + QStringLiteral(" 이(가) 읽을 수 없습니다")),
                 qPrintable(run.describe()));
    }

    void driverRegisteredToMissingLibrary() {
        Installation station;
        station.registerSqlServer(QStringLiteral("/nonexistent/odbc/libtdsodbc.so"));
        QVERIFY(station.writeSettings(
            storeSettings(QStringLiteral("QTR"), QStringLiteral("sa"), QStringLiteral("pw"))));
        QVERIFY(station.writeDoorFile());
        const CheckRun run = station.run();
        QCOMPARE(run.exitCode, 3);
        QCOMPARE(run.verdict(QStringLiteral("driver.registered")), QStringLiteral("ok"));
        QCOMPARE(run.verdict(QStringLiteral("driver.library")), QStringLiteral("failure"));
        QVERIFY2(run.reason(QStringLiteral("driver.library"))
                     .contains(QStringLiteral("파일이 없습니다")),
                 qPrintable(run.describe()));
        QCOMPARE(run.verdict(QStringLiteral("server.login")), QStringLiteral("skipped"));
    }

    void refusedPort() {
        Installation station;
        station.registerSqlServer(QStringLiteral(STATION_TDSODBC_DRIVER));
        StationSettings settings =
            storeSettings(QStringLiteral("QTR"), QStringLiteral("sa"), QStringLiteral("pw"));
        settings.ServerPort = QString::number(LocalPostgres::freePort());
        QVERIFY(station.writeSettings(settings));
        QVERIFY(station.writeDoorFile());
        const CheckRun run = station.run();
        QCOMPARE(run.exitCode, 4);
        QCOMPARE(run.verdict(QStringLiteral("server.name")), QStringLiteral("ok"));
        QCOMPARE(run.verdict(QStringLiteral("server.port")), QStringLiteral("failure"));
        QVERIFY2(run.reason(QStringLiteral("server.port")).contains(QStringLiteral("거부")),
                 qPrintable(run.describe()));
        QCOMPARE(run.verdict(QStringLiteral("server.login")), QStringLiteral("failure"));
        QCOMPARE(run.verdict(QStringLiteral("table.select")), QStringLiteral("skipped"));
    }

    void silentServer() {
        // Accepts connections (the kernel completes them) and never answers.
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        Installation station;
        station.registerSqlServer(QStringLiteral(STATION_TDSODBC_DRIVER));
        StationSettings settings =
            storeSettings(QStringLiteral("QTR"), QStringLiteral("sa"), QStringLiteral("pw"));
        settings.ServerPort = QString::number(silent.serverPort());
        QVERIFY(station.writeSettings(settings));
        QVERIFY(station.writeDoorFile());
        const CheckRun run = station.run();
        QCOMPARE(run.exitCode, 4);
        QCOMPARE(run.verdict(QStringLiteral("server.port")), QStringLiteral("ok"));
        QCOMPARE(run.verdict(QStringLiteral("server.login")), QStringLiteral("failure"));
        // The station's limit: 5 s of silence, 7 s for the whole attempt.
        const int ms =
            run.line(QStringLiteral("server.login")).value(QStringLiteral("elapsedMs")).toInt();
        QVERIFY2(ms < 7000, qPrintable(run.describe()));
    }

    void wrongPassword() {
        requireServer();
        auto station = postgresInstallation(storeSettings(
            QStringLiteral("store_ok"), QStringLiteral("op"), QStringLiteral("not-the-password")));
        QVERIFY(station);
        const CheckRun run = station->run(postgresEnvironment());
        QCOMPARE(run.exitCode, 4);
        QCOMPARE(run.verdict(QStringLiteral("server.port")), QStringLiteral("ok"));
        QCOMPARE(run.verdict(QStringLiteral("server.login")), QStringLiteral("failure"));
        // The driver's own words.
        QVERIFY2(run.reason(QStringLiteral("server.login"))
                     .contains(QLatin1String("password authentication failed")),
                 qPrintable(run.describe()));
        QVERIFY(run.text.contains(QStringLiteral("아이디와 비밀번호를 확인하세요")));
    }

    // A DB name that would add a DRIVER= key naming a library planted in
    // the program folder: the check (as root, when the test is) loads no
    // such library and says why it cannot log in.
    void settingsValueCannotLoadALibrary() {
        requireServer();
        auto station = postgresInstallation(
            storeSettings(QStringLiteral("store_ok;DRIVER=%1;"), QStringLiteral("op"), OpPassword));
        QVERIFY(station);
        const QString library = station->path(QStringLiteral("x.so"));
        QVERIFY(QFile::copy(QStringLiteral(STATION_PLANTED_LIBRARY), library));
        QVERIFY(station->writeSettings(storeSettings(
            QStringLiteral("store_ok;DRIVER=%1;").arg(library), QStringLiteral("op"), OpPassword)));
        const CheckRun run = station->run(postgresEnvironment());
        QVERIFY2(!QFileInfo::exists(library + QStringLiteral(".loaded")),
                 qPrintable(run.describe()));
        QCOMPARE(run.exitCode, 4);
        QVERIFY2(
            run.reason(QStringLiteral("server.login")).contains(QLatin1String("does not exist")),
            qPrintable(run.describe()));

        // "}" (FreeTDS ends a braced value there) and a character the driver
        // manager reads as one are refused on reading.
        for (const auto& [database, code] :
             {std::pair{QStringLiteral("store_ok걽;DRIVER=%1;"), QStringLiteral("U+AC7D")},
              std::pair{QStringLiteral("store_ok};DRIVER=%1;"), QStringLiteral("U+007D '}'")}}) {
            QVERIFY(station->writeSettings(
                storeSettings(database.arg(library), QStringLiteral("op"), OpPassword)));
            const CheckRun refused = station->run(postgresEnvironment());
            QVERIFY(!QFileInfo::exists(library + QStringLiteral(".loaded")));
            QCOMPARE(refused.exitCode, 1);
            QVERIFY2(refused.reason(QStringLiteral("settings.connection")).contains(code),
                     qPrintable(refused.describe()));
        }
    }

    // The running copy is looked for in the folder given, by the lock that
    // every account's station takes there.
    void runningStationOfTheFolderChecked() {
        Installation station;
        const QByteArray lockFile =
            QFile::encodeName(station.path(QStringLiteral("member-station.lock")));
        const int fd = ::open(lockFile.constData(), O_RDONLY | O_CREAT | O_CLOEXEC, 0640);
        QVERIFY(fd >= 0);
        QCOMPARE(::flock(fd, LOCK_EX | LOCK_NB), 0);
        const CheckRun run = station.run({}, {}, QStringLiteral(STATION_CHECK_PROGRAM));
        ::close(fd);
        QCOMPARE(run.verdict(QStringLiteral("folder.lock")), QStringLiteral("warning"));
        QVERIFY2(!run.reason(QStringLiteral("folder.lock")).contains(QStringLiteral("계정")),
                 qPrintable(run.describe()));
    }

    void tableFaults_data() {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("failing");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no address column") << "store_nocolumn"
                                           << "op" << OpPassword << "table.columns"
                                           << "회원주소 열이 없습니다";
        QTest::newRow("no unique key") << "store_nokey"
                                       << "op" << OpPassword << "table.key"
                                       << "고유 키가 없습니다";
        QTest::newRow("no UPDATE grant") << "store_ok"
                                         << "noupdate"
                                         << "nu-secret"
                                         << "table.update"
                                         << "permission denied";
    }
    void tableFaults() {
        QFETCH(QString, database);
        QFETCH(QString, login);
        QFETCH(QString, password);
        QFETCH(QString, failing);
        QFETCH(QString, reason);
        requireServer();
        auto station = postgresInstallation(storeSettings(database, login, password));
        QVERIFY(station);
        const QString before = tableContent(database);
        const CheckRun run = station->run(postgresEnvironment());
        QCOMPARE(run.exitCode, 5);
        QCOMPARE(run.verdict(QStringLiteral("server.login")), QStringLiteral("ok"));
        // The server's product and the driver's own name, each with a version.
        QVERIFY2(
            QRegularExpression(QStringLiteral("서버 PostgreSQL [0-9.]+, 드라이버 \\S+ [0-9.]+"))
                .match(run.reason(QStringLiteral("server.login")))
                .hasMatch(),
            qPrintable(run.describe()));
        QVERIFY2(run.verdict(failing) == QLatin1String("failure"), qPrintable(run.describe()));
        QVERIFY2(run.reason(failing).contains(reason), qPrintable(run.describe()));
        QCOMPARE(run.verdict(QStringLiteral("table.present")), QStringLiteral("ok"));
        QCOMPARE(tableContent(database), before);
    }

    void readOnlyProgramFolder() {
        requireServer();
        requireOperatorAccount();
        auto station = postgresInstallation(
            storeSettings(QStringLiteral("store_ok"), QStringLiteral("op"), OpPassword));
        QVERIFY(station);
        // The operator owns the folder but may not write to it.
        QVERIFY(runCommand(QStringLiteral("chown"),
                           {QStringLiteral("-R"), Operator, station->folder()}));
        QVERIFY(QFile::setPermissions(station->folder(),
                                      QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                          QFileDevice::ReadOther | QFileDevice::ExeOther));
        const CheckRun run = station->run(postgresEnvironment(), Operator);
        QFile::setPermissions(station->folder(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                     QFileDevice::ExeOwner);
        QCOMPARE(run.exitCode, 6);
        QCOMPARE(run.verdict(QStringLiteral("server.login")), QStringLiteral("ok"));
        QCOMPARE(run.verdict(QStringLiteral("folder.program")), QStringLiteral("failure"));
        QCOMPARE(run.verdict(QStringLiteral("folder.photos")), QStringLiteral("failure"));
        QVERIFY2(run.reason(QStringLiteral("folder.photos")).contains(Operator),
                 qPrintable(run.describe()));
    }
};

QTEST_GUILESS_MAIN(TestInstallCheck)
#include "tst_installcheck.moc"
