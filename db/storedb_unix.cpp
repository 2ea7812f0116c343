#include "db/storedb.h"

// FreeTDS stands behind "SQL Server" here. It reads no freetds.conf for a
// SERVER= string, so its settings travel in the string: an explicit TDS
// version makes the login timeout cover the whole login (without it a server
// that accepts and never answers blocks for minutes), UTF-8 keeps narrow
// paths from turning Hangul into '?', and the text size keeps large photos
// whole. Other drivers ignore keys they do not know.
QString StoreDriverSettings() {
    return QStringLiteral("TDS_Version=7.4;ClientCharset=UTF-8;TextSize=2147483647;");
}
