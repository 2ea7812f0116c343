#include "installcheck/devicecheck.h"

#include "installcheck/platformaccess.h"
#include "util/medialibraries.h"

#include <QCameraDevice>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSerialPortInfo>
#include <QSet>
#include <QSize>
#include <QStringList>

#include <algorithm>

namespace {

QString resolutions(const QCameraDevice& camera) {
    QList<QSize> sizes;
    for (const auto& format : camera.videoFormats()) {
        if (!sizes.contains(format.resolution())) {
            sizes << format.resolution();
        }
    }
    std::sort(sizes.begin(), sizes.end(), [](const QSize& a, const QSize& b) {
        return a.width() * a.height() > b.width() * b.height();
    });
    QStringList shown;
    for (const QSize& size : sizes) {
        shown << QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
    }
    return shown.isEmpty() ? QStringLiteral("해상도 정보 없음") : shown.join(u' ');
}

// Whether one of Qt's multimedia backends lies in a plugin folder Qt
// searches. Without one, asking Qt Multimedia for cameras ends the process.
bool cameraBackendPresent() {
    for (const QString& folder : QCoreApplication::libraryPaths()) {
        if (!QDir(folder + QStringLiteral("/multimedia")).isEmpty(QDir::Files)) {
            return true;
        }
    }
    return false;
}

} // namespace

void CheckDevices(CheckReport& report) {
    const bool backend = cameraBackendPresent();
    // Without the system's media libraries Qt's camera backend cannot load
    // and the first camera call would end the check.
    const QStringList missing = MissingCameraLibraries();
    const QList<QCameraDevice> cameras =
        backend && missing.isEmpty() ? QMediaDevices::videoInputs() : QList<QCameraDevice>();
    if (!missing.isEmpty()) {
        report.add(QStringLiteral("devices.camera"), CheckArea::Devices, QStringLiteral("카메라"),
                   Verdict::Warning,
                   QStringLiteral("카메라에 필요한 Windows 미디어 기능(%1)이 없습니다: 사진 없이 "
                                  "저장됩니다")
                       .arg(missing.join(QStringLiteral(", "))),
                   AdviceText(Advice::NoMediaFeatures));
    } else if (!backend) {
        report.add(QStringLiteral("devices.camera"), CheckArea::Devices, QStringLiteral("카메라"),
                   Verdict::Warning,
                   QStringLiteral("카메라 모듈(Qt 멀티미디어 플러그인)이 없습니다: 사진 없이 "
                                  "저장됩니다"),
                   AdviceText(Advice::NoCameraBackend));
    } else if (cameras.isEmpty()) {
        report.add(QStringLiteral("devices.camera"), CheckArea::Devices, QStringLiteral("카메라"),
                   Verdict::Warning, QStringLiteral("카메라가 없습니다: 사진 없이 저장됩니다"),
                   AdviceText(Advice::NoCamera));
    } else {
        QStringList found;
        for (const QCameraDevice& camera : cameras) {
            found << QStringLiteral("%1%2 [%3]")
                         .arg(camera.description(),
                              camera.isDefault() ? QStringLiteral(" (기본)") : QString(),
                              resolutions(camera));
        }
        report.add(QStringLiteral("devices.camera"), CheckArea::Devices, QStringLiteral("카메라"),
                   Verdict::Ok, found.join(QStringLiteral("; ")));
    }

    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    if (ports.isEmpty()) {
        report.add(QStringLiteral("devices.serial"), CheckArea::Devices,
                   QStringLiteral("시리얼 포트"), Verdict::Warning,
                   QStringLiteral("시리얼 포트가 없습니다 (시리얼 테스트 프로그램에만 필요)"),
                   AdviceText(Advice::NoSerialPort));
        return;
    }
    QStringList usable;
    QStringList denied;
    for (const QSerialPortInfo& port : ports) {
        const QFileInfo device(port.systemLocation());
        // Windows ports are no files; opening them is the only test there.
        const bool accessible = !device.exists() || (device.isReadable() && device.isWritable());
        (accessible ? usable : denied) << port.portName();
    }
    if (denied.isEmpty()) {
        report.add(QStringLiteral("devices.serial"), CheckArea::Devices,
                   QStringLiteral("시리얼 포트"), Verdict::Ok,
                   QStringLiteral("%1 (%2 이(가) 쓸 수 있습니다)")
                       .arg(usable.join(QStringLiteral(", ")), CurrentUserName()));
    } else {
        report.add(QStringLiteral("devices.serial"), CheckArea::Devices,
                   QStringLiteral("시리얼 포트"), Verdict::Warning,
                   QStringLiteral("%1 이(가) 쓸 수 없습니다: %2")
                       .arg(CurrentUserName(), denied.join(QStringLiteral(", "))),
                   AdviceText(Advice::SerialDenied));
    }
}
