#pragma once
// The installer's check: whether a station installed in a program folder
// would start and save a member, and if not, why. It reads the settings with
// the station's own reader, opens the store server with the station's own
// routine and probes the member table with the station's own statements, in
// the order the station meets them at start-up and on its first save.
//
//   const CheckReport report = RunInstallCheck(folder);
//   print(report.text()); return report.exitStatus();
//
// Nothing is left behind: the table probes run in a transaction that is
// rolled back, folders made to prove they can be made are removed again.
// Needs a Qt application object (name lookup, cameras).

#include "installcheck/checkreport.h"

CheckReport RunInstallCheck(const QString& programFolder);
