// The member operations against real databases: every case runs on
// PostgreSQL (psqlODBC) and on SQLite (SQLite ODBC).

#include "db/members.h"
#include "db/storedb.h"
#include "support/odbc_fixture.h"
#include "util/programwide.h"

#include <QRandomGenerator>
#include <QTest>

using odbcfixture::Backend;
using odbcfixture::MemberTable;

namespace {

QByteArray photoBytes(qsizetype size, quint32 seed) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator random(seed);
    for (char& c : bytes) {
        c = char(random.bounded(256));
    }
    bytes[0] = 0; // a NUL early on must not cut the photo
    return bytes;
}

// StoreDb opened through OpenStoreDb, redirected to the table; closed and
// the redirection ended on the way out.
struct StoreDbOn {
    explicit StoreDbOn(const MemberTable& table) {
        StoreDb.redirect(table.connectionString());
        opened = OpenStoreDb(StoreDb, QStringLiteral("127.0.0.1"), QString(),
                             QStringLiteral("station"), QStringLiteral("sa"), QStringLiteral("pw"));
    }
    ~StoreDbOn() {
        CloseStoreDb();
        StoreDb.redirect({});
    }
    bool opened = false;
};

void saveMember(const MemberEntry& entry, const QByteArray& photo = {}) {
    OdbcRecordset set;
    OpenMemberForSave(set, entry.storeCode, entry.phone);
    if (set.isEof()) {
        set.addNew();
    }
    WriteMember(set, entry);
    if (!photo.isNull()) {
        set.field(MemberCol::Photo).setBytes(photo);
    }
    set.update();
}

qint64 count(const QString& where, const QVariantList& params = {}) {
    OdbcRecordset set;
    set.open(StoreDb, QStringLiteral("SELECT COUNT(*) AS n FROM 회원관리 WHERE ") + where, params);
    return set.field(QStringLiteral("n")).text().toLongLong();
}

const QString store1 = QStringLiteral("0001");
const QString store2 = QStringLiteral("0002");
const QString phone = QStringLiteral("010-1234-5678");

} // namespace

#define OPEN_MEMBER_TABLE()                                                                        \
    QFETCH(int, backend);                                                                          \
    MemberTable table{Backend(backend)};                                                           \
    if (table.unavailable())                                                                       \
        QSKIP(qPrintable(table.skipReason()));                                                     \
    QVERIFY2(table.ready(), qPrintable(table.skipReason()));                                       \
    StoreDbOn db{table};                                                                           \
    QVERIFY2(db.opened, qPrintable(StoreDb.lastOpenError()))

class TestMembers : public QObject {
    Q_OBJECT
private:
    void backends() {
        QTest::addColumn<int>("backend");
        QTest::newRow("PostgreSQL") << int(Backend::PostgreSQL);
        QTest::newRow("SQLite") << int(Backend::SQLite);
    }

private Q_SLOTS:
    void initTestCase() {
        const QString why = odbcfixture::prepareProcess();
        QVERIFY2(why.isEmpty(), qPrintable(why));
    }

    void newMemberRoundTrips_data() { backends(); }
    void newMemberRoundTrips() {
        OPEN_MEMBER_TABLE();
        const QByteArray photo = photoBytes(500 * 1024, 1);
        const MemberEntry entry{store1, phone, QStringLiteral("홍길동 김씨"), QStringLiteral("여"),
                                QString()};
        saveMember(entry, photo);
        QCOMPARE(SqlText, MemberDuplicateSql);

        OdbcRecordset set;
        OpenMemberLookup(set, store1, phone);
        QCOMPARE(SqlText, MemberLookupSql);
        QVERIFY(!set.isEof());
        const MemberEntry read = ReadMember(set);
        QCOMPARE(read.storeCode, store1);
        QCOMPARE(read.phone, phone);
        QCOMPARE(read.name, QStringLiteral("홍길동 김씨"));
        QCOMPARE(read.gender, QStringLiteral("여"));
        QCOMPARE(MemberLocalPart(read.phone), QStringLiteral("1234-5678"));
        // An empty address is stored as '' and not as null.
        QVERIFY(!set.field(MemberCol::Address).isNull());
        QCOMPARE(read.address, QString());
        QCOMPARE(count(QStringLiteral("회원주소 = ?"), {QString()}), 1);
        // The photo comes back byte for byte; the extra column took its default.
        QCOMPARE(set.field(MemberCol::Photo).size(), photo.size());
        QVERIFY(set.field(MemberCol::Photo).bytes() == photo);
        QCOMPARE(set.field(QStringLiteral("가입구분")).text(), QStringLiteral("일반"));
    }

    void overwriteChangesOnlyThatStoresRow_data() { backends(); }
    void overwriteChangesOnlyThatStoresRow() {
        OPEN_MEMBER_TABLE();
        const QByteArray photo = photoBytes(100 * 1024, 2);
        saveMember({store1, phone, QStringLiteral("김철수"), QStringLiteral("남"),
                    QStringLiteral("서울시 강남구")},
                   photo);
        saveMember({store2, phone, QStringLiteral("다른 매장"), QStringLiteral("여"),
                    QStringLiteral("부산")});
        QCOMPARE(
            StoreDb.execute(QStringLiteral("UPDATE 회원관리 SET 가입구분 = ? WHERE 매장코드 = ?"),
                            {QStringLiteral("VIP"), store1}),
            1);

        // Overwrite without a new photo: texts change, photo and extra column stay.
        OdbcRecordset set;
        OpenMemberForSave(set, store1, phone);
        QVERIFY(!set.isEof());
        QCOMPARE(set.field(MemberCol::Photo).size(), photo.size());
        WriteMember(set,
                    {store1, phone, QStringLiteral("김영희"), QStringLiteral("여"), QString()});
        set.update();
        set.close();

        OpenMemberLookup(set, store1, phone);
        QCOMPARE(ReadMember(set).name, QStringLiteral("김영희"));
        QCOMPARE(ReadMember(set).address, QString());
        QVERIFY(set.field(MemberCol::Photo).bytes() == photo);
        QCOMPARE(set.field(QStringLiteral("가입구분")).text(), QStringLiteral("VIP"));
        QCOMPARE(count(QStringLiteral("회원휴대폰번호 = ?"), {phone}), 2);

        // The other store's row is untouched, and a third store finds nothing.
        OpenMemberLookup(set, store2, phone);
        QCOMPARE(ReadMember(set).name, QStringLiteral("다른 매장"));
        QVERIFY(set.field(MemberCol::Photo).isNull());
        OpenMemberLookup(set, QStringLiteral("0003"), phone);
        QVERIFY(set.isEof());
    }

    void nothingIsWrittenBeforeUpdate_data() { backends(); }
    void nothingIsWrittenBeforeUpdate() {
        OPEN_MEMBER_TABLE();
        saveMember({store1, phone, QStringLiteral("원래 이름"), QStringLiteral("남"), QString()});
        {
            // An error half-way through an overwrite: the set is dropped unwritten.
            OdbcRecordset set;
            OpenMemberForSave(set, store1, phone);
            set.field(MemberCol::Name).setText(QStringLiteral("바뀐 이름"));
            QVERIFY_THROWS_EXCEPTION(OdbcError, set.field(QStringLiteral("없는열")));
        }
        {
            OdbcRecordset set;
            OpenMemberForSave(set, store1, QStringLiteral("010-9999-9999"));
            QVERIFY(set.isEof());
            set.addNew();
            WriteMember(set, {store1, QStringLiteral("010-9999-9999"), QStringLiteral("새 회원"),
                              QStringLiteral("여"), QString()});
        }
        QCOMPARE(count(QStringLiteral("1 = 1")), 1);
        QCOMPARE(count(QStringLiteral("회원명 = ?"), {QStringLiteral("원래 이름")}), 1);

        // A row removed after it was read is not written back in: the
        // update fails and the table stays as it is.
        OdbcRecordset set;
        OpenMemberForSave(set, store1, phone);
        QCOMPARE(StoreDb.execute(QStringLiteral("DELETE FROM 회원관리")), 1);
        set.field(MemberCol::Name).setText(QStringLiteral("유령"));
        QVERIFY_THROWS_EXCEPTION(OdbcError, set.update());
        QCOMPARE(count(QStringLiteral("1 = 1")), 0);
    }

    void photoRemoval_data() { backends(); }
    void photoRemoval() {
        OPEN_MEMBER_TABLE();
        const QByteArray photo = photoBytes(20 * 1024, 3);
        saveMember({store1, phone, QStringLiteral("사진 있음"), QStringLiteral("남"), QString()},
                   photo);
        saveMember({store2, phone, QStringLiteral("다른 매장"), QStringLiteral("남"), QString()},
                   photo);

        QCOMPARE(RemoveMemberPhoto(store1, phone), 1);
        QCOMPARE(SqlText, MemberPhotoRemovalSql);
        QCOMPARE(RemoveMemberPhoto(store1, QStringLiteral("010-0000-0000")), 0);

        OdbcRecordset set;
        OpenMemberLookup(set, store1, phone);
        // Empty, not null.
        QVERIFY(!set.field(MemberCol::Photo).isNull());
        QCOMPARE(set.field(MemberCol::Photo).size(), 0);
        QCOMPARE(ReadMember(set).name, QStringLiteral("사진 있음"));
        OpenMemberLookup(set, store2, phone);
        QVERIFY(set.field(MemberCol::Photo).bytes() == photo);

        // Removing again still reports the stored member.
        QCOMPARE(RemoveMemberPhoto(store1, phone), 1);
    }

    void quotesInTheNumberMatchNothing_data() { backends(); }
    void quotesInTheNumberMatchNothing() {
        OPEN_MEMBER_TABLE();
        const QByteArray photo = photoBytes(1024, 4);
        saveMember({store1, phone, QStringLiteral("회원"), QStringLiteral("남"), QString()}, photo);
        for (const QString& local : {QStringLiteral("1' or '1'='1"), QStringLiteral("'"),
                                     QStringLiteral("x'; DELETE FROM 회원관리; --")}) {
            OdbcRecordset set;
            OpenMemberLookup(set, store1, MemberPhone(local));
            QVERIFY(set.isEof());
            OpenMemberForSave(set, QStringLiteral("0001' or 'a'='a"), phone);
            QVERIFY(set.isEof());
            QCOMPARE(RemoveMemberPhoto(store1, MemberPhone(local)), 0);
        }
        QCOMPARE(count(QStringLiteral("회원사진 = ?"), {photo}), 1);
    }
};

QTEST_GUILESS_MAIN(TestMembers)
#include "tst_members.moc"
