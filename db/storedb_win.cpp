#include "db/storedb.h"

// The Windows "SQL Server" driver needs nothing beyond the five values.
QString StoreDriverSettings() {
    return {};
}
