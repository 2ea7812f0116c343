#include "installcheck/installcheck.h"

#include "config/settingsfile.h"
#include "db/members.h"
#include "db/storedb.h"
#include "installcheck/devicecheck.h"
#include "installcheck/odbcprobe.h"
#include "installcheck/platformaccess.h"
#include "util/programwide.h"
#include "util/singleinstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QHostAddress>
#include <QHostInfo>
#include <QStorageInfo>
#include <QTcpSocket>
#include <QTemporaryFile>
#include <QTimer>

#include <filesystem>
#include <optional>
#include <system_error>

namespace {

const QString DoorFileName = QStringLiteral("출입문설정.CFG");
const QString MemberTable = QStringLiteral("회원관리");
// How long the name lookup and the TCP connect may take: the station's own
// login limit, which covers both inside the driver.
constexpr int NetworkLimitMs = StoreLoginTimeoutSeconds * 1000;

const QString RerunSettings =
    QStringLiteral("환경설정.CFG 를 지우고 member-station 을 시작해 설정 화면에서 다시 저장하세요");

QString masked(const QString& text) {
    if (text.isEmpty()) {
        return QStringLiteral("(없음)");
    }
    return text.left(1) + QString(text.size() - 1, u'*');
}

QString shortError(const QString& description) {
    return description.simplified();
}

bool isStationFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden();
}

class Checker {
public:
    explicit Checker(const QString& folder) : m_folder(folder), m_report(folder) {}

    CheckReport run() {
        checkSettings();
        checkDoorFile();
        checkDriver();
        checkServer();
        checkMemberTable();
        checkProgramFolder();
        CheckDevices(m_report);
        return m_report;
    }

private:
    QString path(const QString& name) const { return QDir(m_folder).filePath(name); }

    CheckLine& add(const QString& id, CheckArea area, const QString& title, Verdict verdict,
                   const QString& reason, const QString& action = {}) {
        return m_report.add(id, area, title, verdict, reason, action);
    }

    // ---- settings --------------------------------------------------------

    void checkSettings() {
        const CheckArea area = CheckArea::Settings;
        const QString file = path(SettingsFileName);
        const QString title = QStringLiteral("환경설정 파일");
        if (!isStationFile(file)) {
            add(QStringLiteral("settings.file"), area, title, Verdict::Failure,
                QStringLiteral("%1 이(가) 없습니다").arg(QDir::toNativeSeparators(file)),
                QStringLiteral("member-station 을 시작해 설정 화면에서 입력하고 저장하세요"));
            return;
        }
        StationSettings read;
        QString error;
        switch (ReadSettingsFile(file, read, &error)) {
        case SettingsReadResult::Missing:
            add(QStringLiteral("settings.file"), area, title, Verdict::Failure,
                QStringLiteral("%1 이(가) 없습니다").arg(QDir::toNativeSeparators(file)),
                QStringLiteral("member-station 을 시작해 설정 화면에서 입력하고 저장하세요"));
            return;
        case SettingsReadResult::TooFewLines:
            add(QStringLiteral("settings.file"), area, title, Verdict::Failure,
                QStringLiteral("8줄이 되지 않습니다 (줄 끝은 CR LF 여야 합니다)"), RerunSettings);
            return;
        case SettingsReadResult::Unreadable:
            if (QFileInfo(file).isReadable() || CurrentUserIsAdministrator()) {
                add(QStringLiteral("settings.file"), area, title, Verdict::Failure,
                    QStringLiteral("읽을 수 없는 파일입니다: %1").arg(error), RerunSettings);
            } else {
                add(QStringLiteral("settings.file"), area, title, Verdict::Failure,
                    QStringLiteral("현재 사용자 %1 이(가) 읽을 수 없습니다: %2")
                        .arg(CurrentUserName(), error),
                    AdviceText(Advice::SettingsUnreadable, QDir::toNativeSeparators(file)));
            }
            return;
        case SettingsReadResult::Ok:
            break;
        }
        add(QStringLiteral("settings.file"), area, title, Verdict::Ok,
            QStringLiteral("8줄을 읽었습니다 (현재 사용자 %1)").arg(CurrentUserName()));
        const QString groupProblem = OperatorGroupProblem(file, false);
        if (!groupProblem.isEmpty()) {
            add(QStringLiteral("settings.group"), area, QStringLiteral("환경설정 파일 권한"),
                Verdict::Warning,
                groupProblem + QStringLiteral(": 다른 운영자 계정으로는 시작하지 못합니다"),
                QStringLiteral("chgrp %1 환경설정.CFG; chmod 640 환경설정.CFG")
                    .arg(OperatorGroupName));
        }
        checkSettingValues(read);
        m_settings = read;
    }

    void checkSettingValues(const StationSettings& s) {
        const CheckArea area = CheckArea::Settings;
        const bool storeOk =
            s.StoreCode.size() == 4 && std::all_of(s.StoreCode.begin(), s.StoreCode.end(),
                                                   [](QChar c) { return c >= u'0' && c <= u'9'; });
        add(QStringLiteral("settings.store"), area, QStringLiteral("매장코드"),
            storeOk ? Verdict::Ok : Verdict::Failure,
            storeOk ? s.StoreCode
                    : QStringLiteral("\"%1\": 4 자리 숫자가 아닙니다").arg(s.StoreCode),
            storeOk ? QString() : RerunSettings);

        bool portNumber = false;
        const int port = s.ServerPort.toInt(&portNumber);
        if (s.ServerIp.isEmpty()) {
            add(QStringLiteral("settings.server"), area, QStringLiteral("서버 주소"),
                Verdict::Failure, QStringLiteral("서버 주소가 비어 있습니다"), RerunSettings);
        } else if (!s.ServerPort.isEmpty() && (!portNumber || port < 1 || port > 65535)) {
            add(QStringLiteral("settings.server"), area, QStringLiteral("서버 주소"),
                Verdict::Failure,
                QStringLiteral("포트 \"%1\" 은(는) 포트 번호가 아닙니다").arg(s.ServerPort),
                RerunSettings);
        } else {
            add(QStringLiteral("settings.server"), area, QStringLiteral("서버 주소"), Verdict::Ok,
                QStringLiteral("%1, 포트 %2, DB종류 %3, DB명 %4")
                    .arg(s.ServerIp,
                         s.ServerPort.isEmpty() ? QStringLiteral("1433 (비어 있음)") : s.ServerPort,
                         s.DbKind, s.DbName));
        }

        // A login that does not decode reads as empty (the reader logs why).
        if (s.LoginId.isEmpty()) {
            add(QStringLiteral("settings.login"), area, QStringLiteral("접속 계정"),
                Verdict::Failure, QStringLiteral("접속 아이디가 비어 있거나 해독되지 않습니다"),
                RerunSettings);
        } else {
            const bool noPassword = s.LoginPassword.isEmpty();
            add(QStringLiteral("settings.login"), area, QStringLiteral("접속 계정"),
                noPassword ? Verdict::Warning : Verdict::Ok,
                QStringLiteral("아이디 %1, 비밀번호 %2")
                    .arg(masked(s.LoginId),
                         noPassword ? QStringLiteral("없음 (또는 해독되지 않음)")
                                    : QStringLiteral("%1자").arg(s.LoginPassword.size())),
                noPassword ? QStringLiteral("서버가 비밀번호 없는 로그인을 받는지 확인하세요")
                           : QString());
        }

        // Refused here as the settings screen refuses to save it: no quoting
        // keeps such a value inside the connection string.
        const QString problem =
            StoreSettingsProblem(s.ServerIp, s.ServerPort, s.DbName, s.LoginId, s.LoginPassword);
        if (!problem.isEmpty()) {
            add(QStringLiteral("settings.connection"), area, QStringLiteral("서버 접속 값"),
                Verdict::Failure, problem, RerunSettings);
        }

        const bool posOk = s.PosId.size() == 2;
        add(QStringLiteral("settings.pos"), area, QStringLiteral("POS번호"),
            posOk ? Verdict::Ok : Verdict::Warning,
            posOk ? s.PosId : QStringLiteral("\"%1\": 2 자리가 아닙니다").arg(s.PosId),
            posOk ? QString() : QStringLiteral("설정 화면에서 2 자리로 다시 저장하세요"));
    }

    // ---- door file -------------------------------------------------------

    void checkDoorFile() {
        const QString file = path(DoorFileName);
        if (isStationFile(file)) {
            add(QStringLiteral("door.file"), CheckArea::DoorFile,
                QStringLiteral("출입문 설정 파일"), Verdict::Ok, QStringLiteral("있습니다"));
        } else {
            add(QStringLiteral("door.file"), CheckArea::DoorFile,
                QStringLiteral("출입문 설정 파일"), Verdict::Failure,
                QStringLiteral("%1 이(가) 없습니다").arg(QDir::toNativeSeparators(file)),
                QStringLiteral("출입 시스템의 출입문설정.CFG 를 프로그램 폴더에 복사하세요 "
                               "(빈 파일도 됩니다)"));
        }
    }

    // ---- ODBC driver -----------------------------------------------------

    void checkDriver() {
        const CheckArea area = CheckArea::Driver;
        const QString title = QStringLiteral("ODBC 드라이버 \"SQL Server\"");
        const DriverRegistration driver = FindOdbcDriver(QStringLiteral("SQL Server"));
        if (!driver.found) {
            add(QStringLiteral("driver.registered"), area, title, Verdict::Failure,
                QStringLiteral("등록되어 있지 않습니다 (%1)").arg(AdviceText(Advice::DriverListed)),
                AdviceText(Advice::DriverMissing));
            return;
        }
        add(QStringLiteral("driver.registered"), area, title, Verdict::Ok,
            driver.library.isEmpty()
                ? QStringLiteral("등록되어 있습니다")
                : QStringLiteral("등록되어 있습니다: Driver = %1").arg(driver.library));
        m_driverKind = DriverKindOf(driver.library);
        const DriverLibrary library =
            ProbeDriverLibrary(QStringLiteral("SQL Server"), driver.library);
        if (!library.error.isEmpty()) {
            add(QStringLiteral("driver.library"), area, QStringLiteral("드라이버 라이브러리"),
                Verdict::Failure,
                (library.missing ? QStringLiteral("%1 파일이 없습니다: %2")
                                 : QStringLiteral("%1 을(를) 불러올 수 없습니다: %2"))
                    .arg(library.file, library.error),
                AdviceText(Advice::DriverLibrary));
            return;
        }
        m_driverUsable = true;
        add(QStringLiteral("driver.library"), area, QStringLiteral("드라이버 라이브러리"),
            Verdict::Ok,
            QStringLiteral("%1: %2").arg(library.usable, m_driverKind.isEmpty()
                                                             ? QStringLiteral("알 수 없는 드라이버")
                                                             : m_driverKind));
    }

    // ---- store server ----------------------------------------------------

    void skipServer(const QString& why) {
        const CheckArea area = CheckArea::Server;
        add(QStringLiteral("server.name"), area, QStringLiteral("서버 이름"), Verdict::Skipped,
            why);
        add(QStringLiteral("server.port"), area, QStringLiteral("서버 포트"), Verdict::Skipped,
            why);
        add(QStringLiteral("server.login"), area, QStringLiteral("서버 로그인"), Verdict::Skipped,
            why);
    }

    void checkServer() {
        if (!m_settings) {
            skipServer(QStringLiteral("환경설정을 읽지 못했습니다"));
            return;
        }
        if (!m_driverUsable) {
            skipServer(QStringLiteral("드라이버를 쓸 수 없습니다"));
            return;
        }
        const StationSettings& s = *m_settings;
        if (s.ServerIp.isEmpty()) {
            skipServer(QStringLiteral("서버 주소가 비어 있습니다"));
            return;
        }
        if (!StoreSettingsProblem(s.ServerIp, s.ServerPort, s.DbName, s.LoginId, s.LoginPassword)
                 .isEmpty()) {
            skipServer(QStringLiteral("환경설정 값을 서버 접속에 쓸 수 없습니다"));
            return;
        }
        if (IsFileDatabaseDriver(m_driverKind)) {
            const QString why =
                QStringLiteral("%1 드라이버는 DB명의 파일을 씁니다").arg(m_driverKind);
            add(QStringLiteral("server.name"), CheckArea::Server, QStringLiteral("서버 이름"),
                Verdict::Skipped, why);
            add(QStringLiteral("server.port"), CheckArea::Server, QStringLiteral("서버 포트"),
                Verdict::Skipped, why);
        } else {
            checkReachable(s);
        }
        checkLogin(s);
    }

    void checkReachable(const StationSettings& s) {
        const CheckArea area = CheckArea::Server;
        // A named instance ("host\\SQLEXPRESS") resolves by its host.
        const QString host = s.ServerIp.section(u'\\', 0, 0);
        QElapsedTimer timer;
        timer.start();
        QList<QHostAddress> addresses;
        QString lookupError;
        {
            QHostAddress literal;
            if (literal.setAddress(host)) {
                addresses << literal;
            } else {
                QEventLoop loop;
                bool done = false;
                const int id = QHostInfo::lookupHost(host, &loop, [&](const QHostInfo& info) {
                    addresses = info.addresses();
                    lookupError = info.errorString();
                    done = true;
                    loop.quit();
                });
                QTimer::singleShot(NetworkLimitMs, &loop, &QEventLoop::quit);
                loop.exec();
                if (!done) {
                    QHostInfo::abortHostLookup(id);
                    lookupError =
                        QStringLiteral("%1초 안에 답이 없습니다").arg(StoreLoginTimeoutSeconds);
                }
            }
        }
        CheckLine& name =
            addresses.isEmpty()
                ? add(QStringLiteral("server.name"), area, QStringLiteral("서버 이름"),
                      Verdict::Failure,
                      QStringLiteral("%1 을(를) 찾을 수 없습니다: %2").arg(host, lookupError),
                      QStringLiteral("설정의 서버 주소와 이 PC의 DNS 설정을 확인하세요"))
                : add(QStringLiteral("server.name"), area, QStringLiteral("서버 이름"), Verdict::Ok,
                      QStringLiteral("%1 → %2").arg(host, addresses.first().toString()));
        name.elapsedMs = timer.elapsed();
        if (addresses.isEmpty()) {
            add(QStringLiteral("server.port"), area, QStringLiteral("서버 포트"), Verdict::Skipped,
                QStringLiteral("서버 이름을 찾지 못했습니다"));
            return;
        }

        const QString portText =
            s.ServerPort.isEmpty() ? QString::fromLatin1(StoreDefaultPort) : s.ServerPort;
        const quint16 port = portText.toUShort();
        timer.restart();
        QTcpSocket socket;
        socket.connectToHost(addresses.first(), port);
        const bool connected = socket.waitForConnected(NetworkLimitMs);
        const qint64 ms = timer.elapsed();
        const QString target = QStringLiteral("%1:%2").arg(addresses.first().toString()).arg(port);
        CheckLine* line = nullptr;
        if (connected) {
            line = &add(QStringLiteral("server.port"), area, QStringLiteral("서버 포트"),
                        Verdict::Ok, QStringLiteral("%1 에 연결됩니다").arg(target));
            socket.abort();
        } else if (socket.error() == QAbstractSocket::ConnectionRefusedError) {
            line = &add(
                QStringLiteral("server.port"), area, QStringLiteral("서버 포트"), Verdict::Failure,
                QStringLiteral("%1 이(가) 연결을 거부합니다: %2").arg(target, socket.errorString()),
                QStringLiteral("SQL Server 가 이 포트에서 TCP 를 받는지(SQL Server "
                               "구성 관리자), 설정의 포트가 맞는지 확인하세요"));
        } else {
            line = &add(QStringLiteral("server.port"), area, QStringLiteral("서버 포트"),
                        Verdict::Failure,
                        QStringLiteral("%1 이(가) %2초 안에 연결되지 않습니다: %3")
                            .arg(target)
                            .arg(StoreLoginTimeoutSeconds)
                            .arg(socket.errorString()),
                        QStringLiteral("서버가 켜져 있는지, 방화벽이 이 포트를 막지 않는지 "
                                       "확인하세요"));
        }
        line->elapsedMs = ms;
    }

    void checkLogin(const StationSettings& s) {
        QElapsedTimer timer;
        timer.start();
        const bool open =
            OpenStoreDb(StoreDb, s.ServerIp, s.ServerPort, s.DbName, s.LoginId, s.LoginPassword);
        const qint64 ms = timer.elapsed();
        if (!open) {
            const QString why = shortError(StoreDb.lastOpenError());
            const QString lower = why.toLower();
            QString action = QStringLiteral("설정의 서버 주소·포트·DB명·아이디·비밀번호를 "
                                            "확인하세요");
            if (lower.contains(QLatin1String("password")) ||
                lower.contains(QLatin1String("login failed")) ||
                lower.contains(QLatin1String("authentication"))) {
                action = QStringLiteral("서버가 로그인을 거부했습니다: 아이디와 비밀번호를 "
                                        "확인하세요 (SQL Server 는 SQL 로그인을 허용해야 "
                                        "합니다)");
            } else if (ms >= StoreLoginTimeoutSeconds * 1000 - 500) {
                action = QStringLiteral("서버가 제한 시간 안에 답하지 않습니다: 서버 상태와 "
                                        "네트워크를 확인하세요");
            }
            add(QStringLiteral("server.login"), CheckArea::Server, QStringLiteral("서버 로그인"),
                Verdict::Failure, why.isEmpty() ? QStringLiteral("연결되지 않았습니다") : why,
                action)
                .elapsedMs = ms;
            return;
        }
        QString described;
        try {
            described = StoreDb.describe();
        } catch (const OdbcError&) {
            // Only for the report's text.
        }
        add(QStringLiteral("server.login"), CheckArea::Server, QStringLiteral("서버 로그인"),
            Verdict::Ok,
            QStringLiteral("%1 로 로그인했습니다: %2").arg(masked(s.LoginId), described))
            .elapsedMs = ms;
        m_loggedIn = true;
    }

    // ---- member table ----------------------------------------------------

    void skipTable(const QString& why, const QStringList& ids) {
        for (const QString& id : ids) {
            add(id, CheckArea::MemberTable, tableTitle(id), Verdict::Skipped, why);
        }
    }

    static QString tableTitle(const QString& id) {
        if (id == QLatin1String("table.present")) {
            return QStringLiteral("회원관리 테이블");
        }
        if (id == QLatin1String("table.columns")) {
            return QStringLiteral("회원관리 열");
        }
        if (id == QLatin1String("table.key")) {
            return QStringLiteral("회원관리 고유 키");
        }
        if (id == QLatin1String("table.select")) {
            return QStringLiteral("조회 (SELECT)");
        }
        if (id == QLatin1String("table.insert")) {
            return QStringLiteral("새 회원 저장 (INSERT)");
        }
        return QStringLiteral("덮어쓰기 (UPDATE)");
    }

    void checkMemberTable() {
        const QStringList all{QStringLiteral("table.present"), QStringLiteral("table.columns"),
                              QStringLiteral("table.key"),     QStringLiteral("table.select"),
                              QStringLiteral("table.insert"),  QStringLiteral("table.update")};
        if (!m_loggedIn) {
            skipTable(QStringLiteral("서버에 로그인하지 못했습니다"), all);
            return;
        }
        QList<OdbcConnection::Column> columns;
        try {
            columns = StoreDb.columns(MemberTable);
        } catch (const OdbcError& error) {
            add(QStringLiteral("table.present"), CheckArea::MemberTable, tableTitle(all[0]),
                Verdict::Failure,
                QStringLiteral("열 목록을 읽을 수 없습니다: %1").arg(error.description()));
            skipTable(QStringLiteral("테이블을 읽지 못했습니다"), all.mid(1));
            CloseStoreDb();
            return;
        }
        if (columns.isEmpty()) {
            add(QStringLiteral("table.present"), CheckArea::MemberTable, tableTitle(all[0]),
                Verdict::Failure,
                QStringLiteral("DB %1 에 회원관리 테이블이 없습니다 (이 로그인으로 보이지 "
                               "않습니다)")
                    .arg(m_settings->DbName),
                QStringLiteral("db/sql/회원관리_sqlserver.sql 을 실행하세요"));
            skipTable(QStringLiteral("테이블이 없습니다"), all.mid(1));
            CloseStoreDb();
            return;
        }
        add(QStringLiteral("table.present"), CheckArea::MemberTable, tableTitle(all[0]),
            Verdict::Ok, QStringLiteral("있습니다 (열 %1개)").arg(columns.size()));
        checkColumns(columns);
        checkKey();
        probeStatements();
        CloseStoreDb();
    }

    void checkColumns(const QList<OdbcConnection::Column>& columns) {
        struct Need {
            QString name;
            bool binary;
            qint64 minSize; // what the station writes at most, for text
            bool sizeFails; // a shorter column breaks every save
        };
        const QList<Need> needs{
            {MemberCol::StoreCode, false, 4, true}, {MemberCol::Phone, false, 13, true},
            {MemberCol::Name, false, 50, false},    {MemberCol::Address, false, 50, false},
            {MemberCol::Gender, false, 1, true},    {MemberCol::Photo, true, 0, false},
        };
        QStringList failures;
        QStringList warnings;
        QStringList found;
        for (const Need& need : needs) {
            const auto it =
                std::find_if(columns.begin(), columns.end(), [&](const OdbcConnection::Column& c) {
                    return c.name.compare(need.name, Qt::CaseInsensitive) == 0;
                });
            if (it == columns.end()) {
                failures << QStringLiteral("%1 열이 없습니다").arg(need.name);
                continue;
            }
            found << (it->size > 0 && !need.binary
                          ? QStringLiteral("%1 %2(%3)").arg(it->name, it->typeName).arg(it->size)
                          : QStringLiteral("%1 %2").arg(it->name, it->typeName));
            if (need.binary && !IsBinaryType(it->dataType)) {
                failures << QStringLiteral("%1 은(는) 바이너리가 아닙니다 (%2)")
                                .arg(need.name, it->typeName);
            } else if (!need.binary && !IsTextType(it->dataType)) {
                failures << QStringLiteral("%1 은(는) 문자열이 아닙니다 (%2)")
                                .arg(need.name, it->typeName);
            } else if (!need.binary && it->size > 0 && it->size < need.minSize) {
                (need.sizeFails ? failures : warnings)
                    << QStringLiteral("%1 은(는) %2자까지만 받습니다 (%3자 필요)")
                           .arg(need.name)
                           .arg(it->size)
                           .arg(need.minSize);
            }
        }
        const QString title = tableTitle(QStringLiteral("table.columns"));
        if (!failures.isEmpty()) {
            add(QStringLiteral("table.columns"), CheckArea::MemberTable, title, Verdict::Failure,
                (failures + warnings).join(QStringLiteral("; ")),
                QStringLiteral("회원관리를 db/sql/회원관리_sqlserver.sql 의 열과 같게 고치세요"));
        } else if (!warnings.isEmpty()) {
            add(QStringLiteral("table.columns"), CheckArea::MemberTable, title, Verdict::Warning,
                warnings.join(QStringLiteral("; ")),
                QStringLiteral("긴 이름·주소가 저장되지 않을 수 있습니다: 열을 넓히세요"));
        } else {
            add(QStringLiteral("table.columns"), CheckArea::MemberTable, title, Verdict::Ok,
                found.join(QStringLiteral(", ")));
        }
    }

    void checkKey() {
        const QString title = tableTitle(QStringLiteral("table.key"));
        QList<QStringList> keys;
        try {
            keys = StoreDb.uniqueKeys(MemberTable);
        } catch (const OdbcError& error) {
            add(QStringLiteral("table.key"), CheckArea::MemberTable, title, Verdict::Warning,
                QStringLiteral("키 목록을 읽을 수 없습니다: %1").arg(error.description()));
            return;
        }
        const auto isMemberKey = [](QStringList key) {
            for (QString& column : key) {
                column = column.toLower();
            }
            key.sort();
            QStringList want{MemberCol::StoreCode.toLower(), MemberCol::Phone.toLower()};
            want.sort();
            return key == want;
        };
        if (std::any_of(keys.begin(), keys.end(), isMemberKey)) {
            add(QStringLiteral("table.key"), CheckArea::MemberTable, title, Verdict::Ok,
                QStringLiteral("(매장코드, 회원휴대폰번호) 고유 키가 있습니다"));
            return;
        }
        add(QStringLiteral("table.key"), CheckArea::MemberTable, title, Verdict::Failure,
            QStringLiteral("(매장코드, 회원휴대폰번호) 고유 키가 없습니다: 같은 번호가 두 번 "
                           "저장될 수 있습니다"),
            QStringLiteral("ALTER TABLE 회원관리 ADD CONSTRAINT UQ_회원관리_매장코드_"
                           "회원휴대폰번호 UNIQUE (매장코드, 회원휴대폰번호)"));
    }

    QString grantAction(const QString& privilege) const {
        return QStringLiteral("서버에서: GRANT %1 ON 회원관리 TO %2")
            .arg(privilege, m_settings->LoginId);
    }

    // The station's own statements, each run in a transaction that is rolled
    // back: the lookup, a new member's save and its overwrite.
    void probeStatements() {
        const CheckArea area = CheckArea::MemberTable;
        const QString store = m_settings->StoreCode;
        QString number;
        try {
            RolledBackTransaction transaction(StoreDb);
            for (int i = 0; i < 100 && number.isEmpty(); ++i) {
                const QString candidate =
                    QStringLiteral("010-0000-%1").arg(i, 4, 10, QLatin1Char('0'));
                OdbcRecordset set;
                OpenMemberLookup(set, store, candidate);
                if (set.isEof()) {
                    number = candidate;
                }
            }
            add(QStringLiteral("table.select"), area, tableTitle(QStringLiteral("table.select")),
                Verdict::Ok, QStringLiteral("스테이션의 조회 문장이 실행됩니다"));
        } catch (const OdbcError& error) {
            add(QStringLiteral("table.select"), area, tableTitle(QStringLiteral("table.select")),
                Verdict::Failure, error.description(), grantAction(QStringLiteral("SELECT")));
            skipTable(QStringLiteral("조회하지 못했습니다"),
                      {QStringLiteral("table.insert"), QStringLiteral("table.update")});
            return;
        }
        if (number.isEmpty()) {
            skipTable(QStringLiteral("시험용 번호 010-0000-0000..0099 가 모두 쓰이고 있습니다"),
                      {QStringLiteral("table.insert"), QStringLiteral("table.update")});
            return;
        }
        const MemberEntry probe{store, number, QStringLiteral("설치점검"), QStringLiteral("남"),
                                QStringLiteral("설치점검")};
        const QByteArray photo("\xFF\xD8\xFF\xE0 station-check \xFF\xD9", 21);
        // The lines wait for the rollback: only one that succeeded undid
        // the probe row.
        bool inserted = false;
        bool updated = false;
        std::optional<OdbcError> failed;
        std::optional<OdbcError> rollbackFailed;
        try {
            RolledBackTransaction transaction(StoreDb);
            try {
                {
                    OdbcRecordset set;
                    OpenMemberForSave(set, store, number);
                    set.addNew();
                    WriteMember(set, probe);
                    set.field(MemberCol::Photo).setBytes(photo);
                    set.update();
                }
                inserted = true;
                OdbcRecordset set;
                OpenMemberForSave(set, store, number);
                if (set.isEof()) {
                    throw OdbcError(QStringLiteral("저장한 행을 다시 찾지 못했습니다"));
                }
                set.field(MemberCol::Name).setText(QStringLiteral("설치점검2"));
                set.field(MemberCol::Photo).setBytes(photo);
                set.update();
                updated = true;
            } catch (const OdbcError& error) {
                failed = error;
            }
            rollbackFailed = rollBack(transaction, inserted ? number : QString());
        } catch (const OdbcError& error) {
            failed = error; // autocommit could not be turned off
        }
        const QString undone = rollbackFailed ? QString() : QStringLiteral(" (되돌렸습니다)");
        if (inserted) {
            add(QStringLiteral("table.insert"), area, tableTitle(QStringLiteral("table.insert")),
                Verdict::Ok,
                QStringLiteral("%1 을(를) 사진과 함께 저장할 수 있습니다").arg(number) + undone);
            if (updated) {
                add(QStringLiteral("table.update"), area,
                    tableTitle(QStringLiteral("table.update")), Verdict::Ok,
                    QStringLiteral("덮어쓸 수 있습니다") + undone);
            } else {
                add(QStringLiteral("table.update"), area,
                    tableTitle(QStringLiteral("table.update")), Verdict::Failure,
                    failed->description(), grantAction(QStringLiteral("UPDATE")));
            }
            return;
        }
        add(QStringLiteral("table.insert"), area, tableTitle(QStringLiteral("table.insert")),
            Verdict::Failure, failed->description(), grantAction(QStringLiteral("INSERT")));
        if (rollbackFailed) {
            return;
        }
        // Without a new row, the photo removal statement proves the right to
        // change rows: it matches nothing.
        try {
            RolledBackTransaction transaction(StoreDb);
            RemoveMemberPhoto(store, number);
            const bool rolledBack = !rollBack(transaction, QString());
            add(QStringLiteral("table.update"), area, tableTitle(QStringLiteral("table.update")),
                Verdict::Ok,
                QStringLiteral("사진 삭제 문장이 실행됩니다") +
                    (rolledBack ? QStringLiteral(" (되돌렸습니다)") : QString()));
        } catch (const OdbcError& error) {
            add(QStringLiteral("table.update"), area, tableTitle(QStringLiteral("table.update")),
                Verdict::Failure, error.description(), grantAction(QStringLiteral("UPDATE")));
        }
    }

    // Rolls the probe back; a failure is a line of its own that names the
    // probe row `number` (when one was written) for the installer to remove.
    std::optional<OdbcError> rollBack(RolledBackTransaction& transaction, const QString& number) {
        try {
            transaction.rollback();
            return std::nullopt;
        } catch (const OdbcError& error) {
            add(QStringLiteral("table.rollback"), CheckArea::MemberTable,
                QStringLiteral("시험 저장 되돌리기"), Verdict::Failure,
                QStringLiteral("되돌리지 못했습니다: %1").arg(error.description()),
                number.isEmpty()
                    ? QString()
                    : QStringLiteral("회원관리에 매장코드 %1, 회원휴대폰번호 %2 인 시험 행 "
                                     "(회원명 설치점검) 이 남아 있으면 지우세요")
                          .arg(m_settings->StoreCode, number));
            return error;
        }
    }

    // ---- program folder --------------------------------------------------

    void checkProgramFolder() {
        const CheckArea area = CheckArea::ProgramFolder;
        const QString who = CurrentUserName();
        const QFileInfo info(m_folder);
        if (!info.isDir()) {
            add(QStringLiteral("folder.program"), area, QStringLiteral("프로그램 폴더"),
                Verdict::Failure, QStringLiteral("%1 은(는) 폴더가 아닙니다").arg(m_folder));
            return;
        }
        {
            QTemporaryFile probe(path(QStringLiteral(".station-check-XXXXXX")));
            if (probe.open()) {
                // Root writes anywhere: only the group check below speaks for
                // the operator then.
                add(QStringLiteral("folder.program"), area, QStringLiteral("프로그램 폴더"),
                    Verdict::Ok,
                    QStringLiteral("%1 이(가) 쓸 수 있습니다: %2")
                        .arg(who, QDir::toNativeSeparators(m_folder)),
                    CurrentUserIsAdministrator()
                        ? QStringLiteral("운영자 계정으로도 실행해 보세요 (sudo -u <운영자> %1)")
                              .arg(
                                  QDir::toNativeSeparators(QCoreApplication::applicationFilePath()))
                        : QString());
            } else {
                add(QStringLiteral("folder.program"), area, QStringLiteral("프로그램 폴더"),
                    Verdict::Failure,
                    QStringLiteral("%1 이(가) %2 에 쓸 수 없습니다: %3")
                        .arg(who, QDir::toNativeSeparators(m_folder), probe.errorString()),
                    AdviceText(Advice::FolderNotWritable, QDir::toNativeSeparators(m_folder)));
            }
        }
        const QString folderProblem = OperatorGroupProblem(m_folder, true);
        if (!folderProblem.isEmpty()) {
            add(QStringLiteral("folder.group"), area, QStringLiteral("프로그램 폴더 권한"),
                Verdict::Warning, folderProblem,
                QStringLiteral("chgrp %1 <폴더>; chmod g+rwxs <폴더>").arg(OperatorGroupName));
        }
        checkSubfolder(QStringLiteral("회원사진"), QStringLiteral("folder.photos"));
        checkSubfolder(QStringLiteral("ERROR_LOG"), QStringLiteral("folder.errorlog"));
        checkDiskSpace();
        checkRunningCopy();
    }

    void checkSubfolder(const QString& name, const QString& id) {
        const CheckArea area = CheckArea::ProgramFolder;
        const QString dir = path(name);
        const QString shown = QDir::toNativeSeparators(dir);
        const QString who = CurrentUserName();
        const QFileInfo info(dir);
        if (info.exists() && !info.isDir()) {
            add(id, area, name, Verdict::Failure,
                QStringLiteral("%1 이(가) 폴더가 아닌 파일입니다").arg(shown),
                QStringLiteral("파일을 지우세요 (스테이션이 폴더를 만듭니다)"));
            return;
        }
        if (!info.exists()) {
            std::error_code error;
            const std::filesystem::path fsPath(dir.toStdU16String());
            if (!std::filesystem::create_directory(fsPath, error)) {
                add(id, area, name, Verdict::Failure,
                    QStringLiteral("%1 이(가) %2 을(를) 만들 수 없습니다: %3")
                        .arg(who, shown, QString::fromLocal8Bit(error.message())),
                    AdviceText(Advice::FolderNotWritable, QDir::toNativeSeparators(m_folder)));
                return;
            }
            std::filesystem::remove(fsPath, error);
            add(id, area, name, Verdict::Ok,
                QStringLiteral("%1 이(가) 만들 수 있습니다 (아직 없음)").arg(who));
            return;
        }
        QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".station-check-XXXXXX")));
        if (!probe.open()) {
            add(id, area, name, Verdict::Failure,
                QStringLiteral("%1 이(가) %2 에 쓸 수 없습니다: %3")
                    .arg(who, shown, probe.errorString()),
                AdviceText(Advice::SubfolderNotWritable, shown));
            return;
        }
        const QString problem = OperatorGroupProblem(dir, true);
        if (!problem.isEmpty()) {
            add(id, area, name, Verdict::Warning, problem,
                AdviceText(Advice::SubfolderNotWritable, shown));
            return;
        }
        add(id, area, name, Verdict::Ok, QStringLiteral("%1 이(가) 쓸 수 있습니다").arg(who));
    }

    void checkDiskSpace() {
        const CheckArea area = CheckArea::ProgramFolder;
        const QStorageInfo storage(m_folder);
        const qint64 free = storage.bytesAvailable();
        const QString amount = QStringLiteral("%1 MB 남음 (%2)")
                                   .arg(free / (1024 * 1024))
                                   .arg(QDir::toNativeSeparators(storage.rootPath()));
        // A photo is about 50 KB; a day's error log a few KB.
        if (free >= 0 && free < 1024 * 1024) {
            add(QStringLiteral("folder.space"), area, QStringLiteral("디스크 여유 공간"),
                Verdict::Failure, amount + QStringLiteral(": 사진을 저장할 수 없습니다"),
                QStringLiteral("디스크 공간을 비우세요"));
        } else if (free >= 0 && free < 50 * 1024 * 1024) {
            add(QStringLiteral("folder.space"), area, QStringLiteral("디스크 여유 공간"),
                Verdict::Warning, amount, QStringLiteral("디스크 공간을 비우세요"));
        } else {
            add(QStringLiteral("folder.space"), area, QStringLiteral("디스크 여유 공간"),
                Verdict::Ok, amount);
        }
    }

    void checkRunningCopy() {
        // The station's own lock, of the folder checked.
        SingleInstance instance(SingleInstanceLockPath(m_folder));
        if (instance.acquire()) {
            add(QStringLiteral("folder.lock"), CheckArea::ProgramFolder,
                QStringLiteral("실행 중인 스테이션"), Verdict::Ok, QStringLiteral("없습니다"));
        } else {
            add(QStringLiteral("folder.lock"), CheckArea::ProgramFolder,
                QStringLiteral("실행 중인 스테이션"), Verdict::Warning,
                QStringLiteral("이 스테이션이 이미 실행 중입니다: 두 번째는 시작되지 "
                               "않습니다"),
                QStringLiteral("열려 있는 창을 쓰세요"));
        }
    }

    QString m_folder;
    CheckReport m_report;
    std::optional<StationSettings> m_settings;
    QString m_driverKind;
    bool m_driverUsable = false;
    bool m_loggedIn = false;
};

} // namespace

CheckReport RunInstallCheck(const QString& programFolder) {
    return Checker(QDir(programFolder).absolutePath()).run();
}
