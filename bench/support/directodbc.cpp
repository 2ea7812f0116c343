#include "directodbc.h"

#include <QtGlobal>

#include <algorithm>

#include <sql.h>
#include <sqlext.h>

namespace bench {

namespace {

SQLWCHAR* w(QString& s) {
    return reinterpret_cast<SQLWCHAR*>(s.data());
}

const QString InsertSql = QStringLiteral(
    "INSERT INTO 회원관리 (매장코드, 회원휴대폰번호, 회원명, 남여구분, 회원주소, 회원사진) "
    "VALUES (?, ?, ?, ?, ?, ?)");
const QString OverwriteSql = QStringLiteral(
    "UPDATE 회원관리 SET 매장코드 = ?, 회원휴대폰번호 = ?, 회원명 = ?, 남여구분 = ?, "
    "회원주소 = ?, 회원사진 = ? WHERE 매장코드 = ? AND 회원휴대폰번호 = ?");

void ok(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle) {
    if (SQL_SUCCEEDED(rc)) {
        return;
    }
    SQLWCHAR state[6] = {};
    SQLWCHAR message[512] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLGetDiagRecW(type, handle, 1, state, &native, message, 512, &length);
    qFatal("direct ODBC call failed: %s",
           qPrintable(QString::fromUtf16(reinterpret_cast<const char16_t*>(message))));
}

} // namespace

DirectOdbc::DirectOdbc(const QString& connectionString) : photo_(1 << 20, '\0'), text_(1024) {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    env_ = env;
    dbc_ = dbc;
    QString text = connectionString;
    ok(SQLDriverConnectW(dbc, nullptr, w(text), SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT),
       SQL_HANDLE_DBC, dbc);
}

DirectOdbc::~DirectOdbc() {
    SQLDisconnect(static_cast<SQLHDBC>(dbc_));
    SQLFreeHandle(SQL_HANDLE_DBC, static_cast<SQLHDBC>(dbc_));
    SQLFreeHandle(SQL_HANDLE_ENV, static_cast<SQLHENV>(env_));
}

bool DirectOdbc::run(const QString& sql, const std::vector<Value>& values, Fetch fetch) {
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, static_cast<SQLHDBC>(dbc_), &stmt);
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
        ok(rc, SQL_HANDLE_STMT, stmt);
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
                    SQLGetData(stmt, c, SQL_C_WCHAR, text_.data(),
                               SQLLEN(text_.size() * sizeof(char16_t)), &length);
                }
            }
        }
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return row;
}

using Fetch = DirectOdbc::Fetch;

void bareLookup(DirectOdbc& db, const QString& storeCode, const QString& storedNumber) {
    db.run(MemberLookupSql, {{storeCode}, {storedNumber}}, Fetch::FirstRowColumns);
}

void bareNewSave(DirectOdbc& db, const MemberEntry& m, const QByteArray& photo) {
    db.run(MemberDuplicateSql, {{m.storeCode}, {m.phone}}, Fetch::FirstRow);
    db.run(InsertSql, {{m.storeCode}, {m.phone}, {m.name}, {m.gender}, {m.address}, {{}, &photo}},
           Fetch::Nothing);
}

void bareOverwrite(DirectOdbc& db, const MemberEntry& m, const QByteArray& photo) {
    db.run(MemberDuplicateSql, {{m.storeCode}, {m.phone}}, Fetch::FirstRow);
    db.run(OverwriteSql,
           {{m.storeCode},
            {m.phone},
            {m.name},
            {m.gender},
            {m.address},
            {{}, &photo},
            {m.storeCode},
            {m.phone}},
           Fetch::Nothing);
}

void bareRemovePhoto(DirectOdbc& db, const QString& storeCode, const QString& storedNumber) {
    static const QByteArray empty("");
    db.run(MemberPhotoRemovalSql, {{{}, &empty}, {storeCode}, {storedNumber}}, Fetch::Nothing);
}

} // namespace bench
