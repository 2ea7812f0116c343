// The camera screen as the registration screen uses it: opened modally with
// CallerForm, its photo box and PhotoFileBase given, frames pushed through the preview's
// sink, the save button pressed; and the camera chosen in its settings,
// kept for the next opening and the next start.

#include "photo/camerachoice.h"
#include "photo/camerascreen.h"
#include "support/modalhelper.h"
#include "support/programfolder.h"
#include "support/syntheticsource.h"
#include "util/cp949.h"
#include "util/programwide.h"

#include <QComboBox>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVideoSink>
#include <QtTest>
#include <functional>

namespace {

// Runs body once the screen's modal loop is running, then waits for exec().
int runModal(FrmPOS_사진찍기& screen, std::function<void()> body) {
    QTimer::singleShot(0, &screen, std::move(body));
    return screen.exec();
}

void pushFrame(FrmPOS_사진찍기& screen, const QSize& size = QSize(640, 480)) {
    screen.ezVidCap()->videoSink()->setVideoFrame(MakeYuyvFrame(MakeCameraLikeImage(size, 11)));
}

QPushButton* button(FrmPOS_사진찍기& screen, const char* name) {
    return screen.findChild<QPushButton*>(QString::fromUtf8(name));
}

// A counter with a built-in camera and a USB one.
const CameraChoice kBuiltIn{"built-in", "내장 카메라", {QSize(1280, 720), QSize(640, 480)}};
const CameraChoice kUsb{"usb:1-2", "USB 카메라", {QSize(1920, 1080), QSize(320, 240)}};

// What a camera screen opened on these cameras starts with: the camera in
// use and the size of the first frame of its preview.
std::pair<QByteArray, QSize> openedWith(const QList<CameraChoice>& cameras) {
    FrmPOS_사진찍기 screen(nullptr, nullptr, QString(),
                           std::make_unique<SyntheticFrameSource>(cameras));
    return {screen.ezVidCap()->frameSource()->cameraId(), screen.ezVidCap()->latestFrame().size()};
}

// Opens the camera settings of a screen on these cameras and picks a camera
// and resolution in them, as the operator does.
void choose(const QList<CameraChoice>& cameras, const QByteArray& id, const QSize& size) {
    FrmPOS_사진찍기 screen(nullptr, nullptr, QString(),
                           std::make_unique<SyntheticFrameSource>(cameras));
    ModalAnswer settings(
        [&](QWidget* dialog) {
            auto* list = dialog->findChild<QComboBox*>("카메라목록");
            auto* sizes = dialog->findChild<QComboBox*>("해상도");
            QVERIFY(list && sizes);
            list->setCurrentIndex(list->findData(id));
            sizes->setCurrentIndex(sizes->findData(size));
            QTest::keyClick(dialog, Qt::Key_Escape);
        },
        ModalAnswer::Once, "CameraSettingsDialog");
    runModal(screen, [&] {
        button(screen, "카메라설정")->click();
        screen.reject();
    });
    QVERIFY(settings.seen());
}

} // namespace

class TestCameraScreen : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void firstSaveCreatesFolderShowsPhotoAndCloses();
    void leavingWithoutSaving_data();
    void leavingWithoutSaving();
    void noFrameFailsAndTheScreenStaysForAnotherTry();
    void photoFolderNameTakenByAFile();
    void callerWithoutPhotoBoxReportsAndKeepsTheFile();
    void baseNameNeverLeavesThePhotoFolder_data();
    void baseNameNeverLeavesThePhotoFolder();
    void settingsButtonOpensTheCameraSettings();
    void chosenCameraKeptForTheNextOpeningAndTheNextStart();
    void rememberedCameraAsFarAsItIsStillThere_data();
    void rememberedCameraAsFarAsItIsStillThere();
    void choiceHoldsForTheRunWhenItsFileCannotBeWritten();

private:
    std::unique_ptr<ScratchProgramFolder> folder_;
    std::unique_ptr<QWidget> caller_;
    QLabel* photoBox_ = nullptr;
    QString photoFileBase_;
};

void TestCameraScreen::init() {
    folder_ = std::make_unique<ScratchProgramFolder>();
    QVERIFY2(folder_->isValid(), qPrintable(folder_->errorString()));
    caller_ = std::make_unique<QWidget>();
    photoBox_ = new QLabel(caller_.get());
    photoBox_->setObjectName("회원사진");
    photoBox_->setGeometry(0, 0, 120, 150);
    photoFileBase_ = "010-" + QString("1234-5678");
}

void TestCameraScreen::cleanup() {
    caller_.reset();
    folder_.reset();
    ChosenCamera.reset();
    QCOMPARE(ModalAnswer::leftoverWindows(), QStringList());
}

void TestCameraScreen::firstSaveCreatesFolderShowsPhotoAndCloses() {
    const QString photoFolder = folder_->filePath("회원사진");
    QVERIFY(!QFileInfo::exists(photoFolder));
    FrmPOS_사진찍기 screen(caller_.get(), photoBox_, photoFileBase_);
    QCOMPARE(screen.windowTitle(), QString("사진찍기"));
    bool shownWhileOpen = false;
    const int result = runModal(screen, [&] {
        shownWhileOpen = screen.isVisible();
        pushFrame(screen);
        button(screen, "버튼사진찍기")->click();
    });
    QVERIFY(shownWhileOpen);
    QCOMPARE(result, int(QDialog::Accepted));
    QVERIFY(!screen.isVisible());

    const QString path = photoFolder + "/010-1234-5678.JPG";
    QVERIFY(QFileInfo(photoFolder).isDir());
    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    QCOMPARE(reader.read().size(), QSize(640, 480));
    QVERIFY(!photoBox_->pixmap().isNull());
    QCOMPARE(photoBox_->pixmap().size(), photoBox_->size());
}

void TestCameraScreen::leavingWithoutSaving_data() {
    QTest::addColumn<bool>("escape");
    QTest::newRow("Escape") << true;
    QTest::newRow("close button") << false;
}

void TestCameraScreen::leavingWithoutSaving() {
    QFETCH(bool, escape);
    FrmPOS_사진찍기 screen(caller_.get(), photoBox_, photoFileBase_);
    const int result = runModal(screen, [&] {
        pushFrame(screen);
        if (escape) {
            QTest::keyClick(&screen, Qt::Key_Escape);
        } else {
            screen.close();
        }
    });
    QCOMPARE(result, int(QDialog::Rejected));
    QVERIFY(!QFileInfo::exists(folder_->filePath("회원사진")));
    QVERIFY(photoBox_->pixmap().isNull());
}

void TestCameraScreen::noFrameFailsAndTheScreenStaysForAnotherTry() {
    ModalAnswer box = ModalAnswer::key(Qt::Key_Escape, ModalAnswer::Once, "Frm_메세지");
    FrmPOS_사진찍기 screen(caller_.get(), photoBox_, photoFileBase_);
    bool openAfterFailure = false;
    bool fileAfterFailure = true;
    const int result = runModal(screen, [&] {
        button(screen, "버튼사진찍기")->click(); // returns once the box is answered
        openAfterFailure = screen.isVisible();
        fileAfterFailure = QFileInfo::exists(folder_->filePath("회원사진/010-1234-5678.JPG"));
        pushFrame(screen);
        button(screen, "버튼사진찍기")->click();
    });
    // The reason follows: here, the preview's own notice.
    QCOMPARE(box.texts().size(), 1);
    QVERIFY2(box.texts().first().startsWith("\r\n사진저장 실패\r\n") &&
                 box.texts().first().size() > 12,
             qPrintable(box.texts().first()));
    QVERIFY(openAfterFailure);
    QVERIFY(!fileAfterFailure);
    QCOMPARE(result, int(QDialog::Accepted));
    QVERIFY(!photoBox_->pixmap().isNull());
}

void TestCameraScreen::photoFolderNameTakenByAFile() {
    const QString blocker = folder_->filePath("회원사진");
    {
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep me");
    }
    ModalAnswer box = ModalAnswer::key(Qt::Key_Escape, ModalAnswer::Once, "Frm_메세지");
    FrmPOS_사진찍기 screen(caller_.get(), photoBox_, photoFileBase_);
    runModal(screen, [&] {
        pushFrame(screen);
        button(screen, "버튼사진찍기")->click();
        screen.reject();
    });
    QCOMPARE(box.texts().size(), 1);
    QVERIFY2(box.texts().first().startsWith("\r\n사진저장 실패\r\n") &&
                 box.texts().first().endsWith(" 에 쓸 수 없습니다"),
             qPrintable(box.texts().first()));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("keep me"));
}

void TestCameraScreen::callerWithoutPhotoBoxReportsAndKeepsTheFile() {
    QWidget bare;
    ModalAnswer box = ModalAnswer::key(Qt::Key_Escape, ModalAnswer::Once, "Frm_메세지");
    FrmPOS_사진찍기 screen(&bare, nullptr, photoFileBase_);
    bool openAfterError = false;
    const int result = runModal(screen, [&] {
        pushFrame(screen);
        button(screen, "버튼사진찍기")->click();
        openAfterError = screen.isVisible();
        screen.reject();
    });
    QCOMPARE(result, int(QDialog::Rejected));
    QVERIFY(openAfterError);
    QVERIFY2(box.text().startsWith("\r\n버튼사진찍기_Click\r\n") &&
                 !box.text().startsWith("\r\n버튼사진찍기_Click\r\n\r\n") &&
                 box.text().length() > QString("\r\n버튼사진찍기_Click\r\n").length(),
             qPrintable(box.text()));
    QVERIFY(QFileInfo::exists(folder_->filePath("회원사진/010-1234-5678.JPG")));
}

void TestCameraScreen::baseNameNeverLeavesThePhotoFolder_data() {
    QTest::addColumn<QString>("base");
    QTest::newRow("empty") << QString();
    QTest::newRow("parent folder") << QString("../010-1234-5678");
    QTest::newRow("backslash") << QString("..\\010-1234-5678");
    QTest::newRow("dot dot") << QString("..");
}

void TestCameraScreen::baseNameNeverLeavesThePhotoFolder() {
    QFETCH(QString, base);
    photoFileBase_ = base;
    ModalAnswer box = ModalAnswer::key(Qt::Key_Escape, ModalAnswer::Once, "Frm_메세지");
    FrmPOS_사진찍기 screen(caller_.get(), photoBox_, photoFileBase_);
    runModal(screen, [&] {
        pushFrame(screen);
        button(screen, "버튼사진찍기")->click();
        screen.reject();
    });
    QVERIFY2(box.text().startsWith("\r\n버튼사진찍기_Click\r\n"), qPrintable(box.text()));
    QCOMPARE(folder_->entryList(), QStringList());
    QVERIFY(!QFileInfo::exists(folder_->filePath("../010-1234-5678.JPG")));
    QVERIFY(photoBox_->pixmap().isNull());
}

void TestCameraScreen::settingsButtonOpensTheCameraSettings() {
    FrmPOS_사진찍기 screen(nullptr, nullptr, QString(), std::make_unique<SyntheticFrameSource>());
    QStringList offered;
    ModalAnswer settings(
        [&](QWidget* dialog) {
            auto* cameras = dialog->findChild<QComboBox*>("카메라목록");
            auto* sizes = dialog->findChild<QComboBox*>("해상도");
            QVERIFY(cameras && sizes);
            offered << cameras->currentText();
            sizes->setCurrentIndex(sizes->findData(QSize(320, 240)));
            QTest::keyClick(dialog, Qt::Key_Escape);
        },
        ModalAnswer::Once, "CameraSettingsDialog");
    runModal(screen, [&] {
        button(screen, "카메라설정")->click();
        screen.reject();
    });
    QCOMPARE(offered, QStringList{"합성 영상"});
    QCOMPARE(screen.ezVidCap()->latestFrame().size(), QSize(320, 240));
}

void TestCameraScreen::chosenCameraKeptForTheNextOpeningAndTheNextStart() {
    const QList<CameraChoice> cameras{kBuiltIn, kUsb};
    QCOMPARE(openedWith(cameras), std::make_pair(QByteArray("built-in"), QSize(640, 480)));
    choose(cameras, "usb:1-2", QSize(320, 240));
    QCOMPARE(openedWith(cameras), std::make_pair(QByteArray("usb:1-2"), QSize(320, 240)));

    // A new start knows only the file.
    ChosenCamera.reset();
    QCOMPARE(folder_->entryList(), QStringList{CameraChoiceFileName});
    QFile file(folder_->filePath(CameraChoiceFileName));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(cp949::decode(file.readAll()), QString("카메라 = usb:1-2\r\n해상도 = 320x240\r\n"));
    QCOMPARE(openedWith(cameras), std::make_pair(QByteArray("usb:1-2"), QSize(320, 240)));

    // Back to the camera's own resolution.
    choose(cameras, "usb:1-2", QSize());
    ChosenCamera.reset();
    QCOMPARE(openedWith(cameras), std::make_pair(QByteArray("usb:1-2"), QSize(1920, 1080)));
}

void TestCameraScreen::rememberedCameraAsFarAsItIsStillThere_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("usbId"); // empty: no USB camera plugged in
    QTest::addColumn<QByteArray>("camera");
    QTest::addColumn<QSize>("size");
    const QByteArray usb320 = cp949::encode("카메라 = usb:1-2\r\n해상도 = 320x240\r\n");
    QTest::newRow("USB camera unplugged")
        << usb320 << QByteArray() << QByteArray("built-in") << QSize(640, 480);
    QTest::newRow("resolution no longer offered")
        << usb320 << QByteArray("usb:1-2") << QByteArray("usb:1-2") << QSize(800, 600);
    QTest::newRow("no camera line")
        << cp949::encode("해상도 = 320x240\r\n") << QByteArray("usb:1-2") << QByteArray("built-in")
        << QSize(640, 480);
    QTest::newRow("resolution unreadable")
        << cp949::encode("카메라 = usb:1-2\r\n해상도 = 큰것\r\n") << QByteArray("usb:1-2")
        << QByteArray("usb:1-2") << QSize(800, 600);
    QTest::newRow("id with an escape, LF line ends")
        << cp949::encode("카메라 = usb%201-2\n해상도 = 800x600\n") << QByteArray("usb 1-2")
        << QByteArray("usb 1-2") << QSize(800, 600);
}

void TestCameraScreen::rememberedCameraAsFarAsItIsStillThere() {
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, usbId);
    QFETCH(QByteArray, camera);
    QFETCH(QSize, size);
    {
        QFile out(folder_->filePath(CameraChoiceFileName));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file);
    }
    QList<CameraChoice> cameras{kBuiltIn};
    if (!usbId.isEmpty()) {
        cameras << CameraChoice{usbId, "USB 카메라", {QSize(800, 600), QSize(160, 120)}};
    }
    QCOMPARE(openedWith(cameras), std::make_pair(camera, size));
}

// A folder in the file's place: the choice is not kept across a start,
// which the error log tells, but this run keeps it.
void TestCameraScreen::choiceHoldsForTheRunWhenItsFileCannotBeWritten() {
    QVERIFY(QDir(folder_->path()).mkdir(CameraChoiceFileName));
    const QList<CameraChoice> cameras{kBuiltIn, kUsb};
    choose(cameras, "usb:1-2", QSize(320, 240));
    QCOMPARE(openedWith(cameras), std::make_pair(QByteArray("usb:1-2"), QSize(320, 240)));
    const QStringList logs = QDir(folder_->filePath("ERROR_LOG")).entryList(QDir::Files);
    QCOMPARE(logs.size(), 1);
    QFile log(folder_->filePath("ERROR_LOG/" + logs.first()));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QString line = cp949::decode(log.readAll());
    QVERIFY2(line.startsWith("카메라설정_Click  ") && line.contains(CameraChoiceFileName),
             qPrintable(line));
    ChosenCamera.reset();
    QCOMPARE(openedWith(cameras), std::make_pair(QByteArray("built-in"), QSize(640, 480)));
}

QTEST_MAIN(TestCameraScreen)
#include "tst_camerascreen.moc"
