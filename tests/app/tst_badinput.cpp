// What reaches the registration screen that is no plain name or number:
// quotes and SQL, characters the Korean code page lacks, pastes longer than
// a field, a store code with quotes in it, stored photos that are no JPEG,
// a syllable an input method is still composing.
// Each case says what the operator sees and shows that the rows the case
// does not own are untouched. Runs once per backend (STATION_TEST_BACKEND).

#include "support/composing.h"
#include "support/entrydriver.h"
#include "support/stationfixture.h"

#include <QClipboard>
#include <QInputMethodEvent>
#include <QRandomGenerator>

using namespace stationtest;

namespace {

odbcfixture::Backend backendUnderTest() {
    return qEnvironmentVariable("STATION_TEST_BACKEND") == QStringLiteral("postgresql")
               ? odbcfixture::Backend::PostgreSQL
               : odbcfixture::Backend::SQLite;
}

const QString kOld = QStringLiteral("010-3333-4444");
const QString kNeighbour = QStringLiteral("010-7777-8888");
const QString kNew = QStringLiteral("010-5555-6666");
const QString kOtherStore = QStringLiteral("0002");

// Text as it arrives from the clipboard (Ctrl+V in the field).
void paste(MyText* field, const QString& text) {
    QApplication::clipboard()->setText(text);
    field->setFocus();
    QTest::keySequence(field, QKeySequence::Paste);
}

// Text as a Korean input method commits it.
void commit(MyText* field, const QString& text) {
    field->setFocus();
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(field, &event);
}

bool hasLoneSurrogate(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate()) {
            if (i + 1 == text.size() || !text.at(i + 1).isLowSurrogate()) {
                return true;
            }
            ++i;
        } else if (text.at(i).isLowSurrogate()) {
            return true;
        }
    }
    return false;
}

// A JPEG whose frame header claims `width` x `height` pixels.
QByteArray withClaimedSize(QByteArray bytes, int width, int height) {
    for (qsizetype i = 0; i + 8 < bytes.size(); ++i) {
        const auto marker = static_cast<unsigned char>(bytes.at(i + 1));
        if (static_cast<unsigned char>(bytes.at(i)) == 0xFF && marker >= 0xC0 && marker <= 0xC2) {
            bytes[i + 5] = char(height >> 8);
            bytes[i + 6] = char(height & 0xFF);
            bytes[i + 7] = char(width >> 8);
            bytes[i + 8] = char(width & 0xFF);
            return bytes;
        }
    }
    return {};
}

} // namespace

class TestBadInput : public QObject {
    Q_OBJECT

    std::unique_ptr<Station> m_station;
    std::unique_ptr<EntryDriver> m_entry;

    Station& station() { return *m_station; }
    EntryDriver& entry() { return *m_entry; }

    struct Table {
        QList<std::optional<MemberRow>> rows;
        int count = 0;
        bool operator==(const Table&) const = default;
    };
    // The rows a case does not own: a member with a photo (the one cases
    // overwrite, checked separately then), a neighbour, and another store's
    // member under the number the cases register.
    Table bystanders(bool withOld = true) {
        Table t;
        if (withOld) {
            t.rows << station().member(kOld);
        }
        t.rows << station().member(kNeighbour) << station().member(kNew, kOtherStore);
        t.count = station().memberCount();
        return t;
    }

    void startStation() {
        station().startAndShow();
        m_entry = std::make_unique<EntryDriver>(station());
    }

    // A new member registered through the screen: number looked up, name
    // and address pasted, male chosen, saved with no box.
    void registerNew(const QString& digits, const QString& name, const QString& address) {
        entry().lookUp(digits);
        paste(entry().name, name);
        paste(entry().address, address);
        entry().press("버튼남");
        QCOMPARE(entry().confirm(), QStringList());
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
        station().insertMember(kStore, kOld, QStringLiteral("옛이름"), QStringLiteral("옛주소"),
                               QStringLiteral("남"), jpeg(Qt::yellow));
        station().insertMember(kStore, kNeighbour, QStringLiteral("이웃"), QStringLiteral("옆집"),
                               QStringLiteral("여"), jpeg(Qt::blue));
        station().insertMember(kOtherStore, kNew, QStringLiteral("남의회원"), QString(),
                               QStringLiteral("여"), QVariant());
    }

    void cleanup() {
        m_entry.reset();
        m_station.reset();
        QCOMPARE(ModalAnswer::leftoverWindows(), QStringList());
    }

    // ---- quotes and SQL ---------------------------------------------------

    // Pasted into the name and address, they are data: stored as pasted,
    // shown again as stored, and an overwrite with them changes that one
    // row only.
    void quotesAndSqlAreStoredVerbatim_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");
        QTest::newRow("quotes") << QStringLiteral("O'Neil ''김''")
                                << QStringLiteral("서울 \"중구\" 1'2");
        QTest::newRow("statement ends and comments")
            << QStringLiteral("x'; DROP TABLE 회원관리; --")
            << QStringLiteral("'); DELETE FROM 회원관리; /*");
        QTest::newRow("always-true conditions")
            << QStringLiteral("' OR '1'='1")
            << QStringLiteral("1' OR 1=1 UNION SELECT * FROM 회원관리 --");
        QTest::newRow("escapes and wildcards")
            << QStringLiteral("\\' %_ \\\\ ?") << QStringLiteral("%' AND 회원명 LIKE '% :1 $1");
    }
    void quotesAndSqlAreStoredVerbatim() {
        QFETCH(QString, name);
        QFETCH(QString, address);
        startStation();
        const Table before = bystanders();

        registerNew(QStringLiteral("55556666"), name, address);
        auto row = station().member(kNew);
        QVERIFY(row.has_value());
        QCOMPARE(row->name, name);
        QCOMPARE(row->address, address);
        QCOMPARE(row->gender, QStringLiteral("남"));
        Table expected = before;
        ++expected.count;
        QVERIFY(bystanders() == expected);

        entry().lookUp(QStringLiteral("55556666"));
        QCOMPARE(entry().name->text(), name);
        QCOMPARE(entry().address->text(), address);

        // The earlier member overwritten with the two texts swapped.
        const MemberRow old = *station().member(kOld);
        entry().lookUp(QStringLiteral("33334444"));
        entry().name->clear();
        paste(entry().name, address);
        entry().address->clear();
        paste(entry().address, name);
        const QStringList boxes =
            entry().confirm([](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); });
        QCOMPARE(boxes.size(), 1);
        row = station().member(kOld);
        QCOMPARE(row->name, address);
        QCOMPARE(row->address, name);
        QCOMPARE(row->photo, old.photo);
        QCOMPARE(row->extra, old.extra);
        const Table after = bystanders(false);
        QVERIFY(after.rows == expected.rows.mid(1));
        QCOMPARE(after.count, expected.count);
        QCOMPARE(station().errorLog(), QStringList());
    }

    // The number field takes digits only, so SQL pasted around a number
    // leaves the number; pasted digits stop where typing them would (nine
    // characters with the dash).
    void pastesIntoTheNumberField_data() {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("name"); // what the lookup then shows
        QTest::newRow("SQL around the digits")
            << QStringLiteral("3333'; DELETE FROM 회원관리; --4444") << QStringLiteral("3333-4444")
            << QStringLiteral("옛이름");
        QTest::newRow("quotes only")
            << QStringLiteral("' OR '1'='1") << QStringLiteral("11") << QString();
        QTest::newRow("twelve digits")
            << QStringLiteral("1212 3434 5656") << QStringLiteral("1212-3434") << QString();
    }
    void pastesIntoTheNumberField() {
        QFETCH(QString, pasted);
        QFETCH(QString, shown);
        QFETCH(QString, name);
        startStation();
        const Table before = bystanders();
        entry().name->setText(QStringLiteral("입력중"));
        paste(entry().phone, pasted);
        QCOMPARE(entry().phone->text(), shown);
        QTest::keyClick(entry().phone, Qt::Key_Tab);
        QCOMPARE(entry().name->text(), name);

        // Delete-photo with what the field holds touches no other row.
        EntryDriver::click(entry().button("버튼사진삭제"));
        if (name.isEmpty()) {
            QVERIFY(bystanders() == before);
        } else {
            QVERIFY(entry().photo->pixmap().isNull());
            const auto old = station().member(kOld);
            QVERIFY(!old->photoNull);
            QVERIFY(old->photo.isEmpty());
            QVERIFY(bystanders(false).rows == before.rows.mid(1));
        }
        QCOMPARE(station().errorLog(), QStringList());
    }

    // A store code with quotes (a hand-edited settings file) is a store code
    // like any other: no other store's member is found, a new member is
    // stored under it verbatim, nobody else's photo is removed.
    void storeCodeWithQuotesMatchesOnlyItself() {
        StationSettings settings = station().settings();
        settings.StoreCode = QStringLiteral("0'--");
        QString error;
        QVERIFY2(WriteSettingsFile(station().path(SettingsFileName), fieldsFrom(settings), &error),
                 qPrintable(error));
        startStation();
        QCOMPARE(StationConfig.StoreCode, settings.StoreCode);
        const Table before = bystanders();

        for (const char* digits : {"33334444", "55556666"}) {
            entry().lookUp(QString::fromLatin1(digits));
            QCOMPARE(entry().name->text(), QString());
            EntryDriver::click(entry().button("버튼사진삭제"));
        }
        QVERIFY(bystanders() == before);

        registerNew(QStringLiteral("33334444"), QStringLiteral("따옴표매장"), QString());
        const auto row = station().member(kOld, settings.StoreCode);
        QVERIFY(row.has_value());
        QCOMPARE(row->name, QStringLiteral("따옴표매장"));
        Table expected = before;
        ++expected.count;
        QVERIFY(bystanders() == expected);
        entry().lookUp(QStringLiteral("33334444"));
        QCOMPARE(entry().name->text(), QStringLiteral("따옴표매장"));
    }

    // ---- characters the code page lacks ----------------------------------

    // Names and addresses beyond CP949, outside the Basic Multilingual Plane
    // included, are stored and shown as typed. A failed save shows the
    // server's message as it is and logs it with '?' for each such
    // character.
    void charactersBeyondTheCodePage_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");
        QTest::newRow("old Hangul jamo")
            << QStringLiteral("ᄒᆞᆫ글 나라") << QStringLiteral("ᄀᆞᄅᆞᆷ 마을");
        QTest::newRow("outside the BMP")
            << QStringLiteral("김𠀀순") << QStringLiteral("𝄞 음악실 😀");
        QTest::newRow("Latin and symbols")
            << QStringLiteral("Zoë Łukasz") << QStringLiteral("€ 5번지 ✓");
    }
    void charactersBeyondTheCodePage() {
        QFETCH(QString, name);
        QFETCH(QString, address);
        bool lossless = true;
        cp949::encode(name, &lossless);
        QVERIFY(!lossless);
        startStation();
        const Table before = bystanders();

        registerNew(QStringLiteral("55556666"), name, address);
        const auto row = station().member(kNew);
        QVERIFY(row.has_value());
        QCOMPARE(row->name, name);
        QCOMPARE(row->address, address);
        entry().lookUp(QStringLiteral("55556666"));
        QCOMPARE(entry().name->text(), name);
        QCOMPARE(entry().address->text(), address);
        Table expected = before;
        ++expected.count;
        QVERIFY(bystanders() == expected);

        if (station().backend() != odbcfixture::Backend::PostgreSQL) {
            // SQLite cannot put a value into its error message.
            return;
        }
        station().execute(
            QStringLiteral("CREATE FUNCTION refuse_named() RETURNS trigger LANGUAGE plpgsql AS "
                           "'BEGIN RAISE EXCEPTION ''거절: %'', NEW.회원명; END'"));
        station().execute(QStringLiteral("CREATE TRIGGER refuse_named BEFORE INSERT ON 회원관리 "
                                         "FOR EACH ROW EXECUTE FUNCTION refuse_named()"));
        entry().lookUp(QStringLiteral("12345678"));
        paste(entry().name, name);
        entry().press("버튼여");
        const QStringList boxes = entry().confirm();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes.first().contains(QStringLiteral("거절: ") + name),
                 qPrintable(boxes.first()));
        const QStringList log = station().errorLog();
        QCOMPARE(log.size(), 1);
        const QString logged = cp949::decode(cp949::encode(name));
        QVERIFY(logged.contains(u'?'));
        QVERIFY2(log.first().contains(QStringLiteral("거절: ") + logged), qPrintable(log.first()));
        QCOMPARE(entry().name->text(), name);
        QVERIFY(!station().member(QStringLiteral("010-1234-5678")).has_value());
        QVERIFY(bystanders() == expected);
    }

    // ---- text longer than a field ---------------------------------------

    // Pasted or committed by an input method, text beyond a field's fifty
    // characters is cut there, never inside a character made of two UTF-16
    // units; what is kept is stored and shown whole.
    void overlongTextIsCutAtTheLimit_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("byInputMethod");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("kept");
        const QString hangul = QStringLiteral("가나다라마바사아자차").repeated(8);
        const QString pair = QStringLiteral("𠀀");
        QTest::newRow("name, 80 Hangul, pasted")
            << QStringLiteral("성명") << false << hangul << hangul.left(50);
        QTest::newRow("address, 80 Hangul, committed")
            << QStringLiteral("주소") << true << hangul << hangul.left(50);
        QTest::newRow("name, a pair across the limit, pasted")
            << QStringLiteral("성명") << false << QString(49, u'김') + pair + QStringLiteral("끝")
            << QString(49, u'김');
        QTest::newRow("address, a pair across the limit, committed")
            << QStringLiteral("주소") << true << QString(49, u'a') + pair << QString(49, u'a');
        QTest::newRow("name, pairs up to the limit, pasted")
            << QStringLiteral("성명") << false << QStringLiteral("😀").repeated(30)
            << QStringLiteral("😀").repeated(25);
    }
    void overlongTextIsCutAtTheLimit() {
        QFETCH(QString, field);
        QFETCH(bool, byInputMethod);
        QFETCH(QString, text);
        QFETCH(QString, kept);
        startStation();
        entry().lookUp(QStringLiteral("55556666"));
        MyText* target = field == QStringLiteral("성명") ? entry().name : entry().address;
        if (field != QStringLiteral("성명")) {
            entry().name->setText(QStringLiteral("이름"));
        }
        if (byInputMethod) {
            commit(target, text);
        } else {
            paste(target, text);
        }
        QCOMPARE(target->text(), kept);
        QVERIFY(!hasLoneSurrogate(target->text()));
        // Nor does a further pair fit into what is left.
        paste(target, QStringLiteral("😀"));
        QCOMPARE(target->text(), kept);

        entry().press("버튼여");
        QCOMPARE(entry().confirm(), QStringList());
        const auto row = station().member(kNew);
        QVERIFY(row.has_value());
        QCOMPARE(field == QStringLiteral("성명") ? row->name : row->address, kept);
        entry().lookUp(QStringLiteral("55556666"));
        QCOMPARE(target->text(), kept);
    }

    // ---- stored photos that are no JPEG ---------------------------------

    // The row shows without a picture (the previous member's picture does
    // not stay), nothing is said, no file is left; an overwrite without a
    // new photo keeps the stored bytes as they were.
    void storedPhotoThatIsNoJpeg_data() {
        QTest::addColumn<QByteArray>("photo");
        QByteArray noise(4096, Qt::Uninitialized);
        QRandomGenerator random(20240131);
        for (char& byte : noise) {
            byte = char(random.bounded(256));
        }
        const QByteArray real = jpeg(Qt::green);
        QTest::newRow("random bytes") << noise;
        QTest::newRow("text") << QByteArray("not a photo\r\n");
        QTest::newRow("a JPEG cut before its picture data")
            << real.left(real.indexOf(QByteArray("\xFF\xDA", 2)));
        QTest::newRow("a JPEG claiming 60000 x 60000 pixels")
            << withClaimedSize(real, 60000, 60000);
    }
    void storedPhotoThatIsNoJpeg() {
        QFETCH(QByteArray, photo);
        QVERIFY(photo.size() > 0);
        station().insertMember(kStore, kNew, QStringLiteral("사진불량"), QStringLiteral("주소"),
                               QStringLiteral("여"), photo);
        startStation();
        entry().lookUp(QStringLiteral("33334444"));
        QVERIFY(!entry().photo->pixmap().isNull());

        {
            ModalAnswer watch = ModalAnswer::key(Qt::Key_Escape, ModalAnswer::Every);
            entry().lookUp(QStringLiteral("55556666"));
            QCOMPARE(watch.count(), 0);
        }
        QCOMPARE(entry().name->text(), QStringLiteral("사진불량"));
        QCOMPARE(entry().gender->text(), QStringLiteral("여"));
        QVERIFY(entry().photo->pixmap().isNull());
        QCOMPARE(station().jpegFiles(), QStringList());

        entry().press("버튼남");
        const QStringList boxes =
            entry().confirm([](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); });
        QCOMPARE(boxes.size(), 1);
        const auto row = station().member(kNew);
        QCOMPARE(row->gender, QStringLiteral("남"));
        QCOMPARE(row->photo, photo);
        QCOMPARE(station().errorLog(), QStringList());
    }

    // ---- a syllable still being composed ---------------------------------

    // The last syllable of the name or the address is still composing when
    // the operator moves on: it is stored once, in its own field, whatever
    // comes next, also when the input method sends it again afterwards (as
    // IBus does); the cleared screen shows nothing of it.
    void composingSyllableIsStoredOnce_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("repeated");
        for (const char* field : {"성명", "주소"}) {
            for (const char* action : {"click the other field", "Tab", "Enter", "Escape", "남",
                                       "사진 삭제", "confirm"}) {
                for (const bool repeated : {false, true}) {
                    QTest::addRow("%s, %s%s", field, action, repeated ? ", sent again" : "")
                        << QString::fromUtf8(field) << QString::fromUtf8(action) << repeated;
                }
            }
        }
    }
    void composingSyllableIsStoredOnce() {
        QFETCH(QString, field);
        QFETCH(QString, action);
        QFETCH(bool, repeated);
        startStation();
        entry().lookUp(QStringLiteral("55556666"));
        entry().press("버튼남");
        MyText* const composingIn =
            field == QStringLiteral("성명") ? entry().name : entry().address;
        MyText* const other = composingIn == entry().name ? entry().address : entry().name;
        const QString text =
            composingIn == entry().name ? QStringLiteral("홍길동") : QStringLiteral("서울");
        composing::type(other,
                        other == entry().name ? QStringLiteral("홍길동") : QStringLiteral("서울"),
                        QString());
        composing::type(composingIn, text.chopped(1), text.right(1));
        QCOMPARE(composing::shown(composingIn), text.right(1));
        if (action == QStringLiteral("click the other field")) {
            EntryDriver::click(other);
        } else if (action == QStringLiteral("Tab")) {
            QTest::keyClick(composingIn, Qt::Key_Tab);
        } else if (action == QStringLiteral("Enter")) {
            QTest::keyClick(composingIn, Qt::Key_Return);
        } else if (action == QStringLiteral("Escape")) {
            QTest::keyClick(composingIn, Qt::Key_Escape);
        } else if (action == QStringLiteral("남")) {
            entry().press("버튼남");
        } else if (action == QStringLiteral("사진 삭제")) {
            EntryDriver::click(entry().button("버튼사진삭제"));
        }
        // The repetition comes after the action, the save after both.
        const bool savesNow = action == QStringLiteral("confirm");
        if (savesNow) {
            QCOMPARE(entry().confirm(), QStringList());
        }
        if (repeated) {
            composing::repeat(text.right(1));
        }
        if (!savesNow) {
            QCOMPARE(entry().confirm(), QStringList());
        }

        const auto row = station().member(kNew);
        QVERIFY(row.has_value());
        QCOMPARE(row->name, QStringLiteral("홍길동"));
        QCOMPARE(row->address, QStringLiteral("서울"));
        QCOMPARE(row->gender, QStringLiteral("남"));
        for (MyText* f : {entry().phone, entry().name, entry().gender, entry().address}) {
            QCOMPARE(f->text(), QString());
            QCOMPARE(composing::shown(f), QString());
        }
    }
};

QTEST_MAIN(TestBadInput)
#include "tst_badinput.moc"
