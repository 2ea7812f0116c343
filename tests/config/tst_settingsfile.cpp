#include "config/settingsfile.h"
#include "support/programfolder.h"
#include "util/cp949.h"
#include "util/credential.h"
#include "util/programwide.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

unsigned ModeOf(const QString& path) {
    struct stat info {};
    return stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// Bytes this process has read through system calls so far.
qint64 BytesReadSoFar() {
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : io.readAll().split('\n')) {
        if (line.startsWith("rchar:")) {
            return line.mid(6).trimmed().toLongLong();
        }
    }
    return -1;
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Eight lines as the settings screen writes them, with the login encoded.
QString StandardText(const QString& lineEnd) {
    const QStringList lines = {
        "매장코드 = 0001",
        "점서버_IP = 192.168.0.10",
        "점서버_포트 = 1433",
        "점서버_DB종류 = MS-SQL",
        "점서버_DB명 = QTR",
        "점서버_LOGIN_ID = " + EnCoding("sa", CredentialKey),
        "점서버_LOGIN_PW = " + EnCoding("pw=1", CredentialKey),
        "POSID  = 01",
    };
    return lines.join(lineEnd) + lineEnd;
}

SettingsFields TypicalFields() {
    SettingsFields f;
    f.StoreCode = "0001";
    f.ServerIp = "192.168.0.10";
    f.ServerPort = "1433";
    f.DbKind = "MS-SQL";
    f.DbName = "QTR";
    f.LoginId = "sa";
    f.LoginPassword = "Pa$$=w0rd&";
    f.PosId = "07";
    return f;
}

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT
    ScratchProgramFolder* dir_ = nullptr;

    QString Path() const { return SettingsFilePath(dir_->path()); }

    StationSettings ReadText(const QString& text, SettingsReadResult expected) {
        [&] { QVERIFY(WriteAll(Path(), cp949::encode(text))); }();
        StationSettings s;
        s.StoreCode = "untouched";
        [&] { QCOMPARE(ReadSettingsFile(Path(), s), expected); }();
        return s;
    }

private Q_SLOTS:
    void init() {
        dir_ = new ScratchProgramFolder;
        QVERIFY2(dir_->isValid(), qPrintable(dir_->errorString()));
    }
    void cleanup() {
        StationConfig = {};
        delete dir_;
        dir_ = nullptr;
    }

    // ---- reading ----

    void readsByPositionWithLoginDecoded_data() {
        QTest::addColumn<QString>("lineEnd");
        QTest::newRow("CR LF") << "\r\n";
        QTest::newRow("CR") << "\r";
    }
    void readsByPositionWithLoginDecoded() {
        QFETCH(QString, lineEnd);
        const StationSettings s = ReadText(StandardText(lineEnd), SettingsReadResult::Ok);
        QCOMPARE(s.StoreCode, "0001");
        QCOMPARE(s.ServerIp, "192.168.0.10");
        QCOMPARE(s.ServerPort, "1433");
        QCOMPARE(s.DbKind, "MS-SQL");
        QCOMPARE(s.DbName, "QTR");
        QCOMPARE(s.LoginId, "sa");
        QCOMPARE(s.LoginPassword, "pw=1");
        QCOMPARE(s.PosId, "01");
    }

    void bareLineFeedsMakeOneLine() {
        ReadText(StandardText("\n"), SettingsReadResult::TooFewLines);
        // Inside a CR-ended line an LF is just a character of the value.
        QString text = StandardText("\r\n");
        text.replace("QTR", "Q\nR");
        QCOMPARE(ReadText(text, SettingsReadResult::Ok).DbName, "Q\nR");
    }

    void valueIsEverythingAfterTheFirstEquals() {
        const StationSettings s = ReadText("Store:0001\r\n"            // no "=": the whole line
                                           "  = 10.0.0.1 = x  \r\n"    // first "=" only
                                           "PORT=1433\r\n"             // any key text, no spaces
                                           "\tkind\t= \tMS-SQL\t \r\n" // only U+0020 is trimmed
                                           "점서버_DB명 =   \r\n"      // empty value
                                           "a= \r\n"                   // empty login
                                           "b=" +
                                               EnCoding("x", CredentialKey) +
                                               "\r\n"
                                               "   \r\n", // blank line eight
                                           SettingsReadResult::Ok);
        QCOMPARE(s.StoreCode, "Store:0001");
        QCOMPARE(s.ServerIp, "10.0.0.1 = x");
        QCOMPARE(s.ServerPort, "1433");
        QCOMPARE(s.DbKind, "\tMS-SQL\t");
        QCOMPARE(s.DbName, "");
        QCOMPARE(s.LoginId, "");
        QCOMPARE(s.LoginPassword, "x");
        QCOMPARE(s.PosId, "");
    }

    void swappedLinesSwapValues() {
        QStringList lines = StandardText("\r\n").split("\r\n");
        lines.swapItemsAt(0, 4);
        const StationSettings s = ReadText(lines.join("\r\n"), SettingsReadResult::Ok);
        QCOMPARE(s.StoreCode, "QTR");
        QCOMPARE(s.DbName, "0001");
    }

    void linesAfterTheEighthAreIgnored() {
        const QString eight = StandardText("\r\n");
        QCOMPARE(
            ReadText(eight + "사업자번호  = 123\r\nrubbish=\r\n", SettingsReadResult::Ok).PosId,
            "01");
        // The eighth line needs no line end.
        QCOMPARE(ReadText(eight.chopped(2), SettingsReadResult::Ok).PosId, "01");
    }

    void fewerThanEightLinesIsItsOwnOutcome() {
        QString seven = StandardText("\r\n");
        seven.truncate(seven.lastIndexOf("POSID"));
        const QByteArray before = cp949::encode(seven);
        QCOMPARE(ReadText(seven, SettingsReadResult::TooFewLines).StoreCode, "untouched");
        QCOMPARE(ReadAll(Path()), before);
        // An empty eighth line after seven line ends is a line.
        QCOMPARE(ReadText(seven + "\r\n", SettingsReadResult::Ok).PosId, "");
    }

    // A NUL in the lines read marks a file that no editor wrote; a value
    // holding one would reach the driver cut short.
    void aNulMakesTheFileUnreadable() {
        QByteArray bytes = cp949::encode(StandardText("\r\n"));
        bytes.insert(bytes.indexOf("192.168") + 3, '\0');
        QVERIFY(WriteAll(Path(), bytes));
        StationSettings s;
        s.StoreCode = "untouched";
        QString error;
        QCOMPARE(ReadSettingsFile(Path(), s, &error), SettingsReadResult::Unreadable);
        QVERIFY(!error.isEmpty());
        QCOMPARE(s.StoreCode, "untouched");
        QCOMPARE(ReadAll(Path()), bytes);
        // After the eighth line it is never read.
        QVERIFY(WriteAll(Path(), cp949::encode(StandardText("\r\n")) + QByteArray("\0\0\r\n", 4)));
        QCOMPARE(ReadSettingsFile(Path(), s), SettingsReadResult::Ok);
    }

    // Start-up reads eight lines and no more, however large the file: a
    // huge file behind them is never read, and a huge first line is refused
    // once it passes the limit rather than read whole.
    void readingStopsAtWhatItNeeds() {
        const QByteArray eight = cp949::encode(StandardText("\r\n"));
        const qint64 huge = qint64(4) << 30; // sparse: written in no time
        QVERIFY(WriteAll(Path(), eight));
        QVERIFY(QFile::resize(Path(), huge));
        StationSettings s;
        QString error;
        const qint64 before = BytesReadSoFar();
        QCOMPARE(ReadSettingsFile(Path(), s, &error), SettingsReadResult::Ok);
        const qint64 read = BytesReadSoFar() - before;
        QCOMPARE(s.PosId, "01");
        QVERIFY2(before < 0 || read < 1024 * 1024, qPrintable(QString::number(read)));

        // One line of zero bytes, all of it.
        QVERIFY(WriteAll(Path(), QByteArray()));
        QVERIFY(QFile::resize(Path(), huge));
        const qint64 before2 = BytesReadSoFar();
        QCOMPARE(ReadSettingsFile(Path(), s, &error), SettingsReadResult::Unreadable);
        QVERIFY(BytesReadSoFar() - before2 < 1024 * 1024);
        QVERIFY2(error.endsWith("1 번째 줄이 4096 바이트보다 깁니다"), qPrintable(error));

        // The limit is the line's bytes without its line end; a line of
        // exactly 4096 bytes is read.
        QString text = StandardText("\r\n");
        text.replace("QTR", QString(4096 - cp949::encode("점서버_DB명 = ").size(), 'Q'));
        QCOMPARE(ReadText(text, SettingsReadResult::Ok).DbName.size(),
                 4096 - cp949::encode("점서버_DB명 = ").size());
        ReadText(text.replace("QQQ", "QQQQ"), SettingsReadResult::Unreadable);
    }

    // Every failure says why, with the file's path: start-up logs it.
    void failuresSayWhy() {
        StationSettings s;
        QString error;
        QVERIFY(WriteAll(Path(), cp949::encode("매장코드 = 0001\r\n")));
        QCOMPARE(ReadSettingsFile(Path(), s, &error), SettingsReadResult::TooFewLines);
        QCOMPARE(error, QDir::toNativeSeparators(Path()) + ": 8 줄이 있어야 하는데 1 줄뿐입니다");
        // A pipe of that name would block a plain open until someone wrote.
        QVERIFY(QFile::remove(Path()));
        QCOMPARE(mkfifo(QFile::encodeName(Path()).constData(), 0600), 0);
        QCOMPARE(ReadSettingsFile(Path(), s, &error), SettingsReadResult::Unreadable);
        QVERIFY2(error.endsWith("보통 파일이 아닙니다"), qPrintable(error));
    }

    // No file, an empty one (the Windows installer's) or a folder.
    void missingFileIsItsOwnOutcome() {
        StationSettings s;
        QCOMPARE(ReadSettingsFile(Path(), s), SettingsReadResult::Missing);
        ReadText("", SettingsReadResult::Missing);
        QVERIFY(QFile::remove(Path()));
        QVERIFY(QDir(dir_->path()).mkdir(SettingsFileName));
        QCOMPARE(ReadSettingsFile(Path(), s), SettingsReadResult::Missing);
    }

    // ---- writing ----

    void writesNineExactLines() {
        SettingsFields f = TypicalFields();
        f.StoreCode = "  0001 ";
        f.DbName = " 회원DB\t ";
        f.LoginId = " sa ";
        f.LoginPassword = "pw";
        f.PosId = " 5";
        f.BusinessNumber = "";
        QString error;
        QVERIFY2(WriteSettingsFile(Path(), f, &error), qPrintable(error));
        const QString expected = "매장코드 = 0001\r\n"
                                 "점서버_IP = 192.168.0.10\r\n"
                                 "점서버_포트 = 1433\r\n"
                                 "점서버_DB종류 = MS-SQL\r\n"
                                 "점서버_DB명 = 회원DB\t\r\n"
                                 "점서버_LOGIN_ID = gU\r\n" // s-12, a-12
                                 "점서버_LOGIN_PW = dk\r\n"
                                 "POSID  = 05\r\n"
                                 "사업자번호  = \r\n";
        QCOMPARE(ReadAll(Path()), cp949::encode(expected));
        QCOMPARE(ModeOf(Path()), 0640u);
    }

    void writtenFileReadsBack() {
        SettingsFields f = TypicalFields();
        f.LoginId = "  sa=admin ";
        f.LoginPassword = QString("~!@#$%^&*()_+{}|:\"<>?`-=[]\\;'./ 0aZ");
        f.PosId = " 5";
        f.DbName = "가나다 QTR";
        f.BusinessNumber = "123-45-67890";
        QString error;
        QVERIFY2(WriteSettingsFile(Path(), f, &error), qPrintable(error));
        StationSettings s;
        QCOMPARE(ReadSettingsFile(Path(), s), SettingsReadResult::Ok);
        QCOMPARE(s.StoreCode, "0001");
        QCOMPARE(s.DbName, "가나다 QTR");
        QCOMPARE(s.LoginId, "sa=admin");
        QCOMPARE(s.LoginPassword, f.LoginPassword);
        QCOMPARE(s.PosId, "05");
        QVERIFY(!QFileInfo::exists(dir_->filePath("ERROR_LOG")));
    }

    void programFolderConveniences() {
        QString error;
        QVERIFY(SaveSettingsFile(TypicalFields(), &error));
        QVERIFY(QFileInfo::exists(dir_->filePath("환경설정.CFG")));
        QCOMPARE(LoadStationConfig(&error), SettingsReadResult::Ok);
        QCOMPARE(StationConfig.LoginPassword, TypicalFields().LoginPassword);
    }

    // The folder's group (the operators of an installed station) may read
    // the file, others may not, whatever the writer's own group and umask.
    void replacingGivesTheFolderGroupReadAccessOnly() {
        QVERIFY(WriteAll(Path(), "old"));
        QVERIFY(QFile::setPermissions(Path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ReadGroup | QFileDevice::ReadOther));
        const QByteArray folder = QFile::encodeName(dir_->path());
        // As root, give the folder a group this account does not run under.
        const gid_t other = 100;
        const bool regrouped = geteuid() == 0 && getegid() != other &&
                               chown(folder.constData(), uid_t(-1), other) == 0;
        const mode_t oldMask = umask(0);
        QString error;
        const bool written = WriteSettingsFile(Path(), TypicalFields(), &error);
        umask(oldMask);
        QVERIFY2(written, qPrintable(error));
        QCOMPARE(ModeOf(Path()), 0640u);
        struct stat file {};
        struct stat dir {};
        QCOMPARE(stat(QFile::encodeName(Path()).constData(), &file), 0);
        QCOMPARE(stat(folder.constData(), &dir), 0);
        QCOMPARE(file.st_gid, dir.st_gid);
        if (regrouped) {
            QCOMPARE(file.st_gid, other);
        }
        QVERIFY(ReadAll(Path()).startsWith(cp949::encode("매장코드 = 0001\r\n")));
    }

    void failedWriteLeavesOldFileByteForByte() {
        const QByteArray old = cp949::encode(StandardText("\r\n")) + "\x01\xFF tail";
        QVERIFY(WriteAll(Path(), old));
        // A file-size limit below the new file's size makes the write itself
        // fail (EFBIG), for any user.
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit tiny = saved;
        tiny.rlim_cur = 20;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &tiny), 0);
        QString error;
        const bool written = WriteSettingsFile(Path(), TypicalFields(), &error);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);

        QVERIFY(!written);
        QVERIFY(!error.isEmpty());
        QCOMPARE(ReadAll(Path()), old);
        // No temporary file is left behind.
        QCOMPARE(dir_->entryList(QDir::Files | QDir::Hidden | QDir::System),
                 QStringList{SettingsFileName});
    }

    void unwritableFolderReportsTheError() {
        QString error;
        QVERIFY(!WriteSettingsFile(dir_->filePath("no/such/folder/환경설정.CFG"), TypicalFields(),
                                   &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFileInfo::exists(dir_->filePath("no")));
    }

    void valuesThatWouldNotReadBackAreRefused_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("logsEnCoding");
        QTest::newRow("CR in a value") << 1 << "10.0.0.1\r5" << false;
        QTest::newRow("emoji in a value") << 4 << QString::fromUtf8("QTR\xF0\x9F\x98\x80") << false;
        QTest::newRow("NUL in a value") << 3 << (QString("MS") + QChar(0) + "SQL") << false;
        QTest::newRow("login that cannot be encoded") << 5 << "sa\tx" << true;
        QTest::newRow("login with a character CP949 lacks")
            << 6 << QString::fromUtf8("p\xC3\xBF") << true;
        QTest::newRow("line longer than start-up reads") << 4 << QString(4096, 'Q') << false;
    }
    void valuesThatWouldNotReadBackAreRefused() {
        QFETCH(int, field);
        QFETCH(QString, value);
        QFETCH(bool, logsEnCoding);
        const QByteArray old = cp949::encode(StandardText("\r\n"));
        QVERIFY(WriteAll(Path(), old));
        SettingsFields f = TypicalFields();
        QString* const targets[] = {&f.StoreCode,     &f.ServerIp, &f.ServerPort,
                                    &f.DbKind,        &f.DbName,   &f.LoginId,
                                    &f.LoginPassword, &f.PosId,    &f.BusinessNumber};
        *targets[field] = value;
        QString error;
        QVERIFY(!WriteSettingsFile(Path(), f, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(ReadAll(Path()), old);
        const QDir logDir(dir_->filePath("ERROR_LOG"));
        QCOMPARE(logDir.exists(), logsEnCoding);
        if (logsEnCoding) {
            const QStringList logs = logDir.entryList(QDir::Files);
            QCOMPARE(logs.size(), 1);
            QVERIFY(ReadAll(logDir.filePath(logs.front())).startsWith("EnCoding  "));
        }
    }

    // ---- helpers ----

    void posNumberFormat_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one digit") << "5"
                                   << "05";
        QTest::newRow("two digits") << "07"
                                    << "07";
        QTest::newRow("zero") << "0"
                              << "00";
        QTest::newRow("leading zeros") << "007"
                                       << "07";
        QTest::newRow("three digits") << "123"
                                      << "123";
        QTest::newRow("negative") << "-5"
                                  << "-05";
        QTest::newRow("plus") << "+5"
                              << "05";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("sign only") << "-"
                                   << "-";
        QTest::newRow("letters") << "ab"
                                 << "ab";
        QTest::newRow("inner space") << "1 2"
                                     << "1 2";
        QTest::newRow("full-width digit") << QString::fromUtf8("５") << QString::fromUtf8("５");
    }
    void posNumberFormat() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(FormatPosNumber(text), expected);
    }

    void loginReadsBackAgreesWithTheFile_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("readsBack");
        QTest::newRow("plain") << "sa" << true;
        QTest::newRow("spaces around are trimmed anyway") << "  sa  " << true;
        QTest::newRow("comma inside") << "s,a" << true;
        QTest::newRow("leading comma") << ",sa" << false;
        QTest::newRow("trailing comma") << "sa," << false;
        QTest::newRow("comma after trimmed space") << "sa, " << false;
        QTest::newRow("ampersand (SUB)") << "a&b" << true;
        QTest::newRow("tab") << "a\tb" << false;
        QTest::newRow("emoji") << QString::fromUtf8("a\xF0\x9F\x98\x80") << false;
        QTest::newRow("empty") << "" << true;
    }
    void loginReadsBackAgreesWithTheFile() {
        QFETCH(QString, typed);
        QFETCH(bool, readsBack);
        QCOMPARE(LoginReadsBack(typed), readsBack);
        // What the file really does, when it can be written at all.
        SettingsFields f = TypicalFields();
        f.LoginId = typed;
        if (WriteSettingsFile(Path(), f, nullptr)) {
            StationSettings s;
            QCOMPARE(ReadSettingsFile(Path(), s), SettingsReadResult::Ok);
            QCOMPARE(s.LoginId == TrimSpaces(typed), readsBack);
        } else {
            QVERIFY(!readsBack);
        }
    }

    void everyPrintableAsciiLoginReadsBackUnlessCommaAtAnEnd() {
        for (char16_t c = 32; c <= 126; ++c) {
            const QString typed = QStringLiteral("x") + QChar(c) + QStringLiteral("y");
            QVERIFY2(LoginReadsBack(typed), qPrintable(typed));
            QCOMPARE(LoginReadsBack(QString(QChar(c))), c != u',');
        }
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
