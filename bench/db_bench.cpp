// Median times of the registration screen's data operations through the
// ODBC layer (db/members.h) beside the same statements issued with the
// shortest direct ODBC calls, in one run on one table. Prints one table.

#include "db/members.h"
#include "support/odbc_fixture.h"
#include "util/programwide.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include <sql.h>
#include <sqlext.h>

namespace {

constexpr int Rounds = 100;
const QString Store = QStringLiteral("0001");

QString numberFor(int side, int i) {
    return QStringLiteral("010-%1%2-%3")
        .arg(side)
        .arg(i / 10000, 3, 10, QChar(u'0'))
        .arg(i % 10000, 4, 10, QChar(u'0'));
}

// The direct side: one connection, raw handles, errors end the run.
class Direct {
public:
    explicit Direct(const QString& connectionString) {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_);
        SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_);
        QString text = connectionString;
        ok(SQLDriverConnectW(dbc_, nullptr, w(text), SQL_NTS, nullptr, 0, nullptr,
                             SQL_DRIVER_NOPROMPT));
        photo_.resize(1 << 20);
    }
    ~Direct() {
        SQLDisconnect(dbc_);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
        SQLFreeHandle(SQL_HANDLE_ENV, env_);
    }

    // A bound value: text, or bytes when `bytes` is set.
    struct Value {
        QString text;
        const QByteArray* bytes = nullptr;
    };
    enum class Fetch { Nothing, FirstRow, FirstRowColumns };

    // Runs one statement with its values bound; returns whether a row came.
    bool run(const QString& sql, const std::vector<Value>& values, Fetch fetch) {
        SQLHSTMT stmt = SQL_NULL_HSTMT;
        SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt);
        std::vector<SQLLEN> lengths(values.size());
        for (std::size_t i = 0; i < values.size(); ++i) {
            const Value& v = values[i];
            const auto n = SQLUSMALLINT(i + 1);
            if (v.bytes != nullptr) {
                lengths[i] = v.bytes->size();
                SQLBindParameter(stmt, n, SQL_PARAM_INPUT, SQL_C_BINARY, SQL_LONGVARBINARY,
                                 std::max<SQLULEN>(v.bytes->size(), 1), 0,
                                 const_cast<char*>(v.bytes->constData()), lengths[i], &lengths[i]);
            } else {
                lengths[i] = v.text.size() * 2;
                SQLBindParameter(stmt, n, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR,
                                 std::max<SQLULEN>(v.text.size(), 1), 0,
                                 const_cast<QChar*>(v.text.constData()), lengths[i], &lengths[i]);
            }
        }
        QString text = sql;
        const SQLRETURN rc = SQLExecDirectW(stmt, w(text), SQL_NTS);
        if (rc != SQL_NO_DATA) {
            ok(rc, stmt);
        }
        bool row = false;
        if (fetch != Fetch::Nothing) {
            row = SQLFetch(stmt) == SQL_SUCCESS;
            if (row && fetch == Fetch::FirstRowColumns) {
                SQLSMALLINT count = 0;
                SQLNumResultCols(stmt, &count);
                for (SQLUSMALLINT c = 1; c <= count; ++c) {
                    SQLLEN length = 0;
                    if (c == 6) {
                        SQLGetData(stmt, c, SQL_C_BINARY, photo_.data(), photo_.size(), &length);
                    } else {
                        SQLGetData(stmt, c, SQL_C_WCHAR, textBuffer_, sizeof(textBuffer_), &length);
                    }
                }
            }
        }
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        return row;
    }

private:
    static SQLWCHAR* w(QString& s) { return reinterpret_cast<SQLWCHAR*>(s.data()); }
    void ok(SQLRETURN rc, SQLHSTMT stmt = SQL_NULL_HSTMT) {
        if (!SQL_SUCCEEDED(rc)) {
            SQLWCHAR state[6] = {};
            SQLWCHAR message[512] = {};
            SQLINTEGER native = 0;
            SQLSMALLINT length = 0;
            if (stmt != SQL_NULL_HSTMT) {
                SQLGetDiagRecW(SQL_HANDLE_STMT, stmt, 1, state, &native, message, 512, &length);
            } else {
                SQLGetDiagRecW(SQL_HANDLE_DBC, dbc_, 1, state, &native, message, 512, &length);
            }
            qFatal("direct ODBC call failed: %s",
                   qPrintable(QString::fromUtf16(reinterpret_cast<const char16_t*>(message))));
        }
    }

    SQLHENV env_ = SQL_NULL_HENV;
    SQLHDBC dbc_ = SQL_NULL_HDBC;
    QByteArray photo_;
    SQLWCHAR textBuffer_[1024];
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Row {
    QString operation;
    double layer;
    double direct;
};

// Alternates the two sides, and which goes first, so that drift and
// after-effects (the server's background work) hit both alike.
Row measure(const QString& name, const std::function<void(int)>& layer,
            const std::function<void(int)>& direct) {
    std::vector<double> a;
    std::vector<double> b;
    for (int i = 0; i < Rounds; ++i) {
        const auto time = [i](const std::function<void(int)>& run, std::vector<double>& into) {
            QElapsedTimer timer;
            timer.start();
            run(i);
            into.push_back(double(timer.nsecsElapsed()) / 1e6);
        };
        if (i % 2 == 0) {
            time(layer, a);
            time(direct, b);
        } else {
            time(direct, b);
            time(layer, a);
        }
    }
    return {name, median(a), median(b)};
}

std::vector<Row> runOn(odbcfixture::MemberTable& table) {
    StoreDb.open(table.connectionString());
    Direct direct(table.connectionString());
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

    using Fetch = Direct::Fetch;
    const QString insert = QStringLiteral(
        "INSERT INTO 회원관리 (매장코드, 회원휴대폰번호, 회원명, 남여구분, 회원주소, 회원사진) "
        "VALUES (?, ?, ?, ?, ?, ?)");
    const QString overwrite = QStringLiteral(
        "UPDATE 회원관리 SET 매장코드 = ?, 회원휴대폰번호 = ?, 회원명 = ?, 남여구분 = ?, "
        "회원주소 = ?, 회원사진 = ? WHERE 매장코드 = ? AND 회원휴대폰번호 = ?");
    const QByteArray empty("");

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
        [&](int) {
            direct.run(MemberLookupSql, {{Store}, {known}}, Fetch::FirstRowColumns);
        }));
    rows.push_back(measure(
        QStringLiteral("new save with photo"),
        [&](int i) {
            save({Store, numberFor(1, i), member.name, member.gender, member.address});
        },
        [&](int i) {
            const QString phone = numberFor(2, i);
            direct.run(MemberDuplicateSql, {{Store}, {phone}}, Fetch::FirstRow);
            direct.run(
                insert,
                {{Store}, {phone}, {member.name}, {member.gender}, {member.address}, {{}, &photo}},
                Fetch::Nothing);
        }));
    rows.push_back(measure(
        QStringLiteral("overwrite with photo"), [&](int) { save(member); },
        [&](int) {
            direct.run(MemberDuplicateSql, {{Store}, {known}}, Fetch::FirstRow);
            direct.run(overwrite,
                       {{Store},
                        {known},
                        {member.name},
                        {member.gender},
                        {member.address},
                        {{}, &photo},
                        {Store},
                        {known}},
                       Fetch::Nothing);
        }));
    rows.push_back(measure(
        QStringLiteral("photo removal"), [&](int i) { RemoveMemberPhoto(Store, numberFor(1, i)); },
        [&](int i) {
            direct.run(MemberPhotoRemovalSql, {{{}, &empty}, {Store}, {numberFor(2, i)}},
                       Fetch::Nothing);
        }));
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
