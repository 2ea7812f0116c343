#include "installcheck/servercheck.h"

#include "db/storedb.h"
#include "installcheck/odbcprobe.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QHostInfo>
#include <QTcpSocket>
#include <QTimer>

namespace {

// How long the name lookup and the TCP connect may take: the station's own
// login limit, which covers both inside the driver.
constexpr int NetworkLimitMs = StoreLoginTimeoutSeconds * 1000;

QString shortError(const QString& description) {
    return description.simplified();
}

void skipServer(CheckRun& run, const QString& why) {
    const CheckArea area = CheckArea::Server;
    run.add(QStringLiteral("server.name"), area, QStringLiteral("서버 이름"), Verdict::Skipped,
            why);
    run.add(QStringLiteral("server.port"), area, QStringLiteral("서버 포트"), Verdict::Skipped,
            why);
    run.add(QStringLiteral("server.login"), area, QStringLiteral("서버 로그인"), Verdict::Skipped,
            why);
}

void checkReachable(CheckRun& run, const StationSettings& s) {
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
            ? run.add(QStringLiteral("server.name"), area, QStringLiteral("서버 이름"),
                      Verdict::Failure,
                      QStringLiteral("%1 을(를) 찾을 수 없습니다: %2").arg(host, lookupError),
                      QStringLiteral("설정의 서버 주소와 이 PC의 DNS 설정을 확인하세요"))
            : run.add(QStringLiteral("server.name"), area, QStringLiteral("서버 이름"), Verdict::Ok,
                      QStringLiteral("%1 → %2").arg(host, addresses.first().toString()));
    name.elapsedMs = timer.elapsed();
    if (addresses.isEmpty()) {
        run.add(QStringLiteral("server.port"), area, QStringLiteral("서버 포트"), Verdict::Skipped,
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
        line = &run.add(QStringLiteral("server.port"), area, QStringLiteral("서버 포트"),
                        Verdict::Ok, QStringLiteral("%1 에 연결됩니다").arg(target));
        socket.abort();
    } else if (socket.error() == QAbstractSocket::ConnectionRefusedError) {
        line = &run.add(
            QStringLiteral("server.port"), area, QStringLiteral("서버 포트"), Verdict::Failure,
            QStringLiteral("%1 이(가) 연결을 거부합니다: %2").arg(target, socket.errorString()),
            QStringLiteral("SQL Server 가 이 포트에서 TCP 를 받는지(SQL Server "
                           "구성 관리자), 설정의 포트가 맞는지 확인하세요"));
    } else {
        line = &run.add(QStringLiteral("server.port"), area, QStringLiteral("서버 포트"),
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

void checkLogin(CheckRun& run, const StationSettings& s) {
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
        run.add(QStringLiteral("server.login"), CheckArea::Server, QStringLiteral("서버 로그인"),
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
    run.add(QStringLiteral("server.login"), CheckArea::Server, QStringLiteral("서버 로그인"),
            Verdict::Ok,
            QStringLiteral("%1 로 로그인했습니다: %2").arg(MaskedLogin(s.LoginId), described))
        .elapsedMs = ms;
    run.loggedIn = true;
}

} // namespace

void CheckServer(CheckRun& run) {
    if (!run.settings) {
        skipServer(run, QStringLiteral("환경설정을 읽지 못했습니다"));
        return;
    }
    if (!run.driverUsable) {
        skipServer(run, QStringLiteral("드라이버를 쓸 수 없습니다"));
        return;
    }
    const StationSettings& s = *run.settings;
    if (s.ServerIp.isEmpty()) {
        skipServer(run, QStringLiteral("서버 주소가 비어 있습니다"));
        return;
    }
    if (!StoreSettingsProblem(s.ServerIp, s.ServerPort, s.DbName, s.LoginId, s.LoginPassword)
             .isEmpty()) {
        skipServer(run, QStringLiteral("환경설정 값을 서버 접속에 쓸 수 없습니다"));
        return;
    }
    if (IsFileDatabaseDriver(run.driverKind)) {
        const QString why =
            QStringLiteral("%1 드라이버는 DB명의 파일을 씁니다").arg(run.driverKind);
        run.add(QStringLiteral("server.name"), CheckArea::Server, QStringLiteral("서버 이름"),
                Verdict::Skipped, why);
        run.add(QStringLiteral("server.port"), CheckArea::Server, QStringLiteral("서버 포트"),
                Verdict::Skipped, why);
    } else {
        checkReachable(run, s);
    }
    checkLogin(run, s);
}
