// The registration screen at work, driven through its widgets: typing,
// focus changes, presses on the hot spots and buttons, the boxes answered.
// Runs once per backend (STATION_TEST_BACKEND: sqlite or postgresql).

#include "support/stationfixture.h"

#include "components/widgets/hotspot.h"
#include "components/widgets/mylabel.h"
#include "components/widgets/mytext.h"
#include "dialogs/messagebox.h"
#include "photo/camerascreen.h"
#include "support/plantedfiles.h"

#include <QMenu>
#include <QPointer>
#include <QPushButton>

using namespace stationtest;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString box(const QString& text) {
    return kCrLf + text;
}

odbcfixture::Backend backendUnderTest() {
    return qEnvironmentVariable("STATION_TEST_BACKEND") == QStringLiteral("postgresql")
               ? odbcfixture::Backend::PostgreSQL
               : odbcfixture::Backend::SQLite;
}

// A click as the window system delivers it (through the window), so that
// the focus moves the way a real click moves it.
void click(QWidget* target, Qt::MouseButton button = Qt::LeftButton) {
    QWidget* window = target->window();
    const QPoint at = target->mapTo(window, target->rect().center());
    QTest::mouseClick(window->windowHandle(), button, {}, at);
}

void press(HotSpot* spot, Qt::MouseButton button = Qt::LeftButton) {
    click(spot, button);
}

void typeInto(MyText* field, const QString& text) {
    QTest::keyClicks(field, text);
}

} // namespace

class TestRegistration : public QObject {
    Q_OBJECT

    std::unique_ptr<Station> m_station;
    MyText* m_phone = nullptr;
    MyText* m_name = nullptr;
    MyText* m_gender = nullptr;
    MyText* m_address = nullptr;
    QLabel* m_photo = nullptr;

    Station& station() { return *m_station; }
    HotSpot* spot(const char* name) { return station().widget<HotSpot>(name); }
    QPushButton* button(const char* name) { return station().widget<QPushButton>(name); }

    // Focus in the phone field, the number typed, then Tab to the name: the
    // way an operator looks a member up.
    void lookUp(const QString& digits) {
        m_phone->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), m_phone);
        m_phone->clear();
        typeInto(m_phone, digits);
        QTest::keyClick(m_phone, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), m_name);
    }

    // Fills the entry of a new member by typing (the number not looked up).
    void fillEntry(const QString& digits, const QString& name, const QString& address,
                   HotSpot* gender) {
        m_phone->setFocus();
        typeInto(m_phone, digits);
        m_name->setText(name);
        m_address->setText(address);
        if (gender != nullptr) {
            press(gender);
        }
    }

    // Presses the confirm strip; the boxes it raises are answered as given.
    QStringList confirm(ModalAnswer::Action answerQuestion = nullptr) {
        std::unique_ptr<ModalAnswer> question;
        if (answerQuestion) {
            question = std::make_unique<ModalAnswer>(answerQuestion, ModalAnswer::Once,
                                                     QStringLiteral("Frm_다이얼로그"));
        }
        ModalAnswer messages =
            ModalAnswer::key(Qt::Key_Escape, ModalAnswer::Every, QStringLiteral("Frm_메세지"));
        press(spot("버튼확인"));
        QStringList seen = messages.texts();
        if (question) {
            seen.prepend(question->text());
        }
        if (!seen.isEmpty()) {
            station().reactivate();
        }
        return seen;
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
        m_name = station().widget<MyText>("성명");
        m_gender = station().widget<MyText>("남여구분");
        m_address = station().widget<MyText>("주소");
        m_photo = station().widget<QLabel>("회원사진");
    }

    void cleanup() {
        m_station.reset();
        QCOMPARE(ModalAnswer::leftoverWindows(), QStringList());
    }

    void typingFormatsTheNumber() {
        station().insertMember(kStore, QStringLiteral("010-1234-5678"), QStringLiteral("김하나"),
                               QStringLiteral("서울"), QStringLiteral("여"), QVariant());
        typeInto(m_phone, QStringLiteral("123456"));
        QCOMPARE(m_phone->text(), QStringLiteral("123456"));
        typeInto(m_phone, QStringLiteral("7"));
        QCOMPARE(m_phone->text(), QStringLiteral("123-4567"));
        QCOMPARE(m_phone->cursorPosition(), 8);
        typeInto(m_phone, QStringLiteral("8"));
        QCOMPARE(m_phone->text(), QStringLiteral("1234-5678"));
        // Nine characters fill the field.
        typeInto(m_phone, QStringLiteral("9"));
        QCOMPARE(m_phone->text(), QStringLiteral("1234-5678"));
        // Leaving the field looks up the dashed number.
        QTest::keyClick(m_phone, Qt::Key_Tab);
        QCOMPARE(m_name->text(), QStringLiteral("김하나"));
        QCOMPARE(SqlText.contains(QStringLiteral("Select * From 회원관리 Where")), true);
    }

    void enterStartsNothing() {
        station().insertMember(kStore, QStringLiteral("010-1234-5678"), QStringLiteral("김하나"),
                               QString(), QStringLiteral("여"), QVariant());
        typeInto(m_phone, QStringLiteral("12345678"));
        for (MyText* field : {m_phone, m_name, m_address}) {
            field->setFocus();
            QTRY_COMPARE(QApplication::focusWidget(), field);
            const QString before = field->text();
            QTest::keyClick(field, Qt::Key_Return);
            QTest::keyClick(field, Qt::Key_Enter);
            QCOMPARE(field->text(), before);
            QCOMPARE(QApplication::focusWidget(), field);
        }
    }

    void tabOrderPassesTheGenderField() {
        QTest::keyClick(m_phone, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), m_name);
        QTest::keyClick(m_name, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), m_address);
        QTest::keyClick(m_address, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), m_phone);
    }

    void lookupShowsAKnownMemberAndLeavesNoFile() {
        const QByteArray photo = jpeg(Qt::darkGreen);
        station().insertMember(kStore, QStringLiteral("010-2222-3333"), QStringLiteral("이둘"),
                               QStringLiteral("부산광역시 해운대구 우동 1408"),
                               QStringLiteral("남"), photo);
        // No photo has ever been taken on this station: no photo folder.
        QVERIFY(!QFileInfo::exists(station().path(QStringLiteral("회원사진"))));
        lookUp(QStringLiteral("22223333"));
        QCOMPARE(m_phone->text(), QStringLiteral("2222-3333"));
        QCOMPARE(m_name->text(), QStringLiteral("이둘"));
        QCOMPARE(m_address->text(), QStringLiteral("부산광역시 해운대구 우동 1408"));
        QCOMPARE(m_gender->text(), QStringLiteral("남"));
        QVERIFY(!m_photo->pixmap().isNull());
        QCOMPARE(m_photo->pixmap().size(), QSize(120, 160));
        QCOMPARE(station().jpegFiles(), QStringList());
        screenshot(station().screen(), QStringLiteral("registration-member.png"));
        // The lookup leaves its connection open for what follows.
        QVERIFY(StoreDb.isOpen());

        // With a photo folder (and the camera's file for another number in
        // it) the same: shown, nothing added, nothing taken away.
        const QString other = station().capturedPhoto(QStringLiteral("9999-0000"));
        QVERIFY(writeFile(other, jpeg(Qt::red)));
        m_photo->clear();
        lookUp(QStringLiteral("22223333"));
        QVERIFY(!m_photo->pixmap().isNull());
        QCOMPARE(station().jpegFiles(), QStringList{other});
    }

    void lookupOfAnUnknownNumberKeepsThePicture() {
        QPixmap taken(40, 40);
        taken.fill(Qt::blue);
        m_photo->setPixmap(taken);
        m_name->setText(QStringLiteral("앞사람"));
        m_address->setText(QStringLiteral("앞주소"));
        press(spot("버튼여"));
        lookUp(QStringLiteral("1234567"));
        QCOMPARE(m_phone->text(), QStringLiteral("123-4567"));
        QCOMPARE(m_name->text(), QString());
        QCOMPARE(m_address->text(), QString());
        QCOMPARE(m_gender->text(), QString());
        QCOMPARE(m_photo->pixmap().size(), QSize(40, 40));
    }

    void lookupOfAMemberWithoutPhotoClearsThePicture() {
        station().insertMember(kStore, QStringLiteral("010-1111-0000"), QStringLiteral("널사진"),
                               QString(), QStringLiteral("남"), QVariant());
        station().insertMember(kStore, QStringLiteral("010-1111-0001"), QStringLiteral("빈사진"),
                               QString(), QStringLiteral("여"), QByteArray(""));
        for (const QString& digits : {QStringLiteral("11110000"), QStringLiteral("11110001")}) {
            QPixmap shown(40, 40);
            shown.fill(Qt::blue);
            m_photo->setPixmap(shown);
            lookUp(digits);
            QVERIFY(!m_name->text().isEmpty());
            QVERIFY(m_photo->pixmap().isNull());
        }
    }

    void anotherStoresNumberIsNotFound() {
        station().insertMember(QStringLiteral("0002"), QStringLiteral("010-4444-5555"),
                               QStringLiteral("남의회원"), QStringLiteral("대구"),
                               QStringLiteral("남"), jpeg(Qt::red));
        m_name->setText(QStringLiteral("입력중"));
        lookUp(QStringLiteral("44445555"));
        QCOMPARE(m_name->text(), QString());
        QCOMPARE(m_address->text(), QString());
        QVERIFY(m_photo->pixmap().isNull());
    }

    void hotSpotsNeverTakeTheFocus() {
        station().insertMember(kStore, QStringLiteral("010-7777-8888"), QStringLiteral("등록됨"),
                               QString(), QStringLiteral("여"), QVariant());
        m_name->setText(QStringLiteral("새이름"));
        m_phone->setFocus();
        typeInto(m_phone, QStringLiteral("77778888"));
        // A lookup would bring the stored name back.
        press(spot("버튼남"));
        QCOMPARE(m_gender->text(), QStringLiteral("남"));
        QCOMPARE(QApplication::focusWidget(), m_phone);
        press(spot("버튼여"), Qt::RightButton);
        QCOMPARE(m_gender->text(), QStringLiteral("여"));
        QCOMPARE(m_name->text(), QStringLiteral("새이름"));
        // Nor does the confirm strip: the save asks to overwrite, no lookup
        // runs first.
        const QStringList boxes = confirm([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes.first().contains(QStringLiteral("덮어 쓸까요?")));
        QCOMPARE(m_name->text(), QStringLiteral("새이름"));
        QTRY_COMPARE(QApplication::focusWidget(), m_phone);
    }

    void savesANewMemberWithoutPhoto() {
        fillEntry(QStringLiteral("12345678"), QStringLiteral("홍길동"), QString(), spot("버튼남"));
        QCOMPARE(confirm(), QStringList());
        const auto row = station().member(QStringLiteral("010-1234-5678"));
        QVERIFY(row.has_value());
        QCOMPARE(row->name, QStringLiteral("홍길동"));
        QCOMPARE(row->gender, QStringLiteral("남"));
        QCOMPARE(row->address, QString());
        QVERIFY(row->photoNull || row->photo.isEmpty());
        // Columns the station does not write keep the table's default.
        QCOMPARE(row->extra, QStringLiteral("일반"));
        // The entry is emptied for the next member; the connection closed.
        for (MyText* field : {m_phone, m_name, m_gender, m_address}) {
            QCOMPARE(field->text(), QString());
        }
        QCOMPARE(QApplication::focusWidget(), m_phone);
        QVERIFY(!StoreDb.isOpen());
    }

    void savesANewMemberWithTheTakenPhoto() {
        const QByteArray photo = jpeg(Qt::magenta);
        QVERIFY(writeFile(station().capturedPhoto(QStringLiteral("123-4567")), photo));
        fillEntry(QStringLiteral("1234567"), QStringLiteral("사진있음"),
                  QStringLiteral("인천 연수구"), spot("버튼여"));
        QPixmap shown;
        shown.loadFromData(photo);
        m_photo->setPixmap(shown);
        QCOMPARE(confirm(), QStringList());
        const auto row = station().member(QStringLiteral("010-123-4567"));
        QVERIFY(row.has_value());
        QCOMPARE(row->photo, photo);
        QCOMPARE(row->address, QStringLiteral("인천 연수구"));
        QCOMPARE(station().jpegFiles(), QStringList());
        QVERIFY(m_photo->pixmap().isNull());
    }

    void fieldChecksComeInOrder() {
        QCOMPARE(confirm(), QStringList{box(QStringLiteral("휴대폰번호를 입력 하세요"))});
        m_name->setText(QStringLiteral("이름만"));
        QCOMPARE(confirm(), QStringList{box(QStringLiteral("휴대폰번호를 입력 하세요"))});
        typeInto(m_phone, QStringLiteral("55556666"));
        m_name->clear();
        press(spot("버튼남"));
        QCOMPARE(confirm(), QStringList{box(QStringLiteral("성명을 입력 하세요"))});
        m_name->setText(QStringLiteral("이름"));
        m_gender->clear();
        QCOMPARE(confirm(), QStringList{box(QStringLiteral("남여구분을 입력 하세요"))});
        QCOMPARE(station().memberCount(), 0);
        // The entry stays as it was.
        QCOMPARE(m_phone->text(), QStringLiteral("5555-6666"));
        QCOMPARE(m_name->text(), QStringLiteral("이름"));
        press(spot("버튼여"));
        QCOMPARE(confirm(), QStringList());
        QCOMPARE(station().memberCount(), 1);
    }

    void overwriteNeedsAYes_data() {
        QTest::addColumn<int>("answer"); // 0 yes, 1 the No area, 2 Escape
        QTest::addColumn<bool>("written");
        QTest::newRow("예") << 0 << true;
        QTest::newRow("아니오") << 1 << false;
        QTest::newRow("아니요") << 2 << false;
    }

    void overwriteNeedsAYes() {
        QFETCH(int, answer);
        QFETCH(bool, written);
        const QByteArray oldPhoto = jpeg(Qt::yellow);
        station().insertMember(kStore, QStringLiteral("010-3333-4444"), QStringLiteral("옛이름"),
                               QStringLiteral("옛주소"), QStringLiteral("남"), oldPhoto);
        station().execute(QStringLiteral("UPDATE 회원관리 SET 가입구분 = 'VIP'"));
        lookUp(QStringLiteral("33334444"));
        m_name->setText(QStringLiteral("새이름"));
        m_address->setText(QStringLiteral("새주소"));
        press(spot("버튼여"));
        const QStringList boxes = confirm([answer](QWidget* w) {
            if (answer == 0) {
                QTest::keyClick(w, Qt::Key_Return);
            } else if (answer == 1) {
                auto* no = w->findChild<QWidget*>(QStringLiteral("버튼나가기"));
                QTest::mouseClick(no, Qt::LeftButton, {}, no->rect().center());
            } else {
                QTest::keyClick(w, Qt::Key_Escape);
            }
        });
        QCOMPARE(boxes, QStringList{kCrLf + QStringLiteral("이미 등록된 폰 번호 입니다") + kCrLf +
                                    kCrLf + QStringLiteral("덮어 쓸까요?")});
        QCOMPARE(station().memberCount(), 1);
        const auto row = station().member(QStringLiteral("010-3333-4444"));
        QVERIFY(row.has_value());
        QCOMPARE(row->name, written ? QStringLiteral("새이름") : QStringLiteral("옛이름"));
        QCOMPARE(row->address, written ? QStringLiteral("새주소") : QStringLiteral("옛주소"));
        QCOMPARE(row->gender, written ? QStringLiteral("여") : QStringLiteral("남"));
        // No new photo taken: the stored one stays; other columns too.
        QCOMPARE(row->photo, oldPhoto);
        QCOMPARE(row->extra, QStringLiteral("VIP"));
        // A declined overwrite keeps the entry for the operator.
        QCOMPARE(m_name->text(), written ? QString() : QStringLiteral("새이름"));
    }

    void overwriteQuestionRunningOutIsANo() {
        station().insertMember(kStore, QStringLiteral("010-3333-4444"), QStringLiteral("옛이름"),
                               QString(), QStringLiteral("남"), QVariant());
        lookUp(QStringLiteral("33334444"));
        m_name->setText(QStringLiteral("새이름"));
        // Nobody answers: the dialog closes itself after its ten seconds.
        ModalAnswer watch = ModalAnswer::none(ModalAnswer::Once, QStringLiteral("Frm_다이얼로그"));
        press(spot("버튼확인"));
        QVERIFY(watch.seen());
        QCOMPARE(station().member(QStringLiteral("010-3333-4444"))->name, QStringLiteral("옛이름"));
        QCOMPARE(m_name->text(), QStringLiteral("새이름"));
    }

    void overwriteWithANewPhotoReplacesTheOldOne() {
        station().insertMember(kStore, QStringLiteral("010-3333-4444"), QStringLiteral("옛이름"),
                               QString(), QStringLiteral("남"), jpeg(Qt::yellow));
        lookUp(QStringLiteral("33334444"));
        const QByteArray newPhoto = jpeg(Qt::cyan, QSize(64, 48));
        QVERIFY(writeFile(station().capturedPhoto(QStringLiteral("3333-4444")), newPhoto));
        confirm([](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); });
        QCOMPARE(station().member(QStringLiteral("010-3333-4444"))->photo, newPhoto);
        QCOMPARE(station().jpegFiles(), QStringList());
    }

    // The captured photo file goes only once the row holding it is written:
    // a save that fails (the store refuses the row, or the photo file is
    // there but cannot be read) says why, writes nothing and keeps the file,
    // and the next attempt stores the photo.
    void aFailedSaveKeepsThePhotoFile_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("reason");
        QTest::newRow("the store refuses the row") << "refused"
                                                   << "refused";
        QTest::newRow("the photo is a link") << "link"
                                             << "링크입니다";
        QTest::newRow("the photo is a pipe") << "pipe"
                                             << "보통 파일이 아닙니다";
        QTest::newRow("the photo is larger than any photo") << "huge"
                                                            << "바이트보다 큽니다";
    }
    void aFailedSaveKeepsThePhotoFile() {
        QFETCH(QString, fault);
        QFETCH(QString, reason);
        const QByteArray photo = jpeg(Qt::darkRed);
        const QString file = station().capturedPhoto(QStringLiteral("8888-9999"));
        QVERIFY(writeFile(file, photo));
        if (fault == QLatin1String("refused")) {
            station().refuseInserts(true);
        } else if (fault == QLatin1String("link")) {
            // Another file, readable here, that must not reach the row.
            const QString other = station().path(QStringLiteral("other.bin"));
            QVERIFY(QFile::rename(file, other));
            const QString why = plantedfiles::plantLink(other, file);
            if (plantedfiles::unsupported(why)) {
                QVERIFY(QFile::rename(other, file));
                QSKIP(qPrintable(why));
            }
            QVERIFY2(why.isEmpty(), qPrintable(why));
        } else if (fault == QLatin1String("pipe")) {
            QVERIFY(QFile::remove(file));
            const QString why = plantedfiles::plantPipe(file);
            if (plantedfiles::unsupported(why)) {
                QSKIP(qPrintable(why));
            }
            QVERIFY2(why.isEmpty(), qPrintable(why));
        } else {
            QVERIFY(QFile(file).resize(17 * 1024 * 1024));
        }
        fillEntry(QStringLiteral("88889999"), QStringLiteral("재시도"), QString(), spot("버튼남"));
        const QStringList boxes = confirm();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes.first().startsWith(box(QStringLiteral("버튼확인_MouseUp")) + kCrLf + kCrLf),
                 qPrintable(boxes.first()));
        QVERIFY2(boxes.first().contains(reason), qPrintable(boxes.first()));
        const QStringList log = station().errorLog();
        QCOMPARE(log.size(), 1);
        QVERIFY(log.first().startsWith(QStringLiteral("버튼확인_MouseUp  ")));
        QCOMPARE(station().memberCount(), 0);
        QVERIFY(QFileInfo(file).isSymLink() || QFileInfo::exists(file));
        // The screen keeps the entry and the connection stays open.
        QCOMPARE(m_name->text(), QStringLiteral("재시도"));
        QVERIFY(StoreDb.isOpen());

        if (fault == QLatin1String("refused")) {
            station().refuseInserts(false);
        } else {
            QVERIFY(QFile::remove(file));
            QVERIFY(writeFile(file, photo));
        }
        QCOMPARE(confirm(), QStringList());
        QCOMPARE(station().member(QStringLiteral("010-8888-9999"))->photo, photo);
        QVERIFY(!QFileInfo::exists(file));
    }

    void theSameNumberInAnotherStoreIsANewMember() {
        station().insertMember(QStringLiteral("0002"), QStringLiteral("010-1234-5678"),
                               QStringLiteral("다른매장"), QString(), QStringLiteral("여"),
                               QVariant());
        fillEntry(QStringLiteral("12345678"), QStringLiteral("우리매장"), QString(),
                  spot("버튼남"));
        QCOMPARE(confirm(), QStringList());
        QCOMPARE(station().memberCount(), 2);
        QCOMPARE(station().member(QStringLiteral("010-1234-5678"), QStringLiteral("0002"))->name,
                 QStringLiteral("다른매장"));
    }

    void deletePhotoOfAStoredMember() {
        station().insertMember(kStore, QStringLiteral("010-2222-3333"), QStringLiteral("이둘"),
                               QString(), QStringLiteral("남"), jpeg(Qt::darkGreen));
        lookUp(QStringLiteral("22223333"));
        QVERIFY(!m_photo->pixmap().isNull());
        // A photo just taken for the member stays in the folder for the save.
        const QString taken = station().capturedPhoto(QStringLiteral("2222-3333"));
        QVERIFY(writeFile(taken, jpeg(Qt::blue)));
        click(button("버튼사진삭제"));
        const auto row = station().member(QStringLiteral("010-2222-3333"));
        QVERIFY(!row->photoNull);
        QCOMPARE(row->photo, QByteArray());
        QVERIFY(m_photo->pixmap().isNull());
        QCOMPARE(m_name->text(), QStringLiteral("이둘"));
        QVERIFY(QFileInfo::exists(taken));
        QCOMPARE(station().errorLog(), QStringList());
        // Looked up again: no photo.
        lookUp(QStringLiteral("22223333"));
        QVERIFY(m_photo->pixmap().isNull());
    }

    void deletePhotoOfAnUnknownNumberKeepsThePicture() {
        lookUp(QStringLiteral("90909090"));
        QPixmap taken(30, 30);
        taken.fill(Qt::blue);
        m_photo->setPixmap(taken);
        click(button("버튼사진삭제"));
        QVERIFY(!m_photo->pixmap().isNull());
        QCOMPARE(station().errorLog(), QStringList());
    }

    void deletePhotoWithAnEmptyFieldDoesNothing() {
        QPixmap shown(30, 30);
        shown.fill(Qt::blue);
        m_photo->setPixmap(shown);
        SqlText = QStringLiteral("untouched");
        ModalAnswer watch = ModalAnswer::key(Qt::Key_Escape, ModalAnswer::Every);
        click(button("버튼사진삭제"));
        QCOMPARE(watch.count(), 0);
        QVERIFY(!m_photo->pixmap().isNull());
        QCOMPARE(station().errorLog(), QStringList());
    }

    void deletePhotoWithoutAConnectionOnlyLogs() {
        station().insertMember(kStore, QStringLiteral("010-2222-3333"), QStringLiteral("이둘"),
                               QString(), QStringLiteral("남"), jpeg(Qt::darkGreen));
        // A save closes the connection; the number is typed afterwards
        // without a lookup.
        fillEntry(QStringLiteral("12345678"), QStringLiteral("먼저"), QString(), spot("버튼남"));
        QCOMPARE(confirm(), QStringList());
        QVERIFY(!StoreDb.isOpen());
        typeInto(m_phone, QStringLiteral("22223333"));
        QPixmap shown(30, 30);
        shown.fill(Qt::blue);
        m_photo->setPixmap(shown);
        ModalAnswer watch = ModalAnswer::key(Qt::Key_Escape, ModalAnswer::Every);
        // The button takes the focus, which looks the number up first: that
        // would open a connection. Click it without moving the focus.
        button("버튼사진삭제")->click();
        QCOMPARE(watch.count(), 0);
        const QStringList log = station().errorLog();
        QCOMPARE(log.size(), 1);
        QVERIFY(log.first().startsWith(QStringLiteral("버튼사진삭제_Click  ")));
        QVERIFY(!m_photo->pixmap().isNull());
        QVERIFY(!station().member(QStringLiteral("010-2222-3333"))->photo.isEmpty());
    }

    void takePhotoHandsOverAndLooksUpFirst() {
        ModalAnswer messages = ModalAnswer::key(Qt::Key_Escape, ModalAnswer::Every);
        // The camera screen is answered too (Escape leaves it unsaved).
        QString handedOver;
        QPointer<QWidget> caller;
        QPointer<QLabel> callerBox;
        messages.onSeen([&](QWidget* window) {
            if (auto* camera = dynamic_cast<FrmPOS_사진찍기*>(window)) {
                handedOver = camera->PhotoFileBase();
                caller = camera->CallerForm();
                callerBox = camera->callerPhotoBox();
            }
        });
        click(button("버튼사진찍기"));
        QCOMPARE(messages.texts(), QStringList{box(QStringLiteral("휴대폰번호가 없습니다"))});
        QVERIFY(caller.isNull());
        station().reactivate();

        station().insertMember(kStore, QStringLiteral("010-6666-7777"), QStringLiteral("찍을사람"),
                               QString(), QStringLiteral("여"), QVariant());
        m_phone->setFocus();
        typeInto(m_phone, QStringLiteral("66667777"));
        click(button("버튼사진찍기"));
        // Pressing the button left the phone field: the lookup ran first.
        QCOMPARE(m_name->text(), QStringLiteral("찍을사람"));
        QCOMPARE(caller.data(), static_cast<QWidget*>(station().screen()));
        QCOMPARE(callerBox.data(), m_photo);
        QCOMPARE(handedOver, QStringLiteral("010-6666-7777"));
        QVERIFY(!ModalAnswer::leftoverWindows().contains(QStringLiteral("FrmPOS_사진찍기")));
        QCOMPARE(messages.count(), 2);
    }

    void aFailedConnectionAtSaveEndsTheProgram() {
        fillEntry(QStringLiteral("12345678"), QStringLiteral("홍길동"), QString(), spot("버튼남"));
        StationConfig.ServerIp.clear();
        StoreDb.redirect(QString());
        QCOMPARE(confirm(), (QStringList{box(QStringLiteral("서버 연결 실패")),
                                         box(QStringLiteral("서버 연결 실패"))}));
        QVERIFY(station().screen()->ended());
        QVERIFY(!station().screen()->isVisible());
    }

    void rightButtonOpensTheMenu() {
        FrmPOS_판매* screen = station().screen();
        auto* menu = station().widget<QMenu>("메뉴_메인");
        const QPoint background(900, 100);
        QTest::mouseClick(screen->windowHandle(), Qt::LeftButton, {}, background);
        QTest::mouseClick(screen->windowHandle(), Qt::MiddleButton, {}, background);
        QVERIFY(!menu->isVisible());
        QTest::mousePress(screen->windowHandle(), Qt::RightButton, {}, background);
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->actions().size(), 1);
        QAction* exit = menu->actions().first();
        QCOMPARE(exit->objectName(), QStringLiteral("메뉴_프로그램종료"));
        QCOMPARE(exit->text(), QStringLiteral("프로그램 종료"));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(exit).center());
        QTRY_VERIFY(screen->ended());
        QVERIFY(!screen->isVisible());
    }
};

QTEST_MAIN(TestRegistration)
#include "tst_registration.moc"
