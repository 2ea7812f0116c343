#pragma once
// The member table for the installer's check: there, its six columns and
// their types, the unique key on store code and number, and the station's
// own lookup, save and overwrite statements run in transactions that are
// rolled back, so the table is left as it was. Closes StoreDb.

#include "installcheck/checkrun.h"

void CheckMemberTable(CheckRun& run);
