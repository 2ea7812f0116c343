#pragma once
// The ODBC driver named "SQL Server" for the installer's check: registered,
// its library there and loadable, which driver it is.

#include "installcheck/checkrun.h"

void CheckDriver(CheckRun& run);
