// Median times of the registration screen's data operations through the
// ODBC layer (db/members.h) beside the same statements issued with the
// shortest direct ODBC calls, in one run on one table. Prints one table.

#include "db/members.h"
#include "db/storedb.h"
#include "directodbc.h"
#include "support/odbc_fixture.h"
#include "timing.h"
#include "util/programwide.h"

#include <QCoreApplication>
#include <QTextStream>

#include <functional>
#include <vector>

namespace {

constexpr int Rounds = 100;
const QString Store = QStringLiteral("0001");

QString numberFor(int side, int i) {
    return QStringLiteral("010-%1%2-%3")
        .arg(side)
        .arg(i / 10000, 3, 10, QChar(u'0'))
        .arg(i % 10000, 4, 10, QChar(u'0'));
}

struct Row {
    QString operation;
    double layer;
    double direct;
};

Row measure(const QString& name, const std::function<void(int)>& layer,
            const std::function<void(int)>& direct) {
    const bench::Medians m = bench::alternate(Rounds, bench::whole(layer), bench::whole(direct));
    return {name, m.a, m.b};
}

std::vector<Row> runOn(odbcfixture::MemberTable& table) {
    StoreDb.open(table.connectionString());
    bench::DirectOdbc direct(table.connectionString());
    const QByteArray photo(100 * 1024, '\x5A');
    const QString known = QStringLiteral("010-9999-0000");
    const MemberEntry member{Store, known, QStringLiteral("홍길동"), QStringLiteral("남"),
                             QStringLiteral("서울시 강남구 역삼동")};
    auto save = [&](const MemberEntry& entry) {
        OdbcRecordset set;
        OpenMemberForSave(set, entry.storeCode, entry.phone);
        if (set.isEof()) {
            set.addNew();
        }
        WriteMember(set, entry);
        set.field(MemberCol::Photo).setBytes(photo);
        set.update();
    };
    save(member);

    std::vector<Row> rows;
    rows.push_back(measure(
        QStringLiteral("lookup (100 KB photo)"),
        [&](int) {
            OdbcRecordset set;
            OpenMemberLookup(set, Store, known);
            const MemberEntry read = ReadMember(set);
            const QByteArray bytes = set.field(MemberCol::Photo).bytes();
            Q_UNUSED(read);
            Q_UNUSED(bytes);
        },
        [&](int) { bench::bareLookup(direct, Store, known); }));
    rows.push_back(measure(
        QStringLiteral("new save with photo"),
        [&](int i) {
            save({Store, numberFor(1, i), member.name, member.gender, member.address});
        },
        [&](int i) {
            bench::bareNewSave(direct,
                               {Store, numberFor(2, i), member.name, member.gender, member.address},
                               photo);
        }));
    rows.push_back(measure(
        QStringLiteral("overwrite with photo"), [&](int) { save(member); },
        [&](int) { bench::bareOverwrite(direct, member, photo); }));
    rows.push_back(measure(
        QStringLiteral("photo removal"), [&](int i) { RemoveMemberPhoto(Store, numberFor(1, i)); },
        [&](int i) { bench::bareRemovePhoto(direct, Store, numberFor(2, i)); }));
    StoreDb.close();
    return rows;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString why = odbcfixture::prepareProcess();
    if (!why.isEmpty()) {
        qFatal("%s", qPrintable(why));
    }
    QTextStream out(stdout);
    out << QStringLiteral("%1 rounds per operation; median milliseconds; ratio = layer / direct\n")
               .arg(Rounds);
    out << QStringLiteral("%1 %2 %3 %4 %5\n")
               .arg(QStringLiteral("backend"), -11)
               .arg(QStringLiteral("operation"), -24)
               .arg(QStringLiteral("layer"), 8)
               .arg(QStringLiteral("direct"), 8)
               .arg(QStringLiteral("ratio"), 6);
    for (const auto backend : {odbcfixture::Backend::PostgreSQL, odbcfixture::Backend::SQLite}) {
        odbcfixture::MemberTable table(backend);
        if (!table.ready()) {
            out << odbcfixture::backendName(backend) << ": skipped, " << table.skipReason() << "\n";
            continue;
        }
        for (const Row& row : runOn(table)) {
            out << QStringLiteral("%1 %2 %3 %4 %5\n")
                       .arg(odbcfixture::backendName(backend), -11)
                       .arg(row.operation, -24)
                       .arg(row.layer, 8, 'f', 3)
                       .arg(row.direct, 8, 'f', 3)
                       .arg(row.layer / row.direct, 6, 'f', 2);
        }
    }
    return 0;
}
