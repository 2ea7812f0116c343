#include "components/odbc/odbctransaction.h"

RolledBackTransaction::RolledBackTransaction(OdbcConnection& connection)
    : m_connection(connection) {
    m_connection.setAutoCommit(false);
}

RolledBackTransaction::~RolledBackTransaction() {
    if (!m_connection.isOpen()) {
        return;
    }
    try {
        m_connection.rollback();
        m_connection.setAutoCommit(true);
    } catch (const OdbcError&) {
        // Left as it is: the caller reports the rollback it asked for.
    }
}

void RolledBackTransaction::rollback() {
    m_connection.rollback();
}
