#pragma once
// The bare side of the benchmarks: the station's statements issued with the
// shortest direct ODBC calls (W functions, raw handles, no layer), so that
// a figure through the station's code can stand beside what the driver and
// the server alone cost. Errors end the run.

#include "db/members.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace bench {

class DirectOdbc {
public:
    // Allocates its own environment and connects (SQLDriverConnectW), as the
    // station does for every connection it opens.
    explicit DirectOdbc(const QString& connectionString);
    ~DirectOdbc();
    DirectOdbc(const DirectOdbc&) = delete;
    DirectOdbc& operator=(const DirectOdbc&) = delete;

    // A bound value: text, or bytes when `bytes` is set.
    struct Value {
        QString text;
        const QByteArray* bytes = nullptr;
    };
    enum class Fetch { Nothing, FirstRow, FirstRowColumns };

    // Runs one statement with its values bound (text as SQL_C_WCHAR/
    // SQL_WVARCHAR, bytes as SQL_C_BINARY/SQL_LONGVARBINARY); with
    // FirstRowColumns every column of the first row is read, the sixth (the
    // photo) as bytes. Returns whether a row came.
    bool run(const QString& sql, const std::vector<Value>& values, Fetch fetch);

private:
    void* env_ = nullptr;
    void* dbc_ = nullptr;
    QByteArray photo_;
    std::vector<char16_t> text_;
};

// The registration screen's member operations, bare: the statements the
// station's layer issues for them (db/members.h), on one connection.

// Reads every column of the member's row, the photo as bytes.
void bareLookup(DirectOdbc& db, const QString& storeCode, const QString& storedNumber);
// The duplicate check, then the insert of the six columns.
void bareNewSave(DirectOdbc& db, const MemberEntry& member, const QByteArray& photo);
// The duplicate check, then the update of the six columns of the row found.
void bareOverwrite(DirectOdbc& db, const MemberEntry& member, const QByteArray& photo);
// The photo emptied (a zero-length value).
void bareRemovePhoto(DirectOdbc& db, const QString& storeCode, const QString& storedNumber);

} // namespace bench
