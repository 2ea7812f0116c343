#pragma once
// The program folder for the installer's check: writable, 회원사진 and
// ERROR_LOG creatable and writable (for the operator group too), free disk
// space, and a copy of the station already running in it. Folders made to
// prove they can be made are removed again.

#include "installcheck/checkrun.h"

void CheckProgramFolder(CheckRun& run);
