// A long day at the counter: thousands of lookups and saves through the
// registration screen against PostgreSQL, as an operator makes them. Each
// lookup and each save opens and closes a connection of its own, writes and
// removes photo files, and decodes photos; none of that may leak. The
// process must end with as many open file descriptors as it had after
// warming up, its resident memory may grow only a little, and the table must
// hold exactly what was entered.
//
// STATION_SOAK_CYCLES sets the number of cycles (5000 unless set). The
// sanitizer build sets 600 in the test's environment (tests/app/soak.cmake):
// the full run there takes over two minutes more, while what the sanitizers
// look for (bad memory use at once, leaks at exit) and a growing descriptor
// count show within a few hundred cycles.

#include "support/stationfixture.h"

#include "components/widgets/hotspot.h"
#include "components/widgets/mytext.h"

#include <QLabel>

using namespace stationtest;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

// The open descriptors, each as "number -> what it opens", so that a
// failure can say which are new.
QStringList openDescriptors() {
    const QDir fds(QStringLiteral("/proc/self/fd"));
    QStringList open;
    for (const QString& fd :
         fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        open.append(fd + QStringLiteral(" -> ") + QFileInfo(fds.filePath(fd)).symLinkTarget());
    }
    return open;
}

// Resident set in kB (VmRSS of /proc/self/status).
qint64 residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toLongLong();
        }
    }
    return -1;
}

int cyclesWanted() {
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("STATION_SOAK_CYCLES", &ok);
    return ok && n > 0 ? n : 5000;
}

void click(QWidget* target) {
    QWidget* window = target->window();
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                      target->mapTo(window, target->rect().center()));
}

struct Expected {
    QString name;
    QString address;
    QString gender;
    QByteArray photo; // empty: none stored
};

const QStringList kNames{QStringLiteral("김하나"), QStringLiteral("이둘"),
                         QStringLiteral("박세영"), QStringLiteral("최민준"),
                         QStringLiteral("정서윤"), QStringLiteral("강지호")};
const QStringList kStreets{QStringLiteral("서울시 강남구 역삼동"),
                           QStringLiteral("부산광역시 해운대구 우동"),
                           QStringLiteral("대구광역시 중구 동인동"), QString()};

} // namespace

class TestSoak : public QObject {
    Q_OBJECT

    std::unique_ptr<Station> m_station;

private Q_SLOTS:
    void initTestCase() {
        if (const QString why = prepareStationProcess(); !why.isEmpty()) {
            QSKIP(qPrintable(why));
        }
    }

    void cleanup() {
        m_station.reset();
        QCOMPARE(ModalAnswer::leftoverWindows(), QStringList());
    }

    // Even cycles register a new member; odd cycles bring back one
    // registered earlier, check what the lookup shows and overwrite it.
    // Some cycles take no photo: a new member then has none, a returning
    // one keeps the stored one.
    void thousandsOfLookupsAndSaves() {
        m_station = std::make_unique<Station>(odbcfixture::Backend::PostgreSQL);
        if (!m_station->ready()) {
            QSKIP(qPrintable(m_station->skipReason()));
        }
        Station& station = *m_station;
        station.prepare();
        station.startAndShow();
        auto* phone = station.widget<MyText>("휴대폰번호");
        auto* name = station.widget<MyText>("성명");
        auto* gender = station.widget<MyText>("남여구분");
        auto* address = station.widget<MyText>("주소");
        auto* picture = station.widget<QLabel>("회원사진");
        HotSpot* male = station.widget<HotSpot>("버튼남");
        HotSpot* female = station.widget<HotSpot>("버튼여");
        HotSpot* confirm = station.widget<HotSpot>("버튼확인");

        QList<QByteArray> photos;
        for (const QColor colour : {QColor(Qt::darkGreen), QColor(Qt::darkBlue),
                                    QColor(Qt::darkRed), QColor(Qt::darkYellow)}) {
            photos.append(jpeg(colour, QSize(160 + 8 * int(photos.size()), 120)));
        }

        const int cycles = cyclesWanted();
        const int warmUp = qMax(1, cycles / 10);
        QStringList phones; // stored numbers, in order of registration
        QList<Expected> expected;
        QStringList descriptorsWarm;
        qint64 residentWarm = 0;
        // Any message box is a failure; it is closed so that the run ends.
        ModalAnswer messages =
            ModalAnswer::key(Qt::Key_Escape, ModalAnswer::Every, QStringLiteral("Frm_메세지"));

        for (int cycle = 0; cycle < cycles; ++cycle) {
            const bool returning = cycle % 2 == 1;
            const int member = returning ? cycle / 4 : cycle / 2;
            const QString digits = QString::number(20000000 + member);
            const QString fieldText = digits.left(4) + u'-' + digits.mid(4);
            if (!returning) {
                phones.append(QStringLiteral("010-") + fieldText);
                expected.append(Expected{});
            }
            Expected& row = expected[member];

            // The lookup, as the operator leaves the number field.
            phone->setFocus();
            QTest::keyClicks(phone, digits);
            QTest::keyClick(phone, Qt::Key_Tab);
            QCOMPARE(phone->text(), fieldText);
            QCOMPARE(name->text(), row.name);
            QCOMPARE(address->text(), row.address);
            QCOMPARE(gender->text(), row.gender);
            // The photos differ in width: the member's own is shown.
            QCOMPARE(picture->pixmap().isNull(), row.photo.isEmpty());
            if (!row.photo.isEmpty()) {
                QCOMPARE(picture->pixmap().size(), QImage::fromData(row.photo).size());
            }

            // The entry, a photo from the camera now and then, the save.
            row.name = kNames[cycle % kNames.size()] + QString::number(cycle);
            row.address = kStreets[cycle % kStreets.size()];
            if (!row.address.isEmpty()) {
                row.address += QStringLiteral(" %1").arg(cycle);
            }
            name->setText(row.name);
            address->setText(row.address);
            const bool isMale = cycle % 3 != 0;
            row.gender = isMale ? QStringLiteral("남") : QStringLiteral("여");
            click(isMale ? male : female);
            const QString captured = station.capturedPhoto(fieldText);
            if (cycle % 5 != 2) {
                row.photo = photos[cycle % photos.size()];
                QVERIFY(writeFile(captured, row.photo));
            }
            {
                std::optional<ModalAnswer> overwrite;
                if (returning) {
                    overwrite.emplace([](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); },
                                      ModalAnswer::Once, QStringLiteral("Frm_다이얼로그"));
                }
                click(confirm);
                QCOMPARE(overwrite.has_value() && overwrite->seen(), returning);
            }
            if (returning) {
                station.reactivate();
            }
            QVERIFY2(!messages.seen(),
                     qPrintable(QStringLiteral("cycle %1: %2").arg(cycle).arg(messages.text())));
            QCOMPARE(name->text(), QString());
            QVERIFY(picture->pixmap().isNull());
            QVERIFY(!QFileInfo::exists(captured));
            QVERIFY(!StoreDb.isOpen());

            if (cycle + 1 == warmUp) {
                descriptorsWarm = openDescriptors();
                residentWarm = residentKb();
            }
        }

        const QStringList descriptorsEnd = openDescriptors();
        const qint64 residentEnd = residentKb();
        qInfo("%d cycles: %d open descriptors after warm-up, %d at the end; resident %lld kB "
              "after warm-up, %lld kB at the end",
              cycles, int(descriptorsWarm.size()), int(descriptorsEnd.size()), residentWarm,
              residentEnd);
        QStringList added;
        for (const QString& fd : descriptorsEnd) {
            if (!descriptorsWarm.contains(fd)) {
                added.append(fd);
            }
        }
        QVERIFY2(descriptorsEnd.size() <= descriptorsWarm.size(),
                 qPrintable(QStringLiteral("%1 descriptors more; new since the warm-up: %2")
                                .arg(descriptorsEnd.size() - descriptorsWarm.size())
                                .arg(added.join(QStringLiteral(", ")))));
        // Under AddressSanitizer freed memory waits in the sanitizer's
        // quarantine instead of being reused, so the resident set grows by
        // design there and says nothing about the station.
        if (!kAddressSanitizer) {
            QVERIFY2(
                residentEnd - residentWarm < 8 * 1024,
                qPrintable(
                    QStringLiteral("resident set grew by %1 kB").arg(residentEnd - residentWarm)));
        }

        QCOMPARE(station.memberCount(), int(phones.size()));
        const QList<std::optional<MemberRow>> rows = station.members(phones);
        for (qsizetype i = 0; i < phones.size(); ++i) {
            QVERIFY2(rows[i].has_value(), qPrintable(phones[i]));
            QCOMPARE(rows[i]->name, expected[i].name);
            QCOMPARE(rows[i]->address, expected[i].address);
            QCOMPARE(rows[i]->gender, expected[i].gender);
            QCOMPARE(rows[i]->photoNull, expected[i].photo.isEmpty());
            QCOMPARE(rows[i]->photo, expected[i].photo);
            QCOMPARE(rows[i]->extra, QStringLiteral("일반"));
        }
        QCOMPARE(station.jpegFiles(), QStringList());
        QCOMPARE(station.errorLog(), QStringList());
    }
};

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
