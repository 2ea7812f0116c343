#pragma once
// A transaction that is never committed: what a check does on a real table
// is undone whatever happens.

#include "components/odbc/odbc.h"

// Turns autocommit off for as long as it lives; everything done on the
// connection meanwhile is undone by rollback(), which throws OdbcError when
// the driver could not roll back (the rows may then be in the table). The
// end rolls back once more and turns autocommit on again only after a
// rollback that succeeded: turning it on would commit.
class RolledBackTransaction {
public:
    explicit RolledBackTransaction(OdbcConnection& connection);
    ~RolledBackTransaction();
    RolledBackTransaction(const RolledBackTransaction&) = delete;
    RolledBackTransaction& operator=(const RolledBackTransaction&) = delete;

    void rollback();

private:
    OdbcConnection& m_connection;
};
