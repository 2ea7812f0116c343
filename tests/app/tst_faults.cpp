// The station when the world around it fails: the store server stopped in
// the middle of the operator's work (a PostgreSQL server of the test's own,
// stopped and started again), a read-only program folder, ERROR_LOG as a
// plain file, a full disk. Each case says what the operator sees and shows
// that nothing stored was lost or changed.

#include "support/entrydriver.h"
#include "support/stationfixture.h"

#include "config/settingsscreen.h"
#include "photo/camerascreen.h"
#include "support/folderfaults.h"
#include "support/localpostgres.h"
#include "support/syntheticsource.h"

#include <QPushButton>
#include <QVideoSink>

using namespace stationtest;

namespace {

// Everything of a row that a fault could spoil.
bool sameRow(const std::optional<MemberRow>& a, const std::optional<MemberRow>& b) {
    if (!a || !b) {
        return a.has_value() == b.has_value();
    }
    return a->name == b->name && a->address == b->address && a->gender == b->gender &&
           a->photoNull == b->photoNull && a->photo == b->photo && a->extra == b->extra;
}

// Every file below `folder` with its content (hidden ones included).
QMap<QString, QByteArray> snapshot(const QString& folder) {
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(folder).relativeFilePath(path),
                     QFileInfo(path).isDir() ? QByteArray("<folder>") : readFile(path));
    }
    return files;
}

const QString kOld = QStringLiteral("010-3333-4444");

} // namespace

class TestFaults : public QObject {
    Q_OBJECT

    std::unique_ptr<LocalPostgres> m_server;
    std::unique_ptr<Station> m_station;

    Station& station() { return *m_station; }

    // A station on SQLite (what the folder cases need of a store), or on
    // the test's own PostgreSQL server (the cases that stop it). False when
    // the test is to end here (skipped or failed already).
    bool useStation(odbcfixture::Backend backend) {
        if (backend == odbcfixture::Backend::PostgreSQL) {
            if (!m_server) {
                m_server = std::make_unique<LocalPostgres>();
            }
            if (!m_server->start()) {
                if (m_server->unavailable()) {
                    QTest::qSkip(qPrintable(m_server->error()), __FILE__, __LINE__);
                } else {
                    QTest::qFail(qPrintable(m_server->error()), __FILE__, __LINE__);
                }
                return false;
            }
            m_station = std::make_unique<Station>(backend, m_server->connectionString());
        } else {
            m_station = std::make_unique<Station>(backend);
        }
        if (!station().ready()) {
            QTest::qFail(qPrintable(station().skipReason()), __FILE__, __LINE__);
            return false;
        }
        station().prepare();
        return !QTest::currentTestFailed();
    }

    // A member who was registered earlier, and one of another store.
    void seedMembers() {
        station().insertMember(kStore, kOld, QStringLiteral("옛이름"), QStringLiteral("옛주소"),
                               QStringLiteral("남"), jpeg(Qt::yellow));
        station().insertMember(QStringLiteral("0002"), kOld, QStringLiteral("남의회원"), QString(),
                               QStringLiteral("여"), QVariant());
    }

    struct Stored {
        std::optional<MemberRow> ours;
        std::optional<MemberRow> theirs;
        int count = 0;
    };
    Stored stored() {
        return {station().member(kOld), station().member(kOld, QStringLiteral("0002")),
                station().memberCount()};
    }
    void verifyUnchanged(const Stored& before) {
        const Stored now = stored();
        QVERIFY(sameRow(now.ours, before.ours));
        QVERIFY(sameRow(now.theirs, before.theirs));
        QCOMPARE(now.count, before.count);
    }

    // Two failures whose error-log lines cannot be written: a delete-photo
    // with no connection open (only logged, so nothing at all is seen) and a
    // save the store refuses (shown as always, the typed name kept).
    void failWithoutALog(EntryDriver& entry) {
        QTest::keyClicks(entry.phone, QStringLiteral("33334444"));
        {
            ModalAnswer watch = ModalAnswer::key(Qt::Key_Escape, ModalAnswer::Every);
            entry.button("버튼사진삭제")->click();
            QCOMPARE(watch.count(), 0);
        }
        station().refuseInserts(true);
        entry.phone->clear();
        QTest::keyClicks(entry.phone, QStringLiteral("55556666"));
        entry.name->setText(QStringLiteral("거절"));
        entry.press("버튼여");
        const QStringList boxes = entry.confirm();
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes.first().startsWith(box(QStringLiteral("버튼확인_MouseUp\r\n\r\n"))));
        QCOMPARE(entry.name->text(), QStringLiteral("거절"));
    }

    // The settings screen shown, the fields that start empty filled in, and
    // 저장 pressed: the texts of the boxes it showed (each answered Escape).
    QStringList saveOnSettingsScreen(FrmPOS_초기설정& screen) {
        screen.show();
        if (!QTest::qWaitForWindowActive(&screen)) {
            return {QStringLiteral("the settings screen did not become active")};
        }
        for (const auto& [name, text] : {std::pair{"접속아이디", QStringLiteral("sa")},
                                         std::pair{"접속비번", QStringLiteral("secret")},
                                         std::pair{"POS번호", QStringLiteral("01")}}) {
            QTest::keyClicks(screen.findChild<MyText*>(QString::fromUtf8(name)), text);
        }
        ModalAnswer messages = ModalAnswer::key(Qt::Key_Escape, ModalAnswer::Every);
        QTest::mouseClick(screen.findChild<QPushButton*>(QStringLiteral("버튼저장")),
                          Qt::LeftButton);
        return messages.texts();
    }

private Q_SLOTS:
    void initTestCase() {
        if (const QString why = prepareStationProcess(); !why.isEmpty()) {
            QSKIP(qPrintable(why));
        }
    }

    void cleanup() {
        // The server back first: the station's table goes with it.
        if (m_server && !m_server->running()) {
            QVERIFY2(m_server->start(), qPrintable(m_server->error()));
        }
        m_station.reset();
        QCOMPARE(ModalAnswer::leftoverWindows(), QStringList());
    }

    void cleanupTestCase() { m_server.reset(); }

    // ---- the store server stopped ----------------------------------------

    // The member was looked up, a new photo taken, the name corrected; then
    // the server went down. The operator sees "서버 연결 실패" twice and the
    // program ends. The stored row is as it was, and the photo waits in the
    // folder: the next start stores it.
    void serverStoppedBetweenLookupAndSave() {
        if (!useStation(odbcfixture::Backend::PostgreSQL)) {
            return;
        }
        seedMembers();
        const Stored before = stored();
        station().startAndShow();
        EntryDriver entry(station());
        entry.lookUp(QStringLiteral("33334444"));
        QCOMPARE(entry.name->text(), QStringLiteral("옛이름"));
        const QByteArray photo = jpeg(Qt::cyan);
        const QString taken = station().capturedPhoto(QStringLiteral("3333-4444"));
        QVERIFY(writeFile(taken, photo));
        entry.name->setText(QStringLiteral("새이름"));

        QVERIFY2(m_server->stop(), qPrintable(m_server->error()));
        QCOMPARE(entry.confirm(), (QStringList{box(QStringLiteral("서버 연결 실패")),
                                               box(QStringLiteral("서버 연결 실패"))}));
        QVERIFY(station().screen()->ended());
        QVERIFY(!station().screen()->isVisible());
        QCOMPARE(readFile(taken), photo);

        QVERIFY2(m_server->start(), qPrintable(m_server->error()));
        verifyUnchanged(before);

        // The next start: the same member, saved again, takes the photo.
        station().startAndShow();
        EntryDriver again(station());
        again.lookUp(QStringLiteral("33334444"));
        again.name->setText(QStringLiteral("새이름"));
        again.confirm([](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); });
        const auto row = station().member(kOld);
        QCOMPARE(row->name, QStringLiteral("새이름"));
        QCOMPARE(row->photo, photo);
        QVERIFY(!QFileInfo::exists(taken));
        QVERIFY(sameRow(station().member(kOld, QStringLiteral("0002")), before.theirs));
    }

    // The server went down while the overwrite question was open, after the
    // save had found the row. "예" then fails at the write: the operator
    // sees the save's error (also in the error log), the program goes on,
    // nothing is written and the photo stays for the next attempt, which
    // goes through once the server is back.
    void serverStoppedWhileTheOverwriteQuestionIsOpen() {
        if (!useStation(odbcfixture::Backend::PostgreSQL)) {
            return;
        }
        seedMembers();
        const Stored before = stored();
        station().startAndShow();
        EntryDriver entry(station());
        entry.lookUp(QStringLiteral("33334444"));
        const QByteArray photo = jpeg(Qt::darkCyan);
        const QString taken = station().capturedPhoto(QStringLiteral("3333-4444"));
        QVERIFY(writeFile(taken, photo));
        entry.name->setText(QStringLiteral("새이름"));
        entry.press("버튼여");

        bool stopped = false;
        const QStringList boxes = entry.confirm([this, &stopped](QWidget* w) {
            stopped = m_server->stop();
            QTest::keyClick(w, Qt::Key_Return);
        });
        QVERIFY2(stopped, qPrintable(m_server->error()));
        QCOMPARE(boxes.size(), 2);
        QVERIFY(boxes.at(0).contains(QStringLiteral("덮어 쓸까요?")));
        QVERIFY2(boxes.at(1).startsWith(box(QStringLiteral("버튼확인_MouseUp\r\n\r\n"))),
                 qPrintable(boxes.at(1)));
        QVERIFY(boxes.at(1).size() > box(QStringLiteral("버튼확인_MouseUp\r\n\r\n")).size());
        const QStringList log = station().errorLog();
        QCOMPARE(log.size(), 1);
        QVERIFY(log.first().startsWith(QStringLiteral("버튼확인_MouseUp  ")));
        QVERIFY(!station().screen()->ended());
        QCOMPARE(entry.name->text(), QStringLiteral("새이름"));
        QCOMPARE(entry.gender->text(), QStringLiteral("여"));
        QCOMPARE(readFile(taken), photo);

        QVERIFY2(m_server->start(), qPrintable(m_server->error()));
        verifyUnchanged(before);
        // The next attempt opens a fresh connection and stores it all.
        entry.confirm([](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); });
        const auto row = station().member(kOld);
        QCOMPARE(row->name, QStringLiteral("새이름"));
        QCOMPARE(row->gender, QStringLiteral("여"));
        QCOMPARE(row->photo, photo);
        QCOMPARE(station().memberCount(), before.count);
        QVERIFY(!QFileInfo::exists(taken));
        QCOMPARE(entry.name->text(), QString());
    }

    // Delete-photo runs on the connection the lookup left; with the server
    // gone it fails: one line in the error log, nothing shown, the picture
    // stays on the screen and the stored photo in the table.
    void serverStoppedBeforeADeletePhoto() {
        if (!useStation(odbcfixture::Backend::PostgreSQL)) {
            return;
        }
        seedMembers();
        const Stored before = stored();
        station().startAndShow();
        EntryDriver entry(station());
        entry.lookUp(QStringLiteral("33334444"));
        QVERIFY(!entry.photo->pixmap().isNull());

        QVERIFY2(m_server->stop(), qPrintable(m_server->error()));
        ModalAnswer watch = ModalAnswer::key(Qt::Key_Escape, ModalAnswer::Every);
        EntryDriver::click(entry.button("버튼사진삭제"));
        QCOMPARE(watch.count(), 0);
        const QStringList log = station().errorLog();
        QCOMPARE(log.size(), 1);
        QVERIFY2(log.first().startsWith(QStringLiteral("버튼사진삭제_Click  ")),
                 qPrintable(log.first()));
        QVERIFY(!entry.photo->pixmap().isNull());
        QCOMPARE(entry.name->text(), QStringLiteral("옛이름"));
        QVERIFY(!station().screen()->ended());

        QVERIFY2(m_server->start(), qPrintable(m_server->error()));
        verifyUnchanged(before);
    }

    // A lookup while the server is down tells "서버 연결 실패" once and
    // changes nothing on the screen; the program goes on.
    void serverStoppedBeforeALookup() {
        if (!useStation(odbcfixture::Backend::PostgreSQL)) {
            return;
        }
        seedMembers();
        station().startAndShow();
        EntryDriver entry(station());
        entry.name->setText(QStringLiteral("입력중"));
        QVERIFY2(m_server->stop(), qPrintable(m_server->error()));
        ModalAnswer messages = ModalAnswer::key(Qt::Key_Escape, ModalAnswer::Every);
        entry.lookUp(QStringLiteral("33334444"));
        QCOMPARE(messages.texts(), QStringList{box(QStringLiteral("서버 연결 실패"))});
        QCOMPARE(entry.phone->text(), QStringLiteral("3333-4444"));
        QCOMPARE(entry.name->text(), QStringLiteral("입력중"));
        QVERIFY(!station().screen()->ended());
        QCOMPARE(station().errorLog(), QStringList());
    }

    // A store whose photo column holds text, not bytes: the lookup of a
    // member fails while reading the photo, after the name and address. The
    // operator sees the lookup's error and the screen as it was before it,
    // not half of the stored member mixed into the entry.
    void lookupFailingHalfWayChangesNoField() {
        if (!useStation(odbcfixture::Backend::SQLite)) {
            return;
        }
        station().execute(QStringLiteral("ALTER TABLE 회원관리 DROP COLUMN 회원사진"));
        station().execute(QStringLiteral("ALTER TABLE 회원관리 ADD COLUMN 회원사진 TEXT"));
        station().insertMember(kStore, kOld, QStringLiteral("옛이름"), QStringLiteral("옛주소"),
                               QStringLiteral("남"), QStringLiteral("사진 아닌 글"));
        station().startAndShow();
        EntryDriver entry(station());
        entry.name->setText(QStringLiteral("입력중"));
        entry.address->setText(QStringLiteral("주소중"));
        entry.press("버튼여");
        QPixmap shown(40, 50);
        shown.fill(Qt::green);
        entry.photo->setPixmap(shown);

        ModalAnswer messages = ModalAnswer::key(Qt::Key_Escape, ModalAnswer::Every);
        entry.lookUp(QStringLiteral("33334444"));
        QCOMPARE(messages.count(), 1);
        QVERIFY2(messages.text().startsWith(box(QStringLiteral("사원정보표시_PROC\r\n\r\n"))),
                 qPrintable(messages.text()));
        station().reactivate();
        QCOMPARE(entry.phone->text(), QStringLiteral("3333-4444"));
        QCOMPARE(entry.name->text(), QStringLiteral("입력중"));
        QCOMPARE(entry.address->text(), QStringLiteral("주소중"));
        QCOMPARE(entry.gender->text(), QStringLiteral("여"));
        QCOMPARE(entry.photo->pixmap().toImage(), shown.toImage());
        QVERIFY(!station().screen()->ended());
    }

    // ---- the program folder ----------------------------------------------

    // An installation whose program folder the operator cannot write: the
    // station starts (its files are there), looks up and saves members; the
    // error-log entries are lost without a word; nothing in the folder
    // changes.
    void readOnlyProgramFolder_data() {
        QTest::addColumn<bool>("logFolder");
        QTest::newRow("no ERROR_LOG yet") << false;
        QTest::newRow("ERROR_LOG with an older entry") << true;
    }
    void readOnlyProgramFolder() {
        QFETCH(bool, logFolder);
        if (!useStation(odbcfixture::Backend::SQLite)) {
            return;
        }
        seedMembers();
        if (logFolder) {
            QVERIFY(writeFile(station().path(QStringLiteral("ERROR_LOG/") +
                                             QDate::currentDate().toString(u"yyyyMMdd") +
                                             QStringLiteral("-프로시져오류.LOG")),
                              cp949::encode(QStringLiteral("Form_MouseDown  예전  "
                                                           "2024-01-31  14:05:09\r\n"))));
        }
        const auto folderBefore = snapshot(station().path(QString()));
        folderfaults::ReadOnlyFolder readOnly(station().path(QString()));
        if (!readOnly.ready()) {
            QSKIP(qPrintable(readOnly.skipReason()));
        }

        station().startAndShow();
        EntryDriver entry(station());
        entry.lookUp(QStringLiteral("33334444"));
        QCOMPARE(entry.name->text(), QStringLiteral("옛이름"));
        QVERIFY(!entry.photo->pixmap().isNull());

        // A new member, saved.
        entry.phone->setFocus();
        entry.phone->clear();
        QTest::keyClicks(entry.phone, QStringLiteral("12345678"));
        entry.name->setText(QStringLiteral("새회원"));
        entry.press("버튼남");
        QCOMPARE(entry.confirm(), QStringList());
        QCOMPARE(station().member(QStringLiteral("010-1234-5678"))->name, QStringLiteral("새회원"));

        failWithoutALog(entry);
        if (QTest::currentTestFailed()) {
            return;
        }

        QCOMPARE(snapshot(station().path(QString())), folderBefore);
        QVERIFY(!station().member(kOld)->photo.isEmpty());
    }

    // Saving the settings into a read-only folder: the operator sees
    // "저장_PROC" and the reason, the screen stays open, the old file stays
    // byte for byte and no temporary file is left. The log entry is lost.
    void settingsSaveIntoAReadOnlyFolder() {
        ScratchProgramFolder folder;
        QVERIFY2(folder.isValid(), qPrintable(folder.errorString()));
        const QString file = SettingsFilePath(folder.path());
        const QByteArray old = cp949::encode(QStringLiteral("매장코드 = 0009\r\n옛 설정\r\n"));
        QVERIFY(writeFile(file, old));
        folderfaults::ReadOnlyFolder readOnly(folder.path());
        if (!readOnly.ready()) {
            QSKIP(qPrintable(readOnly.skipReason()));
        }

        FrmPOS_초기설정 screen;
        const QStringList boxes = saveOnSettingsScreen(screen);
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes.first().startsWith(box(QStringLiteral("저장_PROC\r\n\r\n"))),
                 qPrintable(boxes.first()));
        QVERIFY(boxes.first().contains(QDir::toNativeSeparators(file)));
        QVERIFY(screen.isVisible());
        QCOMPARE(screen.result(), int(QDialog::Rejected));
        QCOMPARE(readFile(file), old);
        QCOMPARE(folder.entryList(), QStringList{SettingsFileName});
        screen.close();
    }

    // A plain file named ERROR_LOG where the folder should be: errors are
    // shown as always, their log entries are lost, and the file stays as it
    // was.
    void errorLogIsAPlainFile() {
        if (!useStation(odbcfixture::Backend::SQLite)) {
            return;
        }
        seedMembers();
        const QString plain = station().path(QStringLiteral("ERROR_LOG"));
        const QByteArray content("not a folder\r\n");
        QVERIFY(writeFile(plain, content));
        station().startAndShow();
        EntryDriver entry(station());

        failWithoutALog(entry);
        if (QTest::currentTestFailed()) {
            return;
        }

        QVERIFY(QFileInfo(plain).isFile());
        QCOMPARE(readFile(plain), content);
        QVERIFY(!station().member(kOld)->photo.isEmpty());
        QCOMPARE(station().memberCount(), 2);
    }

    // ---- a full disk -----------------------------------------------------

    // The photo folder on a disk without a byte to spare: a stored photo
    // still shows (the lookup writes no file), a new picture is refused, and
    // the photo the camera left there before the disk filled is stored and
    // then removed.
    void fullPhotoFolder() {
        if (!useStation(odbcfixture::Backend::SQLite)) {
            return;
        }
        seedMembers();
        const QString folder = station().path(QStringLiteral("회원사진"));
        QVERIFY(QDir().mkpath(folder));
        folderfaults::FullDisk disk(folder, 512);
        if (!disk.ready()) {
            QSKIP(qPrintable(disk.skipReason()));
        }
        const QByteArray photo = jpeg(Qt::darkMagenta, QSize(320, 240));
        const QString taken = station().capturedPhoto(QStringLiteral("1234-5678"));
        QVERIFY(writeFile(taken, photo));
        QVERIFY(disk.fill());

        station().startAndShow();
        EntryDriver entry(station());
        entry.lookUp(QStringLiteral("33334444"));
        QCOMPARE(entry.name->text(), QStringLiteral("옛이름"));
        QVERIFY(!entry.photo->pixmap().isNull());
        QCOMPARE(station().jpegFiles(), QStringList{taken});

        // A new picture for the same member cannot be written: the camera
        // says so and stays open, and leaves the earlier file whole (no
        // half-written JPEG for the save to store).
        entry.lookUp(QStringLiteral("12345678"));
        QStringList cameraBoxes;
        bool stayedOpen = false;
        ModalAnswer camera(
            [&](QWidget* w) {
                auto* screen = dynamic_cast<FrmPOS_사진찍기*>(w);
                QVERIFY(screen);
                screen->ezVidCap()->videoSink()->setVideoFrame(
                    MakeYuyvFrame(MakeCameraLikeImage(QSize(640, 480), 5)));
                ModalAnswer failed = ModalAnswer::key(Qt::Key_Escape, ModalAnswer::Every,
                                                      QStringLiteral("Frm_메세지"));
                screen->findChild<QPushButton*>(QStringLiteral("버튼사진찍기"))->click();
                cameraBoxes = failed.texts();
                stayedOpen = screen->isVisible();
                screen->reject();
            },
            ModalAnswer::Once, QStringLiteral("FrmPOS_사진찍기"));
        EntryDriver::click(entry.button("버튼사진찍기"));
        QVERIFY(camera.seen());
        station().reactivate();
        QCOMPARE(cameraBoxes.size(), 1);
        QVERIFY(cameraBoxes.first().startsWith(box(QStringLiteral("사진저장 실패\r\n"))));
        QVERIFY(stayedOpen);
        QCOMPARE(station().jpegFiles(), QStringList{taken});
        QCOMPARE(readFile(taken), photo);

        entry.name->setText(QStringLiteral("사진있음"));
        entry.press("버튼여");
        QCOMPARE(entry.confirm(), QStringList());
        QCOMPARE(station().member(QStringLiteral("010-1234-5678"))->photo, photo);
        QCOMPARE(station().jpegFiles(), QStringList());
        QCOMPARE(station().member(kOld)->photo, jpeg(Qt::yellow));
    }

    // The whole program folder on a full disk: the station starts, works,
    // shows its errors and loses their log entries; a settings save shows
    // its error and leaves the old file.
    void fullProgramFolder() {
        if (!useStation(odbcfixture::Backend::SQLite)) {
            return;
        }
        const QString folder = station().path(QString());
        folderfaults::FullDisk disk(folder, 512);
        if (!disk.ready()) {
            QSKIP(qPrintable(disk.skipReason()));
        }
        // The files are written onto the new disk, then it is filled.
        station().prepare();
        seedMembers();
        QVERIFY(disk.fill());
        const QByteArray settings = readFile(station().path(SettingsFileName));

        station().startAndShow();
        EntryDriver entry(station());
        entry.lookUp(QStringLiteral("33334444"));
        QCOMPARE(entry.name->text(), QStringLiteral("옛이름"));
        station().refuseInserts(true);
        entry.lookUp(QStringLiteral("55556666"));
        entry.name->setText(QStringLiteral("거절"));
        entry.press("버튼남");
        const QStringList boxes = entry.confirm();
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes.first().startsWith(box(QStringLiteral("버튼확인_MouseUp\r\n\r\n"))));
        QCOMPARE(station().errorLog(), QStringList());

        FrmPOS_초기설정 screen;
        const QStringList settingsBoxes = saveOnSettingsScreen(screen);
        QCOMPARE(settingsBoxes.size(), 1);
        QVERIFY(settingsBoxes.first().startsWith(box(QStringLiteral("저장_PROC\r\n\r\n"))));
        QVERIFY(screen.isVisible());
        screen.close();
        QCOMPARE(readFile(station().path(SettingsFileName)), settings);
        QCOMPARE(station().errorLog(), QStringList());
        QCOMPARE(station().memberCount(), 2);
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
