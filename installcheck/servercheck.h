#pragma once
// The store server for the installer's check: its name resolved and its
// port reachable (each timed, within the station's login limit), then the
// login through the station's own routine, which leaves StoreDb open for
// the table check.

#include "installcheck/checkrun.h"

void CheckServer(CheckRun& run);
