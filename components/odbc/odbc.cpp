#include "components/odbc/odbc.h"

#include "components/odbc/processend.h"

#include <QMap>
#include <QRegularExpression>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

// clang-format off
#ifdef _WIN32
#include <windows.h> // sql.h needs the Windows types
#endif
#include <sql.h>
#include <sqlext.h>
// clang-format on

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the W API must use UTF-16 code units");

namespace {

SQLWCHAR* wide(QString& text) {
    return reinterpret_cast<SQLWCHAR*>(text.data());
}

QString fromWide(const SQLWCHAR* text, qsizetype length) {
    // Some driver managers report lengths in bytes of the driver's own
    // encoding; the text always ends at its terminator.
    qsizetype n = 0;
    while (n < length && text[n] != 0) {
        ++n;
    }
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text), n);
}

OdbcError diagnostics(SQLSMALLINT type, SQLHANDLE handle, const QString& fallback) {
    OdbcError error(fallback);
    bool any = false;
    for (SQLSMALLINT record = 1; handle != SQL_NULL_HANDLE; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLWCHAR text[2048] = {};
        SQLSMALLINT length = 0;
        const SQLRETURN rc = SQLGetDiagRecW(type, handle, record, state, &native, text,
                                            SQLSMALLINT(std::size(text)), &length);
        if (!SQL_SUCCEEDED(rc)) {
            break;
        }
        const qsizetype shown = qMin<qsizetype>(length, qsizetype(std::size(text)) - 1);
        if (!any) {
            error = OdbcError(QString());
            any = true;
        }
        error.addDiagnostic(fromWide(state, 5), fromWide(text, shown));
    }
    return error;
}

void check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const char* what) {
    if (!SQL_SUCCEEDED(rc)) {
        throw diagnostics(type, handle, QStringLiteral("%1 failed").arg(QLatin1String(what)));
    }
}

bool isBinaryType(SQLSMALLINT type) {
    return type == SQL_BINARY || type == SQL_VARBINARY || type == SQL_LONGVARBINARY;
}

QVariant nullOf(bool binary) {
    return binary ? QVariant(QMetaType::fromType<QByteArray>())
                  : QVariant(QMetaType::fromType<QString>());
}

bool holdsBytes(const QVariant& value) {
    return value.metaType() == QMetaType::fromType<QByteArray>();
}

} // namespace

// ---------------------------------------------------------------- OdbcError

OdbcError::OdbcError(const QString& message, const QString& sqlState)
    : description_(message), sqlState_(sqlState), message_(message) {
    if (!sqlState.isEmpty()) {
        description_ = QStringLiteral("%1 (SQLSTATE %2)").arg(message, sqlState);
    }
    utf8_ = description_.toUtf8();
}

void OdbcError::addDiagnostic(const QString& sqlState, const QString& message) {
    QString line = message.simplified();
    if (!sqlState.isEmpty()) {
        line += QStringLiteral(" (SQLSTATE %1)").arg(sqlState);
    }
    if (sqlState_.isEmpty() && message_.isEmpty()) {
        sqlState_ = sqlState;
        message_ = message;
    }
    description_ = description_.isEmpty() ? line : description_ + QStringLiteral(" / ") + line;
    utf8_ = description_.toUtf8();
}

// ------------------------------------------------- connection string values

namespace {

// unixODBC looks for the driver in a copy of the string narrowed to the low
// byte of each UTF-16 unit: U+AC3B reads as ";" there, U+AC7D as "}".
bool isSyntax(QChar c) {
    const char16_t low = c.unicode() & 0xff;
    return low == u';' || low == u'=' || low == u'{' || low == u'}';
}

} // namespace

QString OdbcConnectionValue(const QString& value) {
    if (value.isEmpty() || (!value.front().isSpace() && !value.back().isSpace() &&
                            std::none_of(value.begin(), value.end(), isSyntax))) {
        return value;
    }
    QString inner = value;
    inner.replace(QStringLiteral("}"), QStringLiteral("}}"));
    return u'{' + inner + u'}';
}

qsizetype OdbcConnectionValueBreak(const QString& value) {
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char16_t unit = value.at(i).unicode();
        // "}" itself too: FreeTDS ends a braced value at the first "};" and
        // keeps "}}" doubled, Windows' driver undoubles it, and which of them
        // stands behind "SQL Server" cannot be told from here. A unit that
        // reads as "}" in unixODBC's narrowed copy cannot be doubled at all.
        if (unit == 0 || (unit & 0xff) == u'}') {
            return i;
        }
    }
    return -1;
}

// ------------------------------------------------------------ the statement

namespace {

// The two handles of one connection, and whether it got connected.
struct Handles {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    bool connected = false;
    QString quote = QStringLiteral("\"");

    void free() noexcept {
        if (dbc != SQL_NULL_HDBC) {
            if (connected) {
                SQLDisconnect(dbc);
            }
            SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        }
        if (env != SQL_NULL_HENV) {
            SQLFreeHandle(SQL_HANDLE_ENV, env);
        }
        *this = Handles();
    }
};

// PostgreSQL's driver does not apply the statement timeout while it
// prepares a statement, and preparing waits for table locks: the server
// itself limits lock waits to the same time (lock_timeout: the driver
// manages statement_timeout itself).
void limitStatementsOnServer(SQLHDBC dbc, int queryTimeout) {
    SQLWCHAR name[64] = {};
    SQLSMALLINT length = 0;
    if (queryTimeout <= 0 ||
        !SQL_SUCCEEDED(SQLGetInfoW(dbc, SQL_DBMS_NAME, name, sizeof(name), &length)) ||
        fromWide(name, qsizetype(std::size(name))) != QStringLiteral("PostgreSQL")) {
        return;
    }
    SQLHSTMT statement = SQL_NULL_HSTMT;
    check(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &statement), SQL_HANDLE_DBC, dbc, "SQLAllocHandle");
    QString sql = QStringLiteral("SET lock_timeout = %1").arg(qint64(queryTimeout) * 1000);
    const SQLRETURN rc = SQLExecDirectW(statement, wide(sql), SQLINTEGER(sql.size()));
    const OdbcError error = diagnostics(SQL_HANDLE_STMT, statement, QStringLiteral("SET failed"));
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    if (!SQL_SUCCEEDED(rc)) {
        throw error;
    }
}

// Allocates and connects `h`; on a throw `h` holds what was made so far.
void connectHandles(Handles& h, int loginTimeout, int queryTimeout, QString text) {
    check(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &h.env), SQL_HANDLE_ENV, SQL_NULL_HANDLE,
          "SQLAllocHandle(SQL_HANDLE_ENV)");
    check(SQLSetEnvAttr(h.env, SQL_ATTR_ODBC_VERSION,
                        reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(SQL_OV_ODBC3)), 0),
          SQL_HANDLE_ENV, h.env, "SQLSetEnvAttr(SQL_ATTR_ODBC_VERSION)");
    check(SQLAllocHandle(SQL_HANDLE_DBC, h.env, &h.dbc), SQL_HANDLE_ENV, h.env,
          "SQLAllocHandle(SQL_HANDLE_DBC)");
    if (loginTimeout >= 0) {
        check(SQLSetConnectAttrW(
                  h.dbc, SQL_ATTR_LOGIN_TIMEOUT,
                  reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(loginTimeout)), 0),
              SQL_HANDLE_DBC, h.dbc, "SQLSetConnectAttr(SQL_ATTR_LOGIN_TIMEOUT)");
    }
    SQLWCHAR completed[1024] = {};
    SQLSMALLINT completedLength = 0;
    check(SQLDriverConnectW(h.dbc, nullptr, wide(text), SQLSMALLINT(text.size()), completed,
                            SQLSMALLINT(std::size(completed)), &completedLength,
                            SQL_DRIVER_NOPROMPT),
          SQL_HANDLE_DBC, h.dbc, "SQLDriverConnect");
    h.connected = true;

    SQLWCHAR quote[8] = {};
    SQLSMALLINT quoteLength = 0;
    if (SQL_SUCCEEDED(
            SQLGetInfoW(h.dbc, SQL_IDENTIFIER_QUOTE_CHAR, quote, sizeof(quote), &quoteLength))) {
        h.quote = fromWide(quote, qsizetype(std::size(quote))).trimmed();
    }
    limitStatementsOnServer(h.dbc, queryTimeout);
}

// Connection attempts given up on while the driver still had them. Never
// destroyed: their threads may return while the process is exiting.
struct AbandonedAttempts {
    std::mutex mutex;
    int pending = 0;
};

AbandonedAttempts& abandonedAttempts() {
    static auto* attempts = new AbandonedAttempts;
    return *attempts;
}

// One connect on a thread of its own. Whoever finishes second (the waiting
// caller on success or failure, the thread when the caller gave up) owns
// the handles.
struct Attempt {
    std::mutex mutex;
    std::condition_variable finishedChanged;
    bool finished = false;
    bool abandoned = false;
    Handles handles;
    std::optional<OdbcError> error;
};

Handles connectWithDeadline(int loginTimeout, int queryTimeout, const QString& text,
                            int deadlineMs) {
    auto attempt = std::make_shared<Attempt>();
    auto connect = [attempt, loginTimeout, queryTimeout, text] {
        Handles h;
        std::optional<OdbcError> error;
        try {
            connectHandles(h, loginTimeout, queryTimeout, text);
        } catch (const OdbcError& e) {
            error = e;
        } catch (const std::exception& e) {
            error = OdbcError(QString::fromUtf8(e.what()));
        }
        std::unique_lock<std::mutex> lock(attempt->mutex);
        if (!attempt->abandoned) {
            attempt->handles = h;
            attempt->error = std::move(error);
            attempt->finished = true;
            attempt->finishedChanged.notify_all();
            return;
        }
        lock.unlock();
        h.free();
        AbandonedAttempts& attempts = abandonedAttempts();
        const std::lock_guard<std::mutex> count(attempts.mutex);
        --attempts.pending;
    };
    std::thread worker;
    try {
        worker = std::thread(std::move(connect));
    } catch (const std::system_error& e) {
        throw OdbcError(QStringLiteral("The connection attempt could not start: %1")
                            .arg(QString::fromLocal8Bit(e.what())));
    }

    std::unique_lock<std::mutex> lock(attempt->mutex);
    if (!attempt->finishedChanged.wait_for(lock, std::chrono::milliseconds(deadlineMs),
                                           [&] { return attempt->finished; })) {
        attempt->abandoned = true;
        {
            const std::lock_guard<std::mutex> count(abandonedAttempts().mutex);
            ++abandonedAttempts().pending;
        }
        worker.detach();
        throw OdbcError(QStringLiteral("The server did not complete the connection within %1 s")
                            .arg(double(deadlineMs) / 1000.0),
                        QStringLiteral("HYT00"));
    }
    lock.unlock();
    // The thread has only to return: waiting for it means no thread of a
    // finished attempt outlives the call, and the process holds the same
    // threads (and on Windows, handles) after each connect as before it.
    worker.join();
    if (attempt->error) {
        attempt->handles.free();
        throw *attempt->error;
    }
    return attempt->handles;
}

} // namespace

struct OdbcConnection::Impl {
    Handles handles;
    int loginTimeout = -1;
    int queryTimeout = -1;
    int openDeadlineMs = 0;
    QString connectionString;
    QString redirect;
    QString lastOpenError;

    // Shorthands for the statements' use.
    SQLHDBC dbc() const { return handles.dbc; }
    const QString& quote() const { return handles.quote; }

    void release() noexcept { handles.free(); }

    void requireOpen() const {
        if (!handles.connected) {
            throw OdbcError(QStringLiteral("The connection to the database is not open"));
        }
    }
};

namespace {

// One statement handle with its bound values; the buffers live as long as
// the handle.
class Statement {
public:
    explicit Statement(OdbcConnection::Impl& connection) {
        connection.requireOpen();
        check(SQLAllocHandle(SQL_HANDLE_STMT, connection.dbc(), &handle_), SQL_HANDLE_DBC,
              connection.dbc(), "SQLAllocHandle");
        if (connection.queryTimeout >= 0) {
            const SQLRETURN rc = SQLSetStmtAttrW(
                handle_, SQL_ATTR_QUERY_TIMEOUT,
                reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(connection.queryTimeout)),
                0);
            check(rc, SQL_HANDLE_STMT, handle_, "SQLSetStmtAttr(SQL_ATTR_QUERY_TIMEOUT)");
        }
    }
    ~Statement() { SQLFreeHandle(SQL_HANDLE_STMT, handle_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    SQLHSTMT handle() const { return handle_; }

    void bind(const QVariantList& params) {
        // Reserved up front: the driver keeps pointers into these vectors.
        texts_.reserve(params.size());
        blobs_.reserve(params.size());
        numbers_.reserve(params.size());
        doubles_.reserve(params.size());
        lengths_.assign(params.size(), 0);
        for (qsizetype i = 0; i < params.size(); ++i) {
            bindOne(SQLUSMALLINT(i + 1), params[i], lengths_[std::size_t(i)]);
        }
    }

    // Returns SQL_SUCCESS, or SQL_NO_DATA for a searched UPDATE or DELETE
    // that matched nothing.
    SQLRETURN run(const QString& sql) {
        QString text = sql;
        const SQLRETURN rc = SQLExecDirectW(handle_, wide(text), SQLINTEGER(text.size()));
        if (rc == SQL_NO_DATA) {
            return rc;
        }
        check(rc, SQL_HANDLE_STMT, handle_, "SQLExecDirect");
        return SQL_SUCCESS;
    }

    qint64 rowCount() {
        SQLLEN rows = -1;
        check(SQLRowCount(handle_, &rows), SQL_HANDLE_STMT, handle_, "SQLRowCount");
        return rows;
    }

private:
    void bindOne(SQLUSMALLINT number, const QVariant& value, SQLLEN& length) {
        // Non-null pointers for empty values; drivers only read input values.
        static const char16_t emptyText[1] = {0};
        static const char emptyBytes[1] = {0};
        const QMetaType type = value.metaType();
        SQLRETURN rc = SQL_SUCCESS;
        if (type == QMetaType::fromType<QByteArray>()) {
            blobs_.push_back(value.toByteArray());
            QByteArray& bytes = blobs_.back();
            length = value.isNull() ? SQL_NULL_DATA : SQLLEN(bytes.size());
            // Input values are only read: no need to detach a shared copy.
            void* data = bytes.isEmpty() ? const_cast<char*>(emptyBytes)
                                         : const_cast<char*>(bytes.constData());
            // Never SQL_VARBINARY: FreeTDS caps its size at 8000 bytes.
            rc = SQLBindParameter(handle_, number, SQL_PARAM_INPUT, SQL_C_BINARY, SQL_LONGVARBINARY,
                                  SQLULEN(qMax<qsizetype>(bytes.size(), 1)), 0, data,
                                  SQLLEN(bytes.size()), &length);
        } else if (!value.isNull() &&
                   (type == QMetaType::fromType<int>() || type == QMetaType::fromType<qint64>() ||
                    type == QMetaType::fromType<uint>() || type == QMetaType::fromType<bool>() ||
                    type == QMetaType::fromType<qint16>())) {
            numbers_.push_back(value.toLongLong());
            length = 0;
            rc = SQLBindParameter(handle_, number, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0,
                                  &numbers_.back(), 0, &length);
        } else if (!value.isNull() && type == QMetaType::fromType<double>()) {
            doubles_.push_back(value.toDouble());
            length = 0;
            rc = SQLBindParameter(handle_, number, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0,
                                  &doubles_.back(), 0, &length);
        } else {
            texts_.push_back(value.isNull() ? QString() : value.toString());
            QString& text = texts_.back();
            length = value.isNull() ? SQL_NULL_DATA : SQLLEN(text.size() * sizeof(char16_t));
            void* data = text.isEmpty() ? static_cast<void*>(const_cast<char16_t*>(emptyText))
                                        : const_cast<QChar*>(text.constData());
            const SQLULEN columnSize = SQLULEN(qMax<qsizetype>(text.size(), 1));
            rc = SQLBindParameter(handle_, number, SQL_PARAM_INPUT, SQL_C_WCHAR,
                                  columnSize > 4000 ? SQL_WLONGVARCHAR : SQL_WVARCHAR, columnSize,
                                  0, data, SQLLEN(text.size() * sizeof(char16_t)), &length);
        }
        check(rc, SQL_HANDLE_STMT, handle_, "SQLBindParameter");
    }

    SQLHSTMT handle_ = SQL_NULL_HSTMT;
    std::vector<QString> texts_;
    std::vector<QByteArray> blobs_;
    std::vector<SQLBIGINT> numbers_;
    std::vector<double> doubles_;
    std::vector<SQLLEN> lengths_;
};

QByteArray readBytes(SQLHSTMT statement, SQLUSMALLINT column, bool& isNull) {
    QByteArray out(32 * 1024, Qt::Uninitialized);
    qsizetype have = 0;
    for (;;) {
        const qsizetype room = out.size() - have;
        SQLLEN length = 0;
        const SQLRETURN rc =
            SQLGetData(statement, column, SQL_C_BINARY, out.data() + have, SQLLEN(room), &length);
        if (rc == SQL_NO_DATA) {
            break;
        }
        check(rc, SQL_HANDLE_STMT, statement, "SQLGetData");
        if (length == SQL_NULL_DATA) {
            isNull = true;
            return {};
        }
        if (rc == SQL_SUCCESS_WITH_INFO && (length == SQL_NO_TOTAL || length > room)) {
            // Truncated: the buffer is full; grow to what is left, in one
            // step when the driver tells the total.
            have += room;
            const qsizetype rest = length == SQL_NO_TOTAL ? out.size() : qsizetype(length) - room;
            out.resize(have + qMax<qsizetype>(rest, 1));
            continue;
        }
        have += qsizetype(length);
        break;
    }
    out.resize(have);
    isNull = false;
    return out;
}

QString readText(SQLHSTMT statement, SQLUSMALLINT column, SQLULEN columnSize, bool& isNull) {
    // Large enough for the usual column at once: a driver manager that
    // converts an ANSI driver's text may split a character between chunks.
    const qsizetype capacity =
        qBound(qsizetype(1024), qsizetype(columnSize) + 1, qsizetype(64 * 1024));
    QString out(capacity, Qt::Uninitialized);
    qsizetype have = 0;
    for (;;) {
        const qsizetype room = out.size() - have; // characters, terminator included
        SQLLEN length = 0;
        const SQLRETURN rc = SQLGetData(statement, column, SQL_C_WCHAR, wide(out) + have,
                                        SQLLEN(room * sizeof(char16_t)), &length);
        if (rc == SQL_NO_DATA) {
            break;
        }
        check(rc, SQL_HANDLE_STMT, statement, "SQLGetData");
        if (length == SQL_NULL_DATA) {
            isNull = true;
            return {};
        }
        const SQLLEN roomBytes = SQLLEN((room - 1) * sizeof(char16_t));
        if (rc == SQL_SUCCESS_WITH_INFO && (length == SQL_NO_TOTAL || length > roomBytes)) {
            // The piece ends at its terminator (a converting driver manager
            // may deliver fewer characters than fit).
            qsizetype got = 0;
            while (got < room - 1 && out[have + got] != QChar(0)) {
                ++got;
            }
            have += got;
            const qsizetype rest = length == SQL_NO_TOTAL
                                       ? out.size()
                                       : qsizetype(length / SQLLEN(sizeof(char16_t))) - got;
            out.resize(have + qMax<qsizetype>(rest, 1) + 1);
            continue;
        }
        qsizetype got = qMin<qsizetype>(qsizetype(length) / qsizetype(sizeof(char16_t)), room - 1);
        // Up to the terminator: some driver managers count the driver's bytes.
        for (qsizetype i = 0; i < got; ++i) {
            if (out[have + i] == QChar(0)) {
                got = i;
                break;
            }
        }
        have += got;
        break;
    }
    out.truncate(have);
    isNull = false;
    return out;
}

QString quoted(const QString& name, const QString& quote) {
    if (quote.isEmpty()) {
        return name;
    }
    QString inner = name;
    inner.replace(quote, quote + quote);
    return quote + inner + quote;
}

QString tableOf(const QString& sql) {
    static const QRegularExpression from(
        QStringLiteral(R"(\bfrom\s+("[^"]+"|\[[^\]]+\]|[^\s,;()]+))"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    const QRegularExpressionMatch match = from.match(sql);
    return match.hasMatch() ? match.captured(1) : QString();
}

} // namespace

// ----------------------------------------------------------- OdbcConnection

OdbcConnection::OdbcConnection() : d(std::make_unique<Impl>()) {}

OdbcConnection::~OdbcConnection() {
    close();
}

void OdbcConnection::setLoginTimeout(int seconds) {
    d->loginTimeout = seconds;
}

int OdbcConnection::loginTimeout() const {
    return d->loginTimeout;
}

void OdbcConnection::setQueryTimeout(int seconds) {
    d->queryTimeout = seconds;
}

int OdbcConnection::queryTimeout() const {
    return d->queryTimeout;
}

void OdbcConnection::setOpenDeadline(int milliseconds) {
    d->openDeadlineMs = milliseconds;
}

int OdbcConnection::openDeadline() const {
    return d->openDeadlineMs;
}

int OdbcConnection::abandonedOpens() {
    AbandonedAttempts& attempts = abandonedAttempts();
    const std::lock_guard<std::mutex> lock(attempts.mutex);
    return attempts.pending;
}

int OdbcConnection::beforeExit(int status) {
    if (abandonedOpens() == 0) {
        return status;
    }
    // Exit would unload the drivers and run their clean-ups under a thread
    // that is still inside one: end here, with the output written.
    EndProcessNow(status);
}

void OdbcConnection::open(const QString& connectionString) {
    close();
    d->connectionString = connectionString;
    d->lastOpenError.clear();
    const QString text = d->redirect.isEmpty() ? connectionString : d->redirect;
    try {
        if (d->openDeadlineMs > 0) {
            d->handles =
                connectWithDeadline(d->loginTimeout, d->queryTimeout, text, d->openDeadlineMs);
        } else {
            Handles h;
            try {
                connectHandles(h, d->loginTimeout, d->queryTimeout, text);
            } catch (const OdbcError&) {
                h.free();
                throw;
            }
            d->handles = h;
        }
    } catch (const OdbcError& error) {
        d->lastOpenError = error.description();
        throw;
    }
}

bool OdbcConnection::isOpen() const {
    return d->handles.connected;
}

QString OdbcConnection::connectionString() const {
    return d->connectionString;
}

QString OdbcConnection::lastOpenError() const {
    return d->lastOpenError;
}

qint64 OdbcConnection::execute(const QString& sql, const QVariantList& params) {
    Statement statement(*d);
    statement.bind(params);
    if (statement.run(sql) == SQL_NO_DATA) {
        return 0;
    }
    return statement.rowCount();
}

void OdbcConnection::close() noexcept {
    d->release();
}

void OdbcConnection::redirect(const QString& connectionString) {
    d->redirect = connectionString;
}

namespace {

// One catalog statement's rows, read column by column as text or number.
class CatalogRows {
public:
    explicit CatalogRows(OdbcConnection::Impl& connection) : statement_(connection) {}

    SQLHSTMT handle() const { return statement_.handle(); }
    void check(SQLRETURN rc, const char* what) const {
        ::check(rc, SQL_HANDLE_STMT, statement_.handle(), what);
    }
    bool fetch() const {
        const SQLRETURN rc = SQLFetch(statement_.handle());
        if (rc == SQL_NO_DATA) {
            return false;
        }
        check(rc, "SQLFetch");
        return true;
    }
    QString text(SQLUSMALLINT column) const {
        bool isNull = false;
        return readText(statement_.handle(), column, 0, isNull);
    }
    qint64 number(SQLUSMALLINT column) const {
        SQLBIGINT value = 0;
        SQLLEN indicator = 0;
        check(SQLGetData(statement_.handle(), column, SQL_C_SBIGINT, &value, 0, &indicator),
              "SQLGetData");
        return indicator == SQL_NULL_DATA ? 0 : qint64(value);
    }

private:
    Statement statement_;
};

QString infoText(SQLHDBC dbc, SQLUSMALLINT type) {
    SQLWCHAR buffer[256] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(dbc, type, buffer, sizeof(buffer), &length))) {
        return {};
    }
    return fromWide(buffer, qsizetype(std::size(buffer)));
}

} // namespace

QList<OdbcConnection::Column> OdbcConnection::columns(const QString& table) {
    CatalogRows rows(*d);
    QString name = table;
    rows.check(SQLColumnsW(rows.handle(), nullptr, 0, nullptr, 0, wide(name),
                           SQLSMALLINT(name.size()), nullptr, 0),
               "SQLColumns");
    QList<Column> found;
    while (rows.fetch()) {
        Column column;
        column.name = rows.text(4);
        column.dataType = int(rows.number(5));
        column.typeName = rows.text(6);
        column.size = rows.number(7);
        found << column;
    }
    return found;
}

QList<QStringList> OdbcConnection::uniqueKeys(const QString& table) {
    QMap<QString, QStringList> byIndex;
    {
        CatalogRows rows(*d);
        QString name = table;
        rows.check(SQLStatisticsW(rows.handle(), nullptr, 0, nullptr, 0, wide(name),
                                  SQLSMALLINT(name.size()), SQL_INDEX_UNIQUE, SQL_QUICK),
                   "SQLStatistics");
        while (rows.fetch()) {
            // Column 7 TYPE: the table's own statistics row names no index.
            if (rows.number(7) == SQL_TABLE_STAT || rows.number(4) != SQL_FALSE) {
                continue;
            }
            byIndex[QStringLiteral("index:") + rows.text(6)] << rows.text(9);
        }
    }
    {
        CatalogRows rows(*d);
        QString name = table;
        // Not every driver offers primary keys; the unique indexes suffice then.
        if (SQL_SUCCEEDED(SQLPrimaryKeysW(rows.handle(), nullptr, 0, nullptr, 0, wide(name),
                                          SQLSMALLINT(name.size())))) {
            while (rows.fetch()) {
                byIndex[QStringLiteral("primary:") + rows.text(6)] << rows.text(4);
            }
        }
    }
    return byIndex.values();
}

QString OdbcConnection::describe() {
    d->requireOpen();
    const SQLHDBC dbc = d->dbc();
    return QStringLiteral("서버 %1 %2, 드라이버 %3 %4")
        .arg(infoText(dbc, SQL_DBMS_NAME), infoText(dbc, SQL_DBMS_VER),
             infoText(dbc, SQL_DRIVER_NAME), infoText(dbc, SQL_DRIVER_VER));
}

void OdbcConnection::setAutoCommit(bool on) {
    d->requireOpen();
    const SQLULEN value = on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF;
    check(SQLSetConnectAttrW(d->dbc(), SQL_ATTR_AUTOCOMMIT,
                             reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(value)),
                             SQL_IS_UINTEGER),
          SQL_HANDLE_DBC, d->dbc(), "SQLSetConnectAttr(SQL_ATTR_AUTOCOMMIT)");
}

void OdbcConnection::rollback() {
    d->requireOpen();
    check(SQLEndTran(SQL_HANDLE_DBC, d->dbc(), SQL_ROLLBACK), SQL_HANDLE_DBC, d->dbc(),
          "SQLEndTran(SQL_ROLLBACK)");
}

std::optional<QStringList> OdbcConnection::driverAttributes(const QString& name) {
    SQLHENV env = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) {
        return std::nullopt;
    }
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION,
                  reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(SQL_OV_ODBC3)), 0);
    std::optional<QStringList> found;
    for (SQLUSMALLINT direction = SQL_FETCH_FIRST;; direction = SQL_FETCH_NEXT) {
        SQLWCHAR description[256] = {};
        SQLWCHAR attributes[4096] = {};
        SQLSMALLINT descriptionLength = 0;
        SQLSMALLINT attributesLength = 0;
        if (!SQL_SUCCEEDED(SQLDriversW(env, direction, description,
                                       SQLSMALLINT(std::size(description)), &descriptionLength,
                                       attributes, SQLSMALLINT(std::size(attributes)),
                                       &attributesLength))) {
            break;
        }
        if (fromWide(description, qsizetype(std::size(description))) != name) {
            continue;
        }
        // key=value pairs, each ended by a NUL, the list by a second NUL.
        found.emplace();
        const SQLWCHAR* p = attributes;
        const SQLWCHAR* end = attributes + std::size(attributes);
        while (p < end && *p != 0) {
            const QString pair = fromWide(p, end - p);
            found->append(pair);
            p += pair.size() + 1;
        }
        break;
    }
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return found;
}

QString OdbcConnection::redirection() const {
    return d->redirect;
}

// ------------------------------------------------------------ OdbcRecordset

struct OdbcRecordset::Impl {
    struct Column {
        QString name;
        bool binary = false;
    };

    OdbcConnection* connection = nullptr;
    bool open = false;
    Mode mode = Mode::ReadOnly;
    QString table;
    QStringList keyColumns;
    std::vector<Column> columns;
    bool hasRow = false;
    bool isNew = false;
    QVariantList original;
    QVariantList current;
    std::vector<bool> changed;
    // Binary columns of an updatable set are read when first used, not at
    // open: a save that only overwrites the photo never pays for reading it.
    std::vector<bool> loaded;

    int indexOf(const QString& name) const {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (columns[i].name.compare(name, Qt::CaseInsensitive) == 0) {
                return int(i);
            }
        }
        return -1;
    }

    void requireRow() const {
        if (!open) {
            throw OdbcError(QStringLiteral("The result set is not open"));
        }
        if (!hasRow) {
            throw OdbcError(QStringLiteral("The result set has no current row"));
        }
    }

    void requireWritable() const {
        requireRow();
        if (mode != Mode::Updatable) {
            throw OdbcError(QStringLiteral("The result set is read-only"));
        }
    }

    void set(int column, const QVariant& value) {
        requireWritable();
        current[column] = value;
        changed[std::size_t(column)] = true;
        loaded[std::size_t(column)] = true;
    }

    // Appends "key = ?" terms for the row as it was read.
    QString whereKeys(QVariantList& params) const {
        const QString& quote = connection->impl()->quote();
        QStringList where;
        for (const QString& key : keyColumns) {
            const int k = indexOf(key);
            const QString name = quoted(columns[std::size_t(k)].name, quote);
            if (original[k].isNull()) {
                where.append(name + QStringLiteral(" IS NULL"));
            } else {
                where.append(name + QStringLiteral(" = ?"));
                params.append(original[k]);
            }
        }
        return where.join(QStringLiteral(" AND "));
    }

    const QVariant& valueOf(int column) {
        requireRow();
        if (!loaded[std::size_t(column)]) {
            QVariantList params;
            const QString sql =
                QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                    .arg(quoted(columns[std::size_t(column)].name, connection->impl()->quote()),
                         table, whereKeys(params));
            OdbcRecordset set;
            set.open(*connection, sql, params);
            if (set.isEof()) {
                throw OdbcError(QStringLiteral(
                    "The row was not found: it was changed or removed since it was read"));
            }
            current[column] = original[column] = set.d->current[0];
            loaded[std::size_t(column)] = true;
        }
        return current[column];
    }
};

OdbcRecordset::OdbcRecordset() : d(std::make_unique<Impl>()) {}

OdbcRecordset::~OdbcRecordset() = default;

void OdbcRecordset::open(OdbcConnection& connection, const QString& sql, const QVariantList& params,
                         Mode mode, const QStringList& keyColumns) {
    close();
    Statement statement(*connection.impl());
    statement.bind(params);
    statement.run(sql);
    const SQLHSTMT h = statement.handle();

    SQLSMALLINT count = 0;
    check(SQLNumResultCols(h, &count), SQL_HANDLE_STMT, h, "SQLNumResultCols");
    if (count <= 0) {
        throw OdbcError(QStringLiteral("The statement returned no result set"));
    }
    std::vector<Impl::Column> columns;
    columns.resize(std::size_t(count));
    std::vector<SQLULEN> sizes(std::size_t(count), 0);
    for (SQLSMALLINT c = 0; c < count; ++c) {
        SQLWCHAR name[256] = {};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT type = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = 0;
        check(SQLDescribeColW(h, SQLUSMALLINT(c + 1), name, SQLSMALLINT(std::size(name)),
                              &nameLength, &type, &sizes[std::size_t(c)], &digits, &nullable),
              SQL_HANDLE_STMT, h, "SQLDescribeCol");
        columns[std::size_t(c)].name = fromWide(name, qsizetype(std::size(name)) - 1);
        columns[std::size_t(c)].binary = isBinaryType(type);
    }

    QVariantList row;
    const SQLRETURN fetched = SQLFetch(h);
    if (fetched != SQL_NO_DATA) {
        check(fetched, SQL_HANDLE_STMT, h, "SQLFetch");
        row.reserve(count);
        for (SQLSMALLINT c = 0; c < count; ++c) {
            const Impl::Column& column = columns[std::size_t(c)];
            bool isNull = false;
            if (column.binary && mode == Mode::Updatable) {
                row.append(nullOf(true)); // read when first used
            } else if (column.binary) {
                QByteArray bytes = readBytes(h, SQLUSMALLINT(c + 1), isNull);
                row.append(isNull ? nullOf(true) : QVariant(std::move(bytes)));
            } else {
                QString text = readText(h, SQLUSMALLINT(c + 1), sizes[std::size_t(c)], isNull);
                row.append(isNull ? nullOf(false) : QVariant(std::move(text)));
            }
        }
    }

    Impl fresh;
    fresh.connection = &connection;
    fresh.mode = mode;
    fresh.columns = std::move(columns);
    if (mode == Mode::Updatable) {
        fresh.table = tableOf(sql);
        if (fresh.table.isEmpty()) {
            throw OdbcError(QStringLiteral("No table named after FROM in: %1").arg(sql));
        }
        if (keyColumns.isEmpty()) {
            throw OdbcError(QStringLiteral("An updatable result set needs its key columns"));
        }
        for (const QString& key : keyColumns) {
            if (fresh.indexOf(key) < 0) {
                throw OdbcError(QStringLiteral("Key column %1 is not in the result set").arg(key));
            }
        }
        fresh.keyColumns = keyColumns;
    }
    fresh.hasRow = !row.isEmpty();
    fresh.original = row;
    fresh.current = std::move(row);
    fresh.changed.assign(fresh.columns.size(), false);
    fresh.loaded.assign(fresh.columns.size(), true);
    if (mode == Mode::Updatable && fresh.hasRow) {
        for (std::size_t i = 0; i < fresh.columns.size(); ++i) {
            fresh.loaded[i] = !fresh.columns[i].binary;
        }
    }
    fresh.open = true;
    *d = std::move(fresh);
}

bool OdbcRecordset::isOpen() const {
    return d->open;
}

bool OdbcRecordset::isEof() const {
    return !d->open || !d->hasRow;
}

OdbcField OdbcRecordset::field(const QString& name) {
    d->requireRow();
    const int column = d->indexOf(name);
    if (column < 0) {
        throw OdbcError(QStringLiteral("The result set has no column %1").arg(name));
    }
    return OdbcField(this, column);
}

QStringList OdbcRecordset::columnNames() const {
    QStringList names;
    for (const Impl::Column& column : d->columns) {
        names.append(column.name);
    }
    return names;
}

void OdbcRecordset::addNew() {
    if (!d->open) {
        throw OdbcError(QStringLiteral("The result set is not open"));
    }
    if (d->mode != Mode::Updatable) {
        throw OdbcError(QStringLiteral("The result set is read-only"));
    }
    d->current.clear();
    for (const Impl::Column& column : d->columns) {
        d->current.append(nullOf(column.binary));
    }
    d->original = d->current;
    d->changed.assign(d->columns.size(), false);
    d->loaded.assign(d->columns.size(), true);
    d->hasRow = true;
    d->isNew = true;
}

void OdbcRecordset::update() {
    d->requireWritable();
    OdbcConnection& connection = *d->connection;
    const QString& quote = connection.impl()->quote();
    QStringList names;
    QVariantList params;
    for (std::size_t i = 0; i < d->columns.size(); ++i) {
        if (d->changed[i]) {
            names.append(quoted(d->columns[i].name, quote));
            params.append(d->current[qsizetype(i)]);
        }
    }

    if (d->isNew) {
        QString sql = QStringLiteral("INSERT INTO %1").arg(d->table);
        if (names.isEmpty()) {
            sql += QStringLiteral(" DEFAULT VALUES");
        } else {
            QStringList marks(names.size(), QStringLiteral("?"));
            sql += QStringLiteral(" (%1) VALUES (%2)")
                       .arg(names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
        }
        connection.execute(sql, params);
    } else {
        if (names.isEmpty()) {
            return;
        }
        const QString where = d->whereKeys(params);
        const QString sql =
            QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                .arg(d->table, names.join(QStringLiteral(" = ?, ")) + QStringLiteral(" = ?"),
                     where);
        if (connection.execute(sql, params) == 0) {
            throw OdbcError(QStringLiteral(
                "The row to update was not found: it was changed or removed since it was read"));
        }
    }
    d->original = d->current;
    d->changed.assign(d->columns.size(), false);
    d->isNew = false;
}

void OdbcRecordset::close() noexcept {
    *d = Impl();
}

// ---------------------------------------------------------------- OdbcField

QString OdbcField::name() const {
    return set_->d->columns[std::size_t(column_)].name;
}

bool OdbcField::isNull() const {
    return value().isNull();
}

bool OdbcField::isBinary() const {
    return set_->d->columns[std::size_t(column_)].binary;
}

qint64 OdbcField::size() const {
    const QVariant value = this->value();
    if (value.isNull()) {
        return 0;
    }
    return holdsBytes(value) ? value.toByteArray().size() : value.toString().size();
}

QString OdbcField::text() const {
    const QVariant value = this->value();
    if (holdsBytes(value)) {
        throw OdbcError(QStringLiteral("Column %1 holds bytes, not text").arg(name()));
    }
    return value.isNull() ? QString() : value.toString();
}

QByteArray OdbcField::bytes() const {
    const QVariant value = this->value();
    if (!holdsBytes(value)) {
        throw OdbcError(QStringLiteral("Column %1 holds text, not bytes").arg(name()));
    }
    return value.isNull() ? QByteArray() : value.toByteArray();
}

QVariant OdbcField::value() const {
    return set_->d->valueOf(column_);
}

void OdbcField::setText(const QString& text) {
    // An empty text is bound as an empty string, never as null.
    set_->d->set(column_, QVariant(text));
}

void OdbcField::setBytes(const QByteArray& bytes) {
    set_->d->set(column_, QVariant(bytes));
}

void OdbcField::setNull() {
    set_->d->set(column_, nullOf(isBinary()));
}
