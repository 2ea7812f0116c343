#include "installcheck/installcheck.h"

#include "installcheck/devicecheck.h"
#include "installcheck/drivercheck.h"
#include "installcheck/foldercheck.h"
#include "installcheck/servercheck.h"
#include "installcheck/settingscheck.h"
#include "installcheck/tablecheck.h"

#include <QDir>

CheckReport RunInstallCheck(const QString& programFolder) {
    // In the order the station meets things; a check skips what an earlier
    // failure makes meaningless.
    CheckRun run(QDir(programFolder).absolutePath());
    CheckSettings(run);
    CheckDoorFile(run);
    CheckDriver(run);
    CheckServer(run);
    CheckMemberTable(run);
    CheckProgramFolder(run);
    CheckDevices(run.report);
    return run.report;
}
