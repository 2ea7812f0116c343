// The start-up of the station, step by step, through the driver name
// "SQL Server" with SQLite behind it, as the demo runs: each failure shows
// its message and ends the program; a good start leaves no connection open.

#include "support/stationfixture.h"

#include "components/widgets/mytext.h"
#include "config/settingsscreen.h"
#include "util/singleinstance.h"

#include <QLabel>
#include <QPushButton>

using namespace stationtest;

namespace {

QString box(const QString& text) {
    return QStringLiteral("\r\n") + text;
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

    std::unique_ptr<Station> m_station;
    Station& station() { return *m_station; }

private Q_SLOTS:
    void initTestCase() {
        if (const QString why = prepareStationProcess(QStringLiteral("24.12.0024"));
            !why.isEmpty()) {
            QSKIP(qPrintable(why));
        }
    }

    void init() {
        m_station = std::make_unique<Station>(odbcfixture::Backend::SQLite);
        if (!station().ready()) {
            QSKIP(qPrintable(station().skipReason()));
        }
        station().prepare();
    }

    void cleanup() {
        m_station.reset();
        QCOMPARE(ModalAnswer::leftoverWindows(), QStringList());
    }

    void aGoodStartLeavesNoConnectionOpen() {
        QStringList boxes;
        QVERIFY(station().start(&boxes));
        QCOMPARE(boxes, QStringList());
        FrmPOS_판매* screen = station().screen();
        QVERIFY(!screen->ended());
        QVERIFY(!StoreDb.isOpen());
        // The connection was made through the store server's driver name.
        QVERIFY(StoreDb.connectionString().startsWith(QStringLiteral("DRIVER={SQL Server};")));
        QCOMPARE(StationConfig.StoreCode, kStore);
        QCOMPARE(StationConfig.LoginId, station().settings().LoginId);
        QCOMPARE(StationConfig.LoginPassword, station().settings().LoginPassword);
        QCOMPARE(station().widget<QLabel>("라벨버전")->text(), QStringLiteral("24.12.24"));
        QCOMPARE(MainScreen.data(), static_cast<QWidget*>(screen));
        QVERIFY(MainScreenReady);
        QCOMPARE(screen->windowTitle().trimmed(), QString());
        QCOMPARE(screen->size(), QSize(1022, 766));

        screen->show();
        QVERIFY(QTest::qWaitForWindowActive(screen));
        QTRY_COMPARE(QApplication::focusWidget(),
                     static_cast<QWidget*>(station().widget<MyText>("휴대폰번호")));
        for (const char* name : {"휴대폰번호", "성명", "남여구분", "주소"}) {
            QCOMPARE(station().widget<MyText>(name)->text(), QString());
        }
        QVERIFY(station().widget<QLabel>("회원사진")->pixmap().isNull());
    }

    void versionCaptionDropsLeadingZeros() {
        QCOMPARE(VersionCaption(QStringLiteral("24.12.0024")), QStringLiteral("24.12.24"));
        QCOMPARE(VersionCaption(QStringLiteral("1.0.0")), QStringLiteral("1.0.0"));
        QCOMPARE(VersionCaption(QStringLiteral("3.07")), QStringLiteral("3.7.0"));
    }

    void aBackgroundPictureReplacesTheArt() {
        QImage picture(1022, 766, QImage::Format_RGB32);
        picture.fill(QColor(200, 30, 30));
        QVERIFY(picture.save(station().path(QStringLiteral("회원등록.JPG")), "JPG"));
        QVERIFY(station().start());
        const QImage shown = station().screen()->grab().toImage();
        // A corner of the window that no widget covers.
        const QColor corner = shown.pixelColor(3, 3);
        QVERIFY2(qAbs(corner.red() - 200) < 12 && corner.green() < 45, qPrintable(corner.name()));

        // Without it the built-in art shows.
        m_station.reset();
        init();
        QVERIFY(station().start());
        QVERIFY(station().screen()->grab().toImage().pixelColor(3, 3).red() < 100);
    }

    void aSecondCopyIsRefused() {
        auto running = std::make_unique<SingleInstance>(SingleInstanceLockPath());
        QVERIFY(running->acquire());
        QStringList boxes;
        QVERIFY(!station().start(&boxes));
        QCOMPARE(boxes, QStringList{box(QStringLiteral("이미 프로그램이 실행 중 입니다."))});
        QVERIFY(station().screen()->ended());
        // Refused before anything else: the settings were not even read.
        QCOMPARE(StationConfig.StoreCode, QString());
        QVERIFY(!MainScreenReady);
        // The first copy keeps its lock, in the program folder, until it ends.
        QCOMPARE(QFileInfo(SingleInstanceLockPath()).absolutePath(),
                 QFileInfo(station().path(SettingsFileName)).absolutePath());
        QVERIFY(!SingleInstance(SingleInstanceLockPath()).acquire());
        running.reset();
        QVERIFY(station().start());
    }

    void leavingTheSettingsScreenEndsTheProgram() {
        QVERIFY(QFile::remove(station().path(SettingsFileName)));
        ModalAnswer settings =
            ModalAnswer::click(QStringLiteral("버튼나가기"), Qt::LeftButton, ModalAnswer::Once,
                               QStringLiteral("FrmPOS_초기설정"));
        QStringList boxes;
        QVERIFY(!station().start(&boxes));
        QVERIFY(settings.seen());
        QCOMPARE(boxes, QStringList{box(QStringLiteral("환경설정 파일이 없습니다"))});
        QVERIFY(!QFileInfo::exists(station().path(SettingsFileName)));
        QVERIFY(station().screen()->ended());
    }

    // No file, or the empty one the Windows installer makes for operators
    // to write: the settings screen comes up.
    void savedSettingsLetStartUpGoOn_data() {
        QTest::addColumn<bool>("empty");
        QTest::newRow("no file") << false;
        QTest::newRow("an empty file") << true;
    }
    void savedSettingsLetStartUpGoOn() {
        QFETCH(bool, empty);
        QVERIFY(QFile::remove(station().path(SettingsFileName)));
        if (empty) {
            QVERIFY(writeFile(station().path(SettingsFileName), QByteArray()));
        }
        const StationSettings wanted = station().settings();
        ModalAnswer settings(
            [&wanted](QWidget* w) {
                // An Escape meant for a message box neither closes the
                // screen nor loses what was typed.
                QTest::keyClick(w->focusWidget(), Qt::Key_Escape);
                QVERIFY(w->isVisible());
                const auto set = [w](const char* name, const QString& text) {
                    auto* field = w->findChild<MyText*>(QString::fromUtf8(name));
                    field->clear();
                    QTest::keyClicks(field, text);
                };
                set("서버IP", wanted.ServerIp);
                set("DB명", wanted.DbName);
                set("접속아이디", wanted.LoginId);
                set("접속비번", wanted.LoginPassword);
                set("POS번호", QStringLiteral("07"));
                auto* save = w->findChild<QPushButton*>(QStringLiteral("버튼저장"));
                QTest::mouseClick(save, Qt::LeftButton);
            },
            ModalAnswer::Once, QStringLiteral("FrmPOS_초기설정"));
        QStringList boxes;
        QVERIFY(station().start(&boxes));
        QVERIFY(settings.seen());
        QCOMPARE(boxes, QStringList{box(QStringLiteral("환경설정 저장 완료"))});
        QCOMPARE(StationConfig.StoreCode, QStringLiteral("0001"));
        QCOMPARE(StationConfig.DbName, wanted.DbName);
        QCOMPARE(StationConfig.LoginId, wanted.LoginId);
        QCOMPARE(StationConfig.PosId, QStringLiteral("07"));
        QVERIFY(MainScreenReady);
    }

    // A settings file too short to hold the eight settings counts as none;
    // the file itself is left as it is.
    void aShortSettingsFileIsAMissingOne() {
        const QByteArray seven = cp949::encode(
            QStringLiteral("매장코드 = 0001\r\n점서버_IP = 127.0.0.1\r\n점서버_포트 = 1433\r\n"
                           "점서버_DB종류 = MS-SQL\r\n점서버_DB명 = QTR\r\n점서버_LOGIN_ID = "
                           "gXa\r\n점서버_LOGIN_PW = gXa\r\n"));
        QVERIFY(writeFile(station().path(SettingsFileName), seven));
        QStringList boxes;
        QVERIFY(!station().start(&boxes));
        QCOMPARE(boxes, QStringList{box(QStringLiteral("환경설정 파일이 없습니다"))});
        QCOMPARE(readFile(station().path(SettingsFileName)), seven);
        QVERIFY(station().screen()->ended());
        QVERIFY(!StoreDb.isOpen());
    }

    void aMissingDoorFileEndsAfterReadingTheSettings() {
        QVERIFY(QFile::remove(station().path(QStringLiteral("출입문설정.CFG"))));
        QStringList boxes;
        QVERIFY(!station().start(&boxes));
        QCOMPARE(boxes, QStringList{box(QStringLiteral("출입문 설정 파일이 없습니다"))});
        QCOMPARE(StationConfig.StoreCode, kStore);
        // The server was not contacted (this station's database file is
        // named by no connection yet).
        QVERIFY(!StoreDb.connectionString().contains(station().settings().DbName));
        // A folder of that name is no door file either.
        m_station->stop();
        station().prepare();
        const QString door = station().path(QStringLiteral("출입문설정.CFG"));
        QVERIFY(QFile::remove(door));
        QVERIFY(QDir().mkdir(door));
        QVERIFY(!station().start(&boxes));
        QCOMPARE(boxes, QStringList{box(QStringLiteral("출입문 설정 파일이 없습니다"))});
    }

    void anUnreachableServerIsToldTwice() {
        StationSettings settings = station().settings();
        settings.ServerIp.clear();
        QString error;
        QVERIFY(WriteSettingsFile(station().path(SettingsFileName), fieldsFrom(settings), &error));
        QStringList boxes;
        QVERIFY(!station().start(&boxes));
        QCOMPARE(boxes, (QStringList{box(QStringLiteral("서버 연결 실패")),
                                     box(QStringLiteral("서버 연결 실패"))}));
        QVERIFY(station().screen()->ended());
        QVERIFY(!MainScreenReady);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
