#include "installcheck/drivercheck.h"

#include "installcheck/odbcprobe.h"
#include "installcheck/platformaccess.h"

void CheckDriver(CheckRun& run) {
    const CheckArea area = CheckArea::Driver;
    const QString title = QStringLiteral("ODBC 드라이버 \"SQL Server\"");
    const DriverRegistration driver = FindOdbcDriver(QStringLiteral("SQL Server"));
    if (!driver.found) {
        run.add(QStringLiteral("driver.registered"), area, title, Verdict::Failure,
                QStringLiteral("등록되어 있지 않습니다 (%1)").arg(AdviceText(Advice::DriverListed)),
                AdviceText(Advice::DriverMissing));
        return;
    }
    run.add(QStringLiteral("driver.registered"), area, title, Verdict::Ok,
            driver.library.isEmpty()
                ? QStringLiteral("등록되어 있습니다")
                : QStringLiteral("등록되어 있습니다: Driver = %1").arg(driver.library));
    run.driverKind = DriverKindOf(driver.library);
    const DriverLibrary library = ProbeDriverLibrary(QStringLiteral("SQL Server"), driver.library);
    if (!library.error.isEmpty()) {
        run.add(QStringLiteral("driver.library"), area, QStringLiteral("드라이버 라이브러리"),
                Verdict::Failure,
                (library.missing ? QStringLiteral("%1 파일이 없습니다: %2")
                                 : QStringLiteral("%1 을(를) 불러올 수 없습니다: %2"))
                    .arg(library.file, library.error),
                AdviceText(Advice::DriverLibrary));
        return;
    }
    run.driverUsable = true;
    run.add(QStringLiteral("driver.library"), area, QStringLiteral("드라이버 라이브러리"),
            Verdict::Ok,
            QStringLiteral("%1: %2").arg(library.usable, run.driverKind.isEmpty()
                                                             ? QStringLiteral("알 수 없는 드라이버")
                                                             : run.driverKind));
}
