#pragma once
// A thin RAII layer over the ODBC C API (the W functions): a connection, a
// result set over its first row, and the errors both raise. It offers what
// the station's screens need of a data-access component and nothing more.
//
// Values passed to statements are always bound parameters ('?' in the text):
//   QString    -> SQL_C_WCHAR / SQL_WVARCHAR (an empty text stays '', not null)
//   QByteArray -> SQL_C_BINARY / SQL_LONGVARBINARY (zero length stays empty)
//   qint64/int -> SQL_C_SBIGINT / SQL_BIGINT
//   QVariant() -> null
// Every failure throws OdbcError; its description() is what a screen shows
// and logs. The ODBC headers stay in the .cpp files.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <exception>
#include <memory>
#include <optional>

class OdbcError : public std::exception {
public:
    // sqlState is empty for errors raised by this layer itself.
    explicit OdbcError(const QString& message, const QString& sqlState = {});

    // "<driver message> (SQLSTATE xxxxx)", several diagnostics joined by
    // " / "; one line, so that it fits an error-log line.
    const QString& description() const { return description_; }
    // The first diagnostic's SQLSTATE and text.
    const QString& sqlState() const { return sqlState_; }
    const QString& message() const { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

    // Builds the error from all diagnostic records, appended one by one.
    void addDiagnostic(const QString& sqlState, const QString& message);

private:
    QString description_;
    QString sqlState_;
    QString message_;
    QByteArray utf8_;
};

// A value for a connection string's "KEY=value": as it stands when it
// holds nothing a parser reads as syntax, else in braces, so that it stays
// one value whatever it holds (a later key would win, a DRIVER= key names a
// library that the driver manager loads, FreeTDS's DumpFile= a file it
// overwrites). A "}" would be doubled, which only some drivers undo: values
// holding one are refused first (OdbcConnectionValueBreak).
// unixODBC looks for the driver in a copy narrowed to each UTF-16 unit's low
// byte, where U+AC3B reads as ";": such characters are braced too. Plain
// values stay bare: psqlODBC takes braces literally in keys other than PWD.
QString OdbcConnectionValue(const QString& value);
// The position of the first character that no quoting keeps inside its
// value for every driver, -1 when there is none: a NUL ends the string; "}"
// ends a braced value early in FreeTDS (which reads "x};K=v;" as the value
// "x" and a key K), and so does a character whose low byte reads as "}" in
// unixODBC's narrowed copy (U+AC7D). Such a value must be refused before
// it reaches OdbcConnectionValue.
qsizetype OdbcConnectionValueBreak(const QString& value);

// One connection. A new object is closed and touches no ODBC function until
// open(), so a program-wide instance may be constructed before the process
// has set ODBCSYSINI or its locale.
class OdbcConnection {
public:
    OdbcConnection();
    ~OdbcConnection();
    OdbcConnection(const OdbcConnection&) = delete;
    OdbcConnection& operator=(const OdbcConnection&) = delete;

    // Seconds; 0 means no limit, -1 (the default) leaves the driver's own.
    // The login timeout applies to the next open(), the query timeout to
    // every statement run afterwards. A query timeout set before open()
    // also limits lock waits on a PostgreSQL server, where the driver does
    // not time out a statement waiting for a lock while it prepares it.
    void setLoginTimeout(int seconds);
    int loginTimeout() const;
    void setQueryTimeout(int seconds);
    int queryTimeout() const;

    // Milliseconds the whole open() may take, whatever the driver does
    // (some login timeouts only limit silence, and name lookups have their
    // own). 0, the default, leaves it to the driver. With a limit the
    // connect runs on a thread of its own; one given up on keeps its handles
    // until the driver returns and then frees them there.
    void setOpenDeadline(int milliseconds);
    int openDeadline() const;
    // Attempts given up on whose driver call has not returned yet.
    static int abandonedOpens();
    // For main's return: `return OdbcConnection::beforeExit(status);`.
    // While an abandoned attempt is out, exit's clean-ups (static
    // destructors, the drivers' own) could run under its thread, so the
    // process ends here with `status`, its C output flushed; otherwise
    // returns `status`.
    static int beforeExit(int status);

    // Connects (SQLDriverConnectW, no prompt). An open connection is closed
    // first. Throws OdbcError (also when the attempt's thread cannot start);
    // the connection is then closed. Past the open
    // deadline the error has SQLSTATE HYT00.
    void open(const QString& connectionString);
    bool isOpen() const;
    // The string given to the last open() (also when redirected).
    QString connectionString() const;
    // Description of the last failed open(), empty after a successful one.
    QString lastOpenError() const;

    // Runs one statement and returns the rows it changed (0 when an UPDATE
    // or DELETE matched nothing; -1 when the driver cannot tell).
    qint64 execute(const QString& sql, const QVariantList& params = {});

    // Disconnects and frees the handles. Harmless when not open.
    void close() noexcept;

    // Test seam: while set, open() connects with this string instead of the
    // one it is given (connectionString() still reports the given one), so
    // that the production code path can be pointed at a test database. An
    // empty string ends the redirection.
    void redirect(const QString& connectionString);
    QString redirection() const;

    // Catalog and transaction calls, for diagnostic tools. Each throws
    // OdbcError like any other call; a closed connection throws too.
    struct Column {
        QString name;
        int dataType = 0; // SQL_* type code
        QString typeName; // the database's own name
        qint64 size = 0;  // characters for text, bytes for binary
    };
    QList<Column> columns(const QString& table);
    // The column lists of the table's primary key and unique indexes.
    QList<QStringList> uniqueKeys(const QString& table);
    // "서버 <product> <version>, 드라이버 <name> <version>", as the driver
    // reports them (SQLGetInfo), so an installer sees which server and
    // which driver met.
    QString describe();
    // Autocommit is on for a new connection; with it off, statements stay
    // in a transaction that only rollback() (or a commit) ends.
    void setAutoCommit(bool on);
    void rollback();

    // The key=value pairs of the driver registered under `name` in the
    // driver manager's own list (ODBCSYSINI and the system's files count
    // exactly as for a connection); nullopt when none is.
    static std::optional<QStringList> driverAttributes(const QString& name);

    struct Impl;
    Impl* impl() const { return d.get(); }

private:
    std::unique_ptr<Impl> d;
};

class OdbcRecordset;

// A column of a result set's current row, by name. A handle: it stays valid
// while its result set object lives, and reads or writes the row's value.
class OdbcField {
public:
    QString name() const;
    bool isNull() const;
    // True for binary columns (photos), whose value is bytes.
    bool isBinary() const;
    // Characters of a text value, bytes of a binary one; 0 when null.
    qint64 size() const;

    // Null reads as empty. Reading a binary column as text, or a text
    // column as bytes, throws.
    QString text() const;
    QByteArray bytes() const;
    QVariant value() const;

    // Setting marks the column changed; update() writes it. Throws on a
    // read-only set or when there is no current row.
    void setText(const QString& text);
    void setBytes(const QByteArray& bytes);
    void setNull();

private:
    friend class OdbcRecordset;
    OdbcField(OdbcRecordset* set, int column) : set_(set), column_(column) {}
    OdbcRecordset* set_;
    int column_;
};

// The rows of a SELECT, positioned on the first one. open() reads the first
// row (blobs in chunks) and releases the statement at once, so the connection
// is free for the next statement. In an updatable set the binary columns are
// read when first used, by the row's key columns, so that overwriting a photo
// never reads the old one. Nothing is written before update(); close() or
// destruction drops unwritten changes.
class OdbcRecordset {
public:
    enum class Mode { ReadOnly, Updatable };

    OdbcRecordset();
    ~OdbcRecordset();
    OdbcRecordset(const OdbcRecordset&) = delete;
    OdbcRecordset& operator=(const OdbcRecordset&) = delete;

    // An updatable set needs the columns that identify a row (keyColumns):
    // update() of a row that was read changes the row whose key columns hold
    // the values that were read. The table is the one named after FROM.
    void open(OdbcConnection& connection, const QString& sql, const QVariantList& params = {},
              Mode mode = Mode::ReadOnly, const QStringList& keyColumns = {});
    bool isOpen() const;
    // True when there is no current row.
    bool isEof() const;

    // Column by name (case-insensitive); throws when the set has no such
    // column or no current row.
    OdbcField field(const QString& name);
    QStringList columnNames() const;

    // Starts a new row (all columns null and unchanged) as the current row.
    void addNew();
    // Writes the current row: a new row with an INSERT of the columns that
    // were set (the others take the table's defaults), a row that was read
    // with an UPDATE of the changed columns. Throws when that row is gone.
    // Nothing to write is not an error.
    void update();
    // Drops the rows and any unwritten change. Harmless when not open.
    void close() noexcept;

    struct Impl;

private:
    friend class OdbcField;
    std::unique_ptr<Impl> d;
};
