// Copying photos between files and the photo column of a real row (SQLite).

#include "components/odbc/odbc.h"
#include "photo/imagefield.h"
#include "support/odbc_fixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

bool writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestImageField : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        const QString why = odbcfixture::prepareProcess();
        QVERIFY2(why.isEmpty(), qPrintable(why));
    }

    void photoTravelsWholeBetweenFilesAndTheRow() {
        odbcfixture::MemberTable table(odbcfixture::Backend::SQLite);
        if (table.unavailable()) {
            QSKIP(qPrintable(table.skipReason()));
        }
        QVERIFY2(table.ready(), qPrintable(table.skipReason()));
        OdbcConnection connection;
        connection.open(table.connectionString());
        QTemporaryDir dir;
        const QString camera = dir.filePath(QStringLiteral("010-1234-5678.JPG"));
        const QString shown = dir.filePath(QStringLiteral("1234-5678.JPG"));
        QByteArray jpeg(300 * 1024, 'x');
        jpeg[1] = 0;
        jpeg[jpeg.size() - 1] = '\xD9';
        QVERIFY(writeFile(camera, jpeg));

        OdbcRecordset set;
        const QString sql = QStringLiteral("SELECT * FROM 회원관리 WHERE 매장코드 = ?");
        set.open(connection, sql, {QStringLiteral("0001")}, OdbcRecordset::Mode::Updatable,
                 {QStringLiteral("매장코드"), QStringLiteral("회원휴대폰번호")});
        set.addNew();
        set.field(QStringLiteral("매장코드")).setText(QStringLiteral("0001"));
        set.field(QStringLiteral("회원휴대폰번호")).setText(QStringLiteral("010-1234-5678"));
        const OdbcField photo = set.field(QStringLiteral("회원사진"));

        // A missing file leaves the field as it was (null here), silently.
        LoadFileIntoField(dir.filePath(QStringLiteral("none.JPG")), photo);
        QVERIFY(photo.isNull());
        // A null value writes nothing, not even an empty file.
        SaveFieldToFile(shown, photo);
        QVERIFY(!QFile::exists(shown));

        LoadFileIntoField(camera, photo);
        set.update();
        set.open(connection, sql, {QStringLiteral("0001")});
        SaveFieldToFile(shown, set.field(QStringLiteral("회원사진")));
        QCOMPARE(readFile(shown), jpeg);

        // A shorter photo replaces a longer file completely.
        QVERIFY(writeFile(shown, QByteArray(400 * 1024, 'o')));
        SaveFieldToFile(shown, set.field(QStringLiteral("회원사진")));
        QCOMPARE(readFile(shown), jpeg);

        // No folder is created: nothing is written where the folder is missing.
        const QString nested = dir.filePath(QStringLiteral("회원사진/1234-5678.JPG"));
        SaveFieldToFile(nested, set.field(QStringLiteral("회원사진")));
        QVERIFY(!QDir(dir.filePath(QStringLiteral("회원사진"))).exists());

        // A null value leaves an existing file as it was.
        set.open(connection, QStringLiteral("SELECT 회원명 AS 회원사진 FROM 회원관리"));
        QVERIFY(set.field(QStringLiteral("회원사진")).isNull());
        SaveFieldToFile(shown, set.field(QStringLiteral("회원사진")));
        QCOMPARE(readFile(shown), jpeg);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestImageField)
#include "tst_imagefield.moc"
