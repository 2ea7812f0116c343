#pragma once
// The settings file (there, readable, eight lines, each value, the login
// decoded and shown masked) and the door file, for the installer's check.
// A settings file read is kept in the run for the server and table checks.

#include "installcheck/checkrun.h"

void CheckSettings(CheckRun& run);
void CheckDoorFile(CheckRun& run);
