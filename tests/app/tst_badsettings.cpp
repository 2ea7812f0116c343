// Settings that are not what the settings screen writes: files that cannot
// be settings at all, bytes that are not CP949, and what an installer may
// type or paste into the settings screen. Start-up runs through the driver
// name "SQL Server" with SQLite behind it, as in the demo.

#include "support/entrydriver.h"
#include "support/stationfixture.h"

#include "config/settingsscreen.h"
#include "util/credential.h"

#include <QClipboard>
#include <QPushButton>
#include <QRandomGenerator>

using namespace stationtest;

namespace {

// The eight lines start-up reads, as the settings screen writes them.
QByteArray settingsText(const StationSettings& s, const QByteArray& lineEnd) {
    const QStringList lines = {
        QStringLiteral("매장코드 = ") + s.StoreCode,
        QStringLiteral("점서버_IP = ") + s.ServerIp,
        QStringLiteral("점서버_포트 = ") + s.ServerPort,
        QStringLiteral("점서버_DB종류 = ") + s.DbKind,
        QStringLiteral("점서버_DB명 = ") + s.DbName,
        QStringLiteral("점서버_LOGIN_ID = ") + EnCoding(s.LoginId, CredentialKey),
        QStringLiteral("점서버_LOGIN_PW = ") + EnCoding(s.LoginPassword, CredentialKey),
        QStringLiteral("POSID  = ") + s.PosId,
    };
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += cp949::encode(line) + lineEnd;
    }
    return bytes;
}

void paste(MyText* field, const QString& text) {
    QApplication::clipboard()->setText(text);
    field->setFocus();
    QTest::keySequence(field, QKeySequence::Paste);
}

} // namespace

class TestBadSettings : public QObject {
    Q_OBJECT

    std::unique_ptr<Station> m_station;
    Station& station() { return *m_station; }

private Q_SLOTS:
    void initTestCase() {
        if (const QString why = prepareStationProcess(); !why.isEmpty()) {
            QSKIP(qPrintable(why));
        }
    }

    void init() {
        m_station = std::make_unique<Station>(odbcfixture::Backend::SQLite);
        if (station().unavailable()) {
            QSKIP(qPrintable(station().skipReason()));
        }
        QVERIFY2(station().ready(), qPrintable(station().skipReason()));
        station().prepare();
        StoreDb.redirect(QString());
    }

    void cleanup() {
        m_station.reset();
        QCOMPARE(ModalAnswer::leftoverWindows(), QStringList());
    }

    // Files that hold no settings: the operator sees "환경설정 파일이 없습니다"
    // and the program ends before any server is contacted. The file is left
    // exactly as it was, for whoever looks into it, and the error log says
    // what is wrong with it (the message alone reads as if it were missing).
    void unusableFilesEndTheStart_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("binary garbage") << QStringLiteral("garbage") << QString();
        // No editor writes a NUL, and the value would not reach the driver
        // whole.
        QTest::newRow("a NUL byte in the server line")
            << QStringLiteral("nul") << QStringLiteral("2 번째 줄에 NUL 문자가 있습니다");
        QTest::newRow("one 10 MB line")
            << QStringLiteral("long") << QStringLiteral("1 번째 줄이 4096 바이트보다 깁니다");
        QTest::newRow("bare LF line ends")
            << QStringLiteral("lf") << QStringLiteral("8 줄이 있어야 하는데 1 줄뿐입니다");
        // An empty file brings up the settings screen (tst_startup).
    }
    void unusableFilesEndTheStart() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        const QByteArray good = settingsText(station().settings(), "\r\n");
        QByteArray content;
        if (kind == QLatin1String("garbage")) {
            content.resize(4096);
            QRandomGenerator random(20240131);
            for (char& byte : content) {
                byte = char(random.bounded(256));
            }
        } else if (kind == QLatin1String("nul")) {
            content = good;
            content.insert(content.indexOf("127.0.0.1") + 3, '\0');
        } else if (kind == QLatin1String("long")) {
            content = QByteArray(10 * 1024 * 1024, 'A');
        } else if (kind == QLatin1String("lf")) {
            content = settingsText(station().settings(), "\n");
        }
        const QString file = station().path(SettingsFileName);
        QVERIFY(writeFile(file, content));
        const QString database = station().settings().DbName;
        QStringList boxes;
        QVERIFY(!station().start(&boxes));
        QCOMPARE(boxes, QStringList{box(QStringLiteral("환경설정 파일이 없습니다"))});
        QVERIFY(station().screen()->ended());
        QVERIFY(!MainScreenReady);
        QVERIFY(!StoreDb.isOpen());
        QVERIFY(!StoreDb.connectionString().contains(database));
        QCOMPARE(readFile(file), content);
        const QStringList log = station().errorLog();
        QCOMPARE(log.size(), 1);
        QVERIFY2(log.front().startsWith(QStringLiteral("Form_Load  ") +
                                        QDir::toNativeSeparators(file) + QStringLiteral(": ") +
                                        reason),
                 qPrintable(log.front()));
    }

    // Bytes that are not CP949 spoil no more than the line they stand in:
    // in key texts they do not matter (keys are never compared), and a
    // broken character before a line end does not swallow it, so every
    // value stays on its line. The station starts.
    void invalidCp949BytesStayInTheirLine() {
        const StationSettings wanted = station().settings();
        QByteArray content = settingsText(wanted, "\r\n");
        // A lead byte with no trail, an undefined pair, a lone trail byte:
        // into every key text.
        const QByteArray bad("\x81\xC9\x41\xFF");
        for (qsizetype at = content.indexOf(" ="); at >= 0; at = content.indexOf(" =", at + 6)) {
            content.insert(at, bad);
        }
        // A lead byte directly before the line end of the two lines no
        // operation uses.
        for (const QByteArray& line : {QByteArray("MS-SQL\r\n"), QByteArray("= 01\r\n")}) {
            content.insert(content.indexOf(line) + line.size() - 2, '\x81');
        }
        QVERIFY(!cp949::decode(content).isEmpty());
        bool valid = true;
        cp949::decode(content, &valid);
        QVERIFY(!valid);
        QVERIFY(writeFile(station().path(SettingsFileName), content));

        QStringList boxes;
        QVERIFY(station().start(&boxes));
        QCOMPARE(boxes, QStringList());
        QCOMPARE(StationConfig.StoreCode, wanted.StoreCode);
        QCOMPARE(StationConfig.ServerIp, wanted.ServerIp);
        QCOMPARE(StationConfig.ServerPort, wanted.ServerPort);
        QCOMPARE(StationConfig.DbName, wanted.DbName);
        QCOMPARE(StationConfig.LoginId, wanted.LoginId);
        QCOMPARE(StationConfig.LoginPassword, wanted.LoginPassword);
        QVERIFY(StationConfig.DbKind.startsWith(QStringLiteral("MS-SQL")));
        QVERIFY(StationConfig.PosId.startsWith(QStringLiteral("01")));
        QVERIFY(MainScreenReady);
    }

    // What an installer types or pastes into the settings screen: quotes,
    // semicolons and SQL are written as typed and read back the same;
    // pasted text longer than a field's limit is cut at the limit, and the
    // digit fields keep only digits.
    void settingsScreenTakesQuotesAndCutsPastes() {
        QVERIFY(QFile::remove(station().path(SettingsFileName)));
        const QString sql = QStringLiteral("x'; DROP TABLE 회원관리; --");
        FrmPOS_초기설정 screen;
        screen.show();
        QVERIFY(QTest::qWaitForWindowActive(&screen));
        const auto field = [&screen](const char* name) {
            return screen.findChild<MyText*>(QString::fromUtf8(name));
        };
        const auto clearAndPaste = [&](const char* name, const QString& text) {
            field(name)->clear();
            paste(field(name), text);
        };
        clearAndPaste("매장코드", QStringLiteral("0001999"));
        clearAndPaste("서버IP", QStringLiteral("10.0.0.1\";") + sql);
        clearAndPaste("서버포트", QStringLiteral("1433;DROP"));
        clearAndPaste("DB종류", sql);
        clearAndPaste("DB명", QStringLiteral("QTR';SELECT 1;"));
        clearAndPaste("접속아이디", QStringLiteral("sa;--"));
        clearAndPaste("접속비번", QStringLiteral("p\"w;DROP TABLE x;--"));
        clearAndPaste("POS번호", QStringLiteral("07 OR 1=1"));
        clearAndPaste("사업자번호", QStringLiteral("123-45-67890-12345"));
        QCOMPARE(field("매장코드")->text(), QStringLiteral("0001"));
        QCOMPARE(field("서버포트")->text(), QStringLiteral("1433"));
        QCOMPARE(field("POS번호")->text(), QStringLiteral("0711"));
        QCOMPARE(field("사업자번호")->text(), QStringLiteral("123-45-67890"));
        clearAndPaste("POS번호", QStringLiteral("07;"));

        ModalAnswer messages = ModalAnswer::key(Qt::Key_Escape, ModalAnswer::Every);
        QTest::mouseClick(screen.findChild<QPushButton*>(QStringLiteral("버튼저장")),
                          Qt::LeftButton);
        QCOMPARE(messages.texts(), QStringList{box(QStringLiteral("환경설정 저장 완료"))});

        QCOMPARE(LoadStationConfig(), SettingsReadResult::Ok);
        QCOMPARE(StationConfig.StoreCode, QStringLiteral("0001"));
        QCOMPARE(StationConfig.ServerIp, QStringLiteral("10.0.0.1\";") + sql);
        QCOMPARE(StationConfig.ServerPort, QStringLiteral("1433"));
        QCOMPARE(StationConfig.DbKind, sql);
        QCOMPARE(StationConfig.DbName, QStringLiteral("QTR';SELECT 1;"));
        QCOMPARE(StationConfig.LoginId, QStringLiteral("sa;--"));
        QCOMPARE(StationConfig.LoginPassword, QStringLiteral("p\"w;DROP TABLE x;--"));
        QCOMPARE(StationConfig.PosId, QStringLiteral("07"));
        QVERIFY(!QFileInfo::exists(station().path(QStringLiteral("ERROR_LOG"))));
    }
};

QTEST_MAIN(TestBadSettings)
#include "tst_badsettings.moc"
