// Save-click benchmark of the camera screen: one 640 × 480 camera-like
// frame in the preview, the save button clicked, timed until the JPEG is on
// disk and shown in the caller's photo box (the click returns only then).
// Usage: bench_camera [saves]   (runs headless unless QT_QPA_PLATFORM is set)
// The photo is written into the photo folder beside the benchmark, which
// runs itself from a scratch folder for that.

#include "bench/support/scratchfolder.h"
#include "photo/camerascreen.h"
#include "photo/photoimage.h"
#include "support/syntheticsource.h"
#include "util/programwide.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (const int rc = bench::runFromScratchProgramFolder(); rc >= 0) {
        return rc;
    }
    const int saves = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 50;

    const QString photoFileBase = QStringLiteral("010-1234-5678");
    QWidget caller;
    auto* box = new QLabel(&caller);
    box->setObjectName(QStringLiteral("회원사진"));
    box->resize(150, 190);
    const QString path = PhotoFolderPath() + QStringLiteral("/010-1234-5678.JPG");

    std::vector<double> millis;
    std::vector<qint64> bytes;
    for (int i = 0; i < saves; ++i) {
        FrmPOS_사진찍기 screen(&caller, box, photoFileBase,
                               std::make_unique<SyntheticFrameSource>());
        // A different scene each time, so no run profits from the last.
        static_cast<SyntheticFrameSource*>(screen.ezVidCap()->frameSource())->pushFrame();
        for (int k = 0; k < i % 7; ++k) {
            static_cast<SyntheticFrameSource*>(screen.ezVidCap()->frameSource())->pushFrame();
        }
        box->clear();
        auto* button = screen.findChild<QPushButton*>(QStringLiteral("버튼사진찍기"));
        QElapsedTimer timer;
        timer.start();
        button->click();
        const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        if (screen.result() != QDialog::Accepted || !QFileInfo::exists(path) ||
            box->pixmap().isNull()) {
            std::fprintf(stderr, "save %d did not complete\n", i + 1);
            return 1;
        }
        millis.push_back(ms);
        bytes.push_back(QFileInfo(path).size());
        QFile::remove(path);
    }

    std::sort(millis.begin(), millis.end());
    std::sort(bytes.begin(), bytes.end());
    const double median = millis[millis.size() / 2];
    const qint64 size = bytes[bytes.size() / 2];
    std::printf("camera save, 640x480 camera-like frame, %d saves\n", saves);
    std::printf("  click to file written and picture shown: median %.1f ms (min %.1f, max %.1f)\n",
                median, millis.front(), millis.back());
    std::printf("  JPEG size (quality 85): median %lld bytes (%.1f KB), range %lld..%lld\n",
                static_cast<long long>(size), static_cast<double>(size) / 1024.0,
                static_cast<long long>(bytes.front()), static_cast<long long>(bytes.back()));
    std::printf("  goal: under 50 ms and under 60 KB: %s\n",
                median < 50 && size < 60 * 1024 ? "met" : "NOT met");
    return 0;
}
