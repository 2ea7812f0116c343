// Windows without Media Foundation (an N or KN edition without the Media
// Feature Pack), played by Wine with mfplat.dll turned off: the check names
// the library, and the camera preview says so without touching Qt's camera
// support (which would end the program there).

#include "photo/cameraview.h"
#include "util/medialibraries.h"

#include <QtTest>

class TestMediaLibrariesWin : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void missingMediaFoundationIsNamedAndTheCameraLeftAlone() {
        // The others import it, and go with it.
        QVERIFY2(MissingCameraLibraries().contains(QStringLiteral("mfplat.dll")),
                 qPrintable(MissingCameraLibraries().join(u' ')));
        CameraView view;
        QVERIFY2(view.notice().contains(QStringLiteral("mfplat.dll")) &&
                     view.notice().contains(QStringLiteral("Media Feature Pack")),
                 qPrintable(view.notice()));
        QString why;
        QVERIFY(!view.SaveFrameAsJpeg(QStringLiteral("never.JPG"), &why));
        QCOMPARE(why, view.notice());
    }
};

QTEST_MAIN(TestMediaLibrariesWin)
#include "tst_medialibraries_win.moc"
