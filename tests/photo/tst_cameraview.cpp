// The camera component: frames through its sink, the preview, the saved
// JPEG, the settings dialog, and showing a photo on a caller's box.

#include "photo/camerasettings.h"
#include "photo/camerasource.h"
#include "photo/cameraview.h"
#include "photo/photoimage.h"
#include "support/syntheticsource.h"

#include <QComboBox>
#include <QImageReader>
#include <QLabel>
#include <QMediaDevices>
#include <QPainter>
#include <QTemporaryDir>
#include <QVideoSink>
#include <QtTest>

namespace {

// A source that delivers nothing by itself and records what it was told.
class RecordingSource : public FrameSource {
public:
    QList<CameraChoice> list;
    QByteArray current;
    QSize size;
    QString trouble;
    QList<std::pair<QByteArray, QSize>> applied;

    void setVideoSink(QVideoSink*) override {}
    void start() override {}
    void stop() override {}
    QList<CameraChoice> cameras() const override { return list; }
    QByteArray cameraId() const override { return current; }
    QSize resolution() const override { return size; }
    void useCamera(const QByteArray& id, const QSize& resolution) override {
        applied.append({id, resolution});
    }
    QString problem() const override { return trouble; }
    void fail(const QString& text) {
        trouble = text;
        Q_EMIT problemChanged();
    }
};

// Four flat quadrants: red, green / blue, white. Flips, mirroring, swapped
// channels and letterboxing all show up at the corners.
QImage quadrants(const QSize& size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    const int w = size.width() / 2;
    const int h = size.height() / 2;
    p.fillRect(0, 0, w, h, Qt::red);
    p.fillRect(w, 0, size.width() - w, h, Qt::green);
    p.fillRect(0, h, w, size.height() - h, Qt::blue);
    p.fillRect(w, h, size.width() - w, size.height() - h, Qt::white);
    return image;
}

bool near(QRgb actual, QColor expected, int tolerance = 40) {
    return std::abs(qRed(actual) - expected.red()) <= tolerance &&
           std::abs(qGreen(actual) - expected.green()) <= tolerance &&
           std::abs(qBlue(actual) - expected.blue()) <= tolerance;
}

void checkCorners(const QImage& image) {
    const int r = image.width() - 6;
    const int b = image.height() - 6;
    QVERIFY2(near(image.pixel(5, 5), Qt::red), "top left");
    QVERIFY2(near(image.pixel(r, 5), Qt::green), "top right");
    QVERIFY2(near(image.pixel(5, b), Qt::blue), "bottom left");
    QVERIFY2(near(image.pixel(r, b), Qt::white), "bottom right");
}

std::unique_ptr<RecordingSource> recording() {
    return std::make_unique<RecordingSource>();
}

} // namespace

class TestCameraView : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void saveWithoutFrameFails();
    void savedPhotoFitsAndKeepsAspect_data();
    void savedPhotoFitsAndKeepsAspect();
    void savedPhotoKeepsOrientationAndColours();
    void saveDoesNotCreateFoldersAndReplacesFiles();
    void previewFillsItsWholeArea();
    void noticeAndStaleFrames();
    void noCameraOnThisMachine();
    void settingsListCamerasAndApplyAtOnce();
    void settingsWithoutCameras();
    void settingsChangeThePreviewAtOnce();
    void showPhotoOnCallersBox();
    void showPhotoFailuresLeaveTheBox();
    void watchdogNamesTheCausesWhenFramesFail_data();
    void watchdogNamesTheCausesWhenFramesFail();
    void cameraPluggedInWhileOpenIsPickedUp();
};

void TestCameraView::saveWithoutFrameFails() {
    QTemporaryDir dir;
    CameraView view(nullptr, recording());
    const QString path = dir.filePath("a.JPG");
    QVERIFY(!view.SaveFrameAsJpeg(path));
    QVERIFY(!QFile::exists(path));
}

void TestCameraView::savedPhotoFitsAndKeepsAspect_data() {
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<QSize>("photo");
    QTest::newRow("VGA as is") << QSize(640, 480) << QSize(640, 480);
    QTest::newRow("HD scaled to width") << QSize(1280, 720) << QSize(640, 360);
    QTest::newRow("full HD") << QSize(1920, 1080) << QSize(640, 360);
    QTest::newRow("portrait scaled to height") << QSize(480, 640) << QSize(360, 480);
    QTest::newRow("small never enlarged") << QSize(320, 240) << QSize(320, 240);
}

void TestCameraView::savedPhotoFitsAndKeepsAspect() {
    QFETCH(QSize, frame);
    QFETCH(QSize, photo);
    QTemporaryDir dir;
    CameraView view(nullptr, recording());
    view.videoSink()->setVideoFrame(MakeYuyvFrame(MakeCameraLikeImage(frame, 3)));
    const QString path = dir.filePath("010-1234-5678.JPG");
    QVERIFY(view.SaveFrameAsJpeg(path));
    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    const QImage saved = reader.read();
    QCOMPARE(saved.size(), photo);
}

void TestCameraView::savedPhotoKeepsOrientationAndColours() {
    QTemporaryDir dir;
    CameraView view(nullptr, recording());
    view.videoSink()->setVideoFrame(MakeYuyvFrame(quadrants(QSize(1280, 960))));
    const QString path = dir.filePath("q.JPG");
    QVERIFY(view.SaveFrameAsJpeg(path));
    const QImage saved(path);
    QCOMPARE(saved.size(), QSize(640, 480));
    checkCorners(saved);
}

void TestCameraView::saveDoesNotCreateFoldersAndReplacesFiles() {
    QTemporaryDir dir;
    CameraView view(nullptr, recording());
    view.videoSink()->setVideoFrame(MakeYuyvFrame(quadrants(QSize(320, 240))));
    QVERIFY(!view.SaveFrameAsJpeg(dir.filePath("missing/a.JPG")));
    QVERIFY(!QFileInfo::exists(dir.filePath("missing")));

    const QString path = dir.filePath("a.JPG");
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(400000, 'x'));
    }
    QVERIFY(view.SaveFrameAsJpeg(path));
    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    QVERIFY(QFileInfo(path).size() < 400000);
    QCOMPARE(reader.read().size(), QSize(320, 240));
}

void TestCameraView::previewFillsItsWholeArea() {
    CameraView view(nullptr, recording());
    view.resize(240, 265); // not 4:3: the frame is stretched, not boxed
    view.videoSink()->setVideoFrame(MakeYuyvFrame(quadrants(QSize(640, 480))));
    QVERIFY(view.notice().isEmpty());
    checkCorners(view.grab().toImage().convertToFormat(QImage::Format_RGB32));
}

void TestCameraView::noticeAndStaleFrames() {
    auto owned = recording();
    RecordingSource* source = owned.get();
    source->trouble = "카메라가 없습니다";
    CameraView view(nullptr, std::move(owned));
    QCOMPARE(view.notice(), QString("카메라가 없습니다"));

    // Frames pushed into the sink are shown whatever the source said before.
    view.videoSink()->setVideoFrame(MakeYuyvFrame(quadrants(QSize(64, 48))));
    QVERIFY(view.notice().isEmpty());

    // A new failure makes the held frame stale: it is neither shown nor saved.
    source->fail("카메라 오류: 장치가 분리되었습니다");
    QCOMPARE(view.notice(), QString("카메라 오류: 장치가 분리되었습니다"));
    QTemporaryDir dir;
    QVERIFY(!view.SaveFrameAsJpeg(dir.filePath("a.JPG")));
}

void TestCameraView::noCameraOnThisMachine() {
    if (!QMediaDevices::videoInputs().isEmpty()) {
        QSKIP("this machine has a camera");
    }
    CameraView view;
    QCOMPARE(view.notice(), QString("연결된 카메라가 없습니다"));
    QVERIFY(view.frameSource()->cameras().isEmpty());
    QTemporaryDir dir;
    QVERIFY(!view.SaveFrameAsJpeg(dir.filePath("a.JPG")));
}

void TestCameraView::settingsListCamerasAndApplyAtOnce() {
    RecordingSource source;
    source.list = {{"cam-a", "앞 카메라", {QSize(1280, 720), QSize(640, 480)}},
                   {"cam-b", "USB 카메라", {QSize(320, 240)}}};
    source.current = "cam-a";
    source.size = QSize(640, 480);
    CameraSettingsDialog dialog(&source);
    auto* cameras = dialog.findChild<QComboBox*>("카메라목록");
    auto* sizes = dialog.findChild<QComboBox*>("해상도");
    QVERIFY(cameras && sizes);
    QCOMPARE(cameras->count(), 2);
    QCOMPARE(cameras->currentText(), QString("앞 카메라"));
    QCOMPARE(sizes->count(), 3); // the default and two sizes
    QCOMPARE(sizes->currentData().toSize(), QSize(640, 480));
    QVERIFY(source.applied.isEmpty()); // opening changes nothing

    cameras->setCurrentIndex(1);
    QCOMPARE(source.applied.size(), 1);
    QCOMPARE(source.applied.last().first, QByteArray("cam-b"));
    QVERIFY(source.applied.last().second.isEmpty());
    QCOMPARE(sizes->count(), 2);

    sizes->setCurrentIndex(1);
    QCOMPARE(source.applied.size(), 2);
    QCOMPARE(source.applied.last().first, QByteArray("cam-b"));
    QCOMPARE(source.applied.last().second, QSize(320, 240));
}

void TestCameraView::settingsWithoutCameras() {
    RecordingSource source;
    CameraSettingsDialog dialog(&source);
    auto* cameras = dialog.findChild<QComboBox*>("카메라목록");
    QVERIFY(cameras);
    QVERIFY(!cameras->isEnabled());
    QCOMPARE(cameras->currentText(), QString("연결된 카메라가 없습니다"));
    QVERIFY(source.applied.isEmpty());
}

void TestCameraView::settingsChangeThePreviewAtOnce() {
    CameraView view(nullptr, std::make_unique<SyntheticFrameSource>());
    QCOMPARE(view.latestFrame().size(), QSize(640, 480));
    CameraSettingsDialog dialog(view.frameSource(), &view);
    auto* sizes = dialog.findChild<QComboBox*>("해상도");
    QVERIFY(sizes);
    const int small = sizes->findData(QSize(320, 240));
    QVERIFY(small > 0);
    sizes->setCurrentIndex(small);
    QCOMPARE(view.latestFrame().size(), QSize(320, 240));
}

void TestCameraView::showPhotoOnCallersBox() {
    QTemporaryDir dir;
    const QString path = dir.filePath("p.JPG");
    QVERIFY(WriteJpeg(quadrants(QSize(640, 480)), path));
    QWidget form;
    auto* box = new QLabel(&form);
    box->setObjectName("회원사진");
    box->resize(100, 130);
    QString why;
    QVERIFY(ShowPhotoOn(box, path, &why));
    const QImage shown = box->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(shown.size(), QSize(100, 130));
    // 4:3 in a tall box: 100 × 75 in the middle, empty above and below.
    QCOMPARE(qAlpha(shown.pixel(50, 10)), 0);
    QCOMPARE(qAlpha(shown.pixel(50, 120)), 0);
    QVERIFY(near(shown.pixel(10, 35), Qt::red));
    QVERIFY(near(shown.pixel(90, 95), Qt::white));
}

void TestCameraView::showPhotoFailuresLeaveTheBox() {
    QTemporaryDir dir;
    const QString path = dir.filePath("p.JPG");
    QVERIFY(WriteJpeg(quadrants(QSize(64, 48)), path));
    QString why;
    QVERIFY(!ShowPhotoOn(nullptr, path, &why));
    QVERIFY(why.contains("회원사진"));

    QWidget form;
    auto* box = new QLabel(&form);
    box->setObjectName("회원사진");
    box->resize(40, 40);
    QVERIFY(ShowPhotoOn(box, path));
    const QImage before = box->pixmap().toImage();
    const QString broken = dir.filePath("broken.JPG");
    {
        QFile f(broken);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a picture");
    }
    why.clear();
    QVERIFY(!ShowPhotoOn(box, broken, &why));
    QVERIFY(!why.isEmpty());
    QVERIFY(!ShowPhotoOn(box, dir.filePath("absent.JPG")));
    QCOMPARE(box->pixmap().toImage(), before);
}

// Steps, one word each: "frame" a usable frame, "empty" an empty one (as
// Windows delivers when the stream fails), "check" the preview's timer.
void TestCameraView::watchdogNamesTheCausesWhenFramesFail_data() {
    QTest::addColumn<QString>("steps");
    QTest::addColumn<bool>("stalled");
    QTest::newRow("nothing since opening") << "check" << true;
    QTest::newRow("empty frames only") << "empty empty check" << true;
    QTest::newRow("frames that stop") << "frame check empty check" << true;
    QTest::newRow("frames that keep coming") << "frame check frame check" << false;
    QTest::newRow("back after a stall") << "check frame" << false;
}

void TestCameraView::watchdogNamesTheCausesWhenFramesFail() {
    QFETCH(QString, steps);
    QFETCH(bool, stalled);
    CameraView view(nullptr, recording());
    for (const QString& step : steps.split(u' ')) {
        if (step == QLatin1String("check")) {
            view.checkFrames();
        } else {
            view.videoSink()->setVideoFrame(step == QLatin1String("frame")
                                                ? MakeYuyvFrame(quadrants(QSize(64, 48)))
                                                : QVideoFrame());
        }
    }
    QTemporaryDir dir;
    QString why;
    const bool saved = view.SaveFrameAsJpeg(dir.filePath("p.JPG"), &why);
    QCOMPARE(saved, !stalled);
    if (stalled) {
        for (const char* cause : {"다른 프로그램", "개인 정보", "케이블"}) {
            QVERIFY2(view.notice().contains(QString::fromUtf8(cause)), cause);
        }
        QCOMPARE(why, view.notice());
    } else {
        QVERIFY(view.notice().isEmpty());
    }
}

void TestCameraView::cameraPluggedInWhileOpenIsPickedUp() {
    auto source = std::make_unique<SyntheticFrameSource>(QList<CameraChoice>{});
    SyntheticFrameSource* camera = source.get();
    CameraView view(nullptr, std::move(source));
    QCOMPARE(view.notice(), QStringLiteral("연결된 카메라가 없습니다"));
    camera->plugIn({"usb", QStringLiteral("USB 카메라"), {QSize(640, 480)}});
    QCOMPARE(camera->cameraId(), QByteArray("usb"));
    QVERIFY(view.latestFrame().isValid());
    QVERIFY(view.notice().isEmpty());
}

QTEST_MAIN(TestCameraView)
#include "tst_cameraview.moc"
