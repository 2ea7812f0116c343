#include "installcheck/settingscheck.h"

#include "config/settingsfile.h"
#include "db/storedb.h"
#include "installcheck/platformaccess.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

const QString DoorFileName = QStringLiteral("출입문설정.CFG");

const QString RerunSettings =
    QStringLiteral("환경설정.CFG 를 지우고 member-station 을 시작해 설정 화면에서 다시 저장하세요");

bool isStationFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden();
}

void checkSettingValues(CheckRun& run, const StationSettings& s) {
    const CheckArea area = CheckArea::Settings;
    const bool storeOk =
        s.StoreCode.size() == 4 && std::all_of(s.StoreCode.begin(), s.StoreCode.end(),
                                               [](QChar c) { return c >= u'0' && c <= u'9'; });
    run.add(QStringLiteral("settings.store"), area, QStringLiteral("매장코드"),
            storeOk ? Verdict::Ok : Verdict::Failure,
            storeOk ? s.StoreCode
                    : QStringLiteral("\"%1\": 4 자리 숫자가 아닙니다").arg(s.StoreCode),
            storeOk ? QString() : RerunSettings);

    bool portNumber = false;
    const int port = s.ServerPort.toInt(&portNumber);
    if (s.ServerIp.isEmpty()) {
        run.add(QStringLiteral("settings.server"), area, QStringLiteral("서버 주소"),
                Verdict::Failure, QStringLiteral("서버 주소가 비어 있습니다"), RerunSettings);
    } else if (!s.ServerPort.isEmpty() && (!portNumber || port < 1 || port > 65535)) {
        run.add(QStringLiteral("settings.server"), area, QStringLiteral("서버 주소"),
                Verdict::Failure,
                QStringLiteral("포트 \"%1\" 은(는) 포트 번호가 아닙니다").arg(s.ServerPort),
                RerunSettings);
    } else {
        run.add(QStringLiteral("settings.server"), area, QStringLiteral("서버 주소"), Verdict::Ok,
                QStringLiteral("%1, 포트 %2, DB종류 %3, DB명 %4")
                    .arg(s.ServerIp,
                         s.ServerPort.isEmpty() ? QStringLiteral("1433 (비어 있음)") : s.ServerPort,
                         s.DbKind, s.DbName));
    }

    // A login that does not decode reads as empty (the reader logs why).
    if (s.LoginId.isEmpty()) {
        run.add(QStringLiteral("settings.login"), area, QStringLiteral("접속 계정"),
                Verdict::Failure, QStringLiteral("접속 아이디가 비어 있거나 해독되지 않습니다"),
                RerunSettings);
    } else {
        const bool noPassword = s.LoginPassword.isEmpty();
        run.add(QStringLiteral("settings.login"), area, QStringLiteral("접속 계정"),
                noPassword ? Verdict::Warning : Verdict::Ok,
                QStringLiteral("아이디 %1, 비밀번호 %2")
                    .arg(MaskedLogin(s.LoginId),
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
        run.add(QStringLiteral("settings.connection"), area, QStringLiteral("서버 접속 값"),
                Verdict::Failure, problem, RerunSettings);
    }

    const bool posOk = s.PosId.size() == 2;
    run.add(QStringLiteral("settings.pos"), area, QStringLiteral("POS번호"),
            posOk ? Verdict::Ok : Verdict::Warning,
            posOk ? s.PosId : QStringLiteral("\"%1\": 2 자리가 아닙니다").arg(s.PosId),
            posOk ? QString() : QStringLiteral("설정 화면에서 2 자리로 다시 저장하세요"));
}

} // namespace

void CheckSettings(CheckRun& run) {
    const CheckArea area = CheckArea::Settings;
    const QString file = run.path(SettingsFileName);
    const QString title = QStringLiteral("환경설정 파일");
    if (!isStationFile(file)) {
        run.add(QStringLiteral("settings.file"), area, title, Verdict::Failure,
                QStringLiteral("%1 이(가) 없습니다").arg(QDir::toNativeSeparators(file)),
                QStringLiteral("member-station 을 시작해 설정 화면에서 입력하고 저장하세요"));
        return;
    }
    StationSettings read;
    QString error;
    switch (ReadSettingsFile(file, read, &error)) {
    case SettingsReadResult::Missing:
        run.add(QStringLiteral("settings.file"), area, title, Verdict::Failure,
                QStringLiteral("%1 이(가) 없습니다").arg(QDir::toNativeSeparators(file)),
                QStringLiteral("member-station 을 시작해 설정 화면에서 입력하고 저장하세요"));
        return;
    case SettingsReadResult::TooFewLines:
        run.add(QStringLiteral("settings.file"), area, title, Verdict::Failure,
                QStringLiteral("8줄이 되지 않습니다 (줄 끝은 CR LF 여야 합니다)"), RerunSettings);
        return;
    case SettingsReadResult::Unreadable:
        if (QFileInfo(file).isReadable() || CurrentUserIsAdministrator()) {
            run.add(QStringLiteral("settings.file"), area, title, Verdict::Failure,
                    QStringLiteral("읽을 수 없는 파일입니다: %1").arg(error), RerunSettings);
        } else {
            run.add(QStringLiteral("settings.file"), area, title, Verdict::Failure,
                    QStringLiteral("현재 사용자 %1 이(가) 읽을 수 없습니다: %2")
                        .arg(CurrentUserName(), error),
                    AdviceText(Advice::SettingsUnreadable, QDir::toNativeSeparators(file)));
        }
        return;
    case SettingsReadResult::Ok:
        break;
    }
    run.add(QStringLiteral("settings.file"), area, title, Verdict::Ok,
            QStringLiteral("8줄을 읽었습니다 (현재 사용자 %1)").arg(CurrentUserName()));
    const QString groupProblem = OperatorGroupProblem(file, false);
    if (!groupProblem.isEmpty()) {
        run.add(
            QStringLiteral("settings.group"), area, QStringLiteral("환경설정 파일 권한"),
            Verdict::Warning,
            groupProblem + QStringLiteral(": 다른 운영자 계정으로는 시작하지 못합니다"),
            QStringLiteral("chgrp %1 환경설정.CFG; chmod 640 환경설정.CFG").arg(OperatorGroupName));
    }
    checkSettingValues(run, read);
    run.settings = read;
}

void CheckDoorFile(CheckRun& run) {
    const QString file = run.path(DoorFileName);
    if (isStationFile(file)) {
        run.add(QStringLiteral("door.file"), CheckArea::DoorFile,
                QStringLiteral("출입문 설정 파일"), Verdict::Ok, QStringLiteral("있습니다"));
    } else {
        run.add(QStringLiteral("door.file"), CheckArea::DoorFile,
                QStringLiteral("출입문 설정 파일"), Verdict::Failure,
                QStringLiteral("%1 이(가) 없습니다").arg(QDir::toNativeSeparators(file)),
                QStringLiteral("출입 시스템의 출입문설정.CFG 를 프로그램 폴더에 복사하세요 "
                               "(빈 파일도 됩니다)"));
    }
}
