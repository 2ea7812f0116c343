// Taking a member photo end to end: the registration screen's take-photo
// button, the camera screen with a frame pushed through its preview's sink,
// the picture on the registration screen, and the save that moves the file
// into the member row. The test program runs, as the station does, from its
// program folder with a working folder elsewhere. Runs once per backend
// (STATION_TEST_BACKEND).

#include "support/stationfixture.h"

#include "components/widgets/hotspot.h"
#include "components/widgets/mytext.h"
#include "photo/camerascreen.h"
#include "support/syntheticsource.h"

#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QVideoSink>

using namespace stationtest;

namespace {

odbcfixture::Backend backendUnderTest() {
    return qEnvironmentVariable("STATION_TEST_BACKEND") == QStringLiteral("postgresql")
               ? odbcfixture::Backend::PostgreSQL
               : odbcfixture::Backend::SQLite;
}

// Through the window, so the focus moves as with a real click (leaving the
// phone field runs the lookup first).
void click(QWidget* target) {
    QWidget* window = target->window();
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                      target->mapTo(window, target->rect().center()));
}

} // namespace

class TestTakePhoto : public QObject {
    Q_OBJECT

    std::unique_ptr<Station> m_station;
    MyText* m_phone = nullptr;
    QLabel* m_photo = nullptr;
    QString m_handedOver;

    Station& station() { return *m_station; }

    // Types the number, then presses the take-photo button; camera is what
    // is done on the camera screen while it is open.
    void takePhoto(const QString& digits, const std::function<void(FrmPOS_사진찍기*)>& camera) {
        m_phone->setFocus();
        QTest::keyClicks(m_phone, digits);
        ModalAnswer answer(
            [&](QWidget* window) {
                auto* screen = dynamic_cast<FrmPOS_사진찍기*>(window);
                m_handedOver = screen ? screen->PhotoFileBase() : QString();
                camera(screen);
            },
            ModalAnswer::Once, QStringLiteral("FrmPOS_사진찍기"));
        click(station().widget<QPushButton>("버튼사진찍기"));
        QVERIFY(answer.seen());
        station().reactivate();
    }

private Q_SLOTS:
    void initTestCase() {
        if (const QString why = prepareStationProcess(); !why.isEmpty()) {
            QSKIP(qPrintable(why));
        }
    }

    void init() {
        m_station = std::make_unique<Station>(backendUnderTest());
        if (!station().ready()) {
            QSKIP(qPrintable(station().skipReason()));
        }
        station().prepare();
        station().startAndShow();
        m_phone = station().widget<MyText>("휴대폰번호");
        m_photo = station().widget<QLabel>("회원사진");
        m_handedOver.clear();
    }

    void cleanup() {
        m_station.reset();
        QCOMPARE(ModalAnswer::leftoverWindows(), QStringList());
    }

    // The camera's file goes to the program folder's photo folder, where
    // the save reads it, never to the working folder.
    void photoTakenThenSavedEndsUpInTheRow() {
        const QDir working = QDir::current();
        QVERIFY2(working.canonicalPath() != QDir(station().path(QString())).canonicalPath(),
                 "the test must run with a working folder other than its program folder");
        const auto workingEntries = [&working] {
            return working.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        };
        const QStringList workingBefore = workingEntries();
        QVERIFY(!QFileInfo::exists(station().path(QStringLiteral("회원사진"))));
        takePhoto(QStringLiteral("12345678"), [](FrmPOS_사진찍기* camera) {
            QVERIFY(camera);
            camera->ezVidCap()->videoSink()->setVideoFrame(
                MakeYuyvFrame(MakeCameraLikeImage(QSize(640, 480), 5)));
            camera->findChild<QPushButton*>(QStringLiteral("버튼사진찍기"))->click();
        });
        QCOMPARE(m_handedOver, QStringLiteral("010-1234-5678"));
        QVERIFY(!ModalAnswer::leftoverWindows().contains(QStringLiteral("FrmPOS_사진찍기")));

        const QString file = station().capturedPhoto(QStringLiteral("1234-5678"));
        {
            // Closed before the save: Windows cannot delete a file still open.
            QImageReader reader(file);
            QCOMPARE(reader.format(), QByteArray("jpeg"));
            QCOMPARE(reader.size(), QSize(640, 480));
        }
        QVERIFY(!m_photo->pixmap().isNull());
        const QByteArray bytes = readFile(file);

        // The lookup on leaving the field emptied the entry: fill it, save.
        station().widget<MyText>("성명")->setText(QStringLiteral("홍길동"));
        click(station().widget<HotSpot>("버튼남"));
        ModalAnswer messages = ModalAnswer::key(Qt::Key_Escape, ModalAnswer::Every);
        click(station().widget<HotSpot>("버튼확인"));
        QCOMPARE(messages.texts(), QStringList());

        const auto row = station().member(QStringLiteral("010-1234-5678"));
        QVERIFY(row.has_value());
        QCOMPARE(row->name, QStringLiteral("홍길동"));
        QCOMPARE(row->photo, bytes);
        QVERIFY(!QFileInfo::exists(file));
        QCOMPARE(workingEntries(), workingBefore);
    }

    void leavingTheCameraTakesNothing() {
        takePhoto(QStringLiteral("12345678"), [](FrmPOS_사진찍기* camera) {
            QVERIFY(camera);
            QTest::keyClick(camera, Qt::Key_Escape);
        });
        QCOMPARE(m_handedOver, QStringLiteral("010-1234-5678"));
        QVERIFY(!ModalAnswer::leftoverWindows().contains(QStringLiteral("FrmPOS_사진찍기")));
        QCOMPARE(station().jpegFiles(), QStringList());
        QVERIFY(m_photo->pixmap().isNull());
    }
};

QTEST_MAIN(TestTakePhoto)
#include "tst_takephoto.moc"
