#include "installcheck/tablecheck.h"

#include "db/members.h"
#include "db/storedb.h"
#include "installcheck/odbcprobe.h"

#include <algorithm>
#include <optional>

namespace {

const QString MemberTable = QStringLiteral("회원관리");

QString tableTitle(const QString& id) {
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

void skipTable(CheckRun& run, const QString& why, const QStringList& ids) {
    for (const QString& id : ids) {
        run.add(id, CheckArea::MemberTable, tableTitle(id), Verdict::Skipped, why);
    }
}

void checkColumns(CheckRun& run, const QList<OdbcConnection::Column>& columns) {
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
            failures
                << QStringLiteral("%1 은(는) 문자열이 아닙니다 (%2)").arg(need.name, it->typeName);
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
        run.add(QStringLiteral("table.columns"), CheckArea::MemberTable, title, Verdict::Failure,
                (failures + warnings).join(QStringLiteral("; ")),
                QStringLiteral("회원관리를 db/sql/회원관리_sqlserver.sql 의 열과 같게 고치세요"));
    } else if (!warnings.isEmpty()) {
        run.add(QStringLiteral("table.columns"), CheckArea::MemberTable, title, Verdict::Warning,
                warnings.join(QStringLiteral("; ")),
                QStringLiteral("긴 이름·주소가 저장되지 않을 수 있습니다: 열을 넓히세요"));
    } else {
        run.add(QStringLiteral("table.columns"), CheckArea::MemberTable, title, Verdict::Ok,
                found.join(QStringLiteral(", ")));
    }
}

void checkKey(CheckRun& run) {
    const QString title = tableTitle(QStringLiteral("table.key"));
    QList<QStringList> keys;
    try {
        keys = StoreDb.uniqueKeys(MemberTable);
    } catch (const OdbcError& error) {
        run.add(QStringLiteral("table.key"), CheckArea::MemberTable, title, Verdict::Warning,
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
        run.add(QStringLiteral("table.key"), CheckArea::MemberTable, title, Verdict::Ok,
                QStringLiteral("(매장코드, 회원휴대폰번호) 고유 키가 있습니다"));
        return;
    }
    run.add(QStringLiteral("table.key"), CheckArea::MemberTable, title, Verdict::Failure,
            QStringLiteral("(매장코드, 회원휴대폰번호) 고유 키가 없습니다: 같은 번호가 두 번 "
                           "저장될 수 있습니다"),
            QStringLiteral("ALTER TABLE 회원관리 ADD CONSTRAINT UQ_회원관리_매장코드_"
                           "회원휴대폰번호 UNIQUE (매장코드, 회원휴대폰번호)"));
}

QString grantAction(const CheckRun& run, const QString& privilege) {
    return QStringLiteral("서버에서: GRANT %1 ON 회원관리 TO %2")
        .arg(privilege, run.settings->LoginId);
}

// Rolls the probe back; a failure is a line of its own that names the
// probe row `number` (when one was written) for the installer to remove.
std::optional<OdbcError> rollBack(CheckRun& run, RolledBackTransaction& transaction,
                                  const QString& number) {
    try {
        transaction.rollback();
        return std::nullopt;
    } catch (const OdbcError& error) {
        run.add(QStringLiteral("table.rollback"), CheckArea::MemberTable,
                QStringLiteral("시험 저장 되돌리기"), Verdict::Failure,
                QStringLiteral("되돌리지 못했습니다: %1").arg(error.description()),
                number.isEmpty()
                    ? QString()
                    : QStringLiteral("회원관리에 매장코드 %1, 회원휴대폰번호 %2 인 시험 행 "
                                     "(회원명 설치점검) 이 남아 있으면 지우세요")
                          .arg(run.settings->StoreCode, number));
        return error;
    }
}

// The station's own statements, each run in a transaction that is rolled
// back: the lookup, a new member's save and its overwrite.
void probeStatements(CheckRun& run) {
    const CheckArea area = CheckArea::MemberTable;
    const QString store = run.settings->StoreCode;
    QString number;
    try {
        RolledBackTransaction transaction(StoreDb);
        for (int i = 0; i < 100 && number.isEmpty(); ++i) {
            const QString candidate = QStringLiteral("010-0000-%1").arg(i, 4, 10, QLatin1Char('0'));
            OdbcRecordset set;
            OpenMemberLookup(set, store, candidate);
            if (set.isEof()) {
                number = candidate;
            }
        }
        run.add(QStringLiteral("table.select"), area, tableTitle(QStringLiteral("table.select")),
                Verdict::Ok, QStringLiteral("스테이션의 조회 문장이 실행됩니다"));
    } catch (const OdbcError& error) {
        run.add(QStringLiteral("table.select"), area, tableTitle(QStringLiteral("table.select")),
                Verdict::Failure, error.description(), grantAction(run, QStringLiteral("SELECT")));
        skipTable(run, QStringLiteral("조회하지 못했습니다"),
                  {QStringLiteral("table.insert"), QStringLiteral("table.update")});
        return;
    }
    if (number.isEmpty()) {
        skipTable(run, QStringLiteral("시험용 번호 010-0000-0000..0099 가 모두 쓰이고 있습니다"),
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
        rollbackFailed = rollBack(run, transaction, inserted ? number : QString());
    } catch (const OdbcError& error) {
        failed = error; // autocommit could not be turned off
    }
    const QString undone = rollbackFailed ? QString() : QStringLiteral(" (되돌렸습니다)");
    if (inserted) {
        run.add(QStringLiteral("table.insert"), area, tableTitle(QStringLiteral("table.insert")),
                Verdict::Ok,
                QStringLiteral("%1 을(를) 사진과 함께 저장할 수 있습니다").arg(number) + undone);
        if (updated) {
            run.add(QStringLiteral("table.update"), area,
                    tableTitle(QStringLiteral("table.update")), Verdict::Ok,
                    QStringLiteral("덮어쓸 수 있습니다") + undone);
        } else {
            run.add(QStringLiteral("table.update"), area,
                    tableTitle(QStringLiteral("table.update")), Verdict::Failure,
                    failed->description(), grantAction(run, QStringLiteral("UPDATE")));
        }
        return;
    }
    run.add(QStringLiteral("table.insert"), area, tableTitle(QStringLiteral("table.insert")),
            Verdict::Failure, failed->description(), grantAction(run, QStringLiteral("INSERT")));
    if (rollbackFailed) {
        return;
    }
    // Without a new row, the photo removal statement proves the right to
    // change rows: it matches nothing.
    try {
        RolledBackTransaction transaction(StoreDb);
        RemoveMemberPhoto(store, number);
        const bool rolledBack = !rollBack(run, transaction, QString());
        run.add(QStringLiteral("table.update"), area, tableTitle(QStringLiteral("table.update")),
                Verdict::Ok,
                QStringLiteral("사진 삭제 문장이 실행됩니다") +
                    (rolledBack ? QStringLiteral(" (되돌렸습니다)") : QString()));
    } catch (const OdbcError& error) {
        run.add(QStringLiteral("table.update"), area, tableTitle(QStringLiteral("table.update")),
                Verdict::Failure, error.description(), grantAction(run, QStringLiteral("UPDATE")));
    }
}

} // namespace

void CheckMemberTable(CheckRun& run) {
    const QStringList all{QStringLiteral("table.present"), QStringLiteral("table.columns"),
                          QStringLiteral("table.key"),     QStringLiteral("table.select"),
                          QStringLiteral("table.insert"),  QStringLiteral("table.update")};
    if (!run.loggedIn) {
        skipTable(run, QStringLiteral("서버에 로그인하지 못했습니다"), all);
        return;
    }
    QList<OdbcConnection::Column> columns;
    try {
        columns = StoreDb.columns(MemberTable);
    } catch (const OdbcError& error) {
        run.add(QStringLiteral("table.present"), CheckArea::MemberTable, tableTitle(all[0]),
                Verdict::Failure,
                QStringLiteral("열 목록을 읽을 수 없습니다: %1").arg(error.description()));
        skipTable(run, QStringLiteral("테이블을 읽지 못했습니다"), all.mid(1));
        CloseStoreDb();
        return;
    }
    if (columns.isEmpty()) {
        run.add(QStringLiteral("table.present"), CheckArea::MemberTable, tableTitle(all[0]),
                Verdict::Failure,
                QStringLiteral("DB %1 에 회원관리 테이블이 없습니다 (이 로그인으로 보이지 "
                               "않습니다)")
                    .arg(run.settings->DbName),
                QStringLiteral("db/sql/회원관리_sqlserver.sql 을 실행하세요"));
        skipTable(run, QStringLiteral("테이블이 없습니다"), all.mid(1));
        CloseStoreDb();
        return;
    }
    run.add(QStringLiteral("table.present"), CheckArea::MemberTable, tableTitle(all[0]),
            Verdict::Ok, QStringLiteral("있습니다 (열 %1개)").arg(columns.size()));
    checkColumns(run, columns);
    checkKey(run);
    probeStatements(run);
    CloseStoreDb();
}
