#pragma once
// Where the ODBC driver manager this process uses lies.

#include <QString>

// The file of the driver manager library loaded into this process (unixODBC's
// libodbc, Windows' odbc32.dll); empty when the system cannot tell.
QString OdbcDriverManagerFile();
