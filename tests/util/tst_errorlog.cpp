#include "support/programfolder.h"
#include "util/errorlog.h"
#include "util/programfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>

namespace {
QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class TestErrorLog : public QObject {
    Q_OBJECT
    ScratchProgramFolder* dir_ = nullptr;

    QString LogPath(const char* day) const {
        return dir_->filePath(QStringLiteral("ERROR_LOG/%1-프로시져오류.LOG").arg(day));
    }
    static QDateTime At(int y, int mo, int d, int h, int mi, int s) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
    }

private Q_SLOTS:
    void init() {
        dir_ = new ScratchProgramFolder;
        QVERIFY2(dir_->isValid(), qPrintable(dir_->errorString()));
    }
    void cleanup() {
        delete dir_;
        dir_ = nullptr;
    }

    // The log lies beside the executable whatever the working folder is.
    void entriesGoToTheProgramFolderNotTheWorkingFolder() {
        const QString working = QDir::currentPath();
        QVERIFY(QFileInfo(working).canonicalFilePath() !=
                QFileInfo(dir_->path()).canonicalFilePath());
        QCOMPARE(ProgramFolderPath(), dir_->path());
        WriteErrorLog("P", "here", At(2024, 3, 4, 5, 6, 7));
        QCOMPARE(ReadAll(LogPath("20240304")), QByteArray("P  here  2024-03-04  05:06:07\r\n"));
        QVERIFY(!QFileInfo::exists(QDir(working).filePath("ERROR_LOG")));
    }

    void firstEntryCreatesFolderAndFileWithExactBytes() {
        QVERIFY(!QFileInfo::exists(dir_->filePath("ERROR_LOG")));
        WriteErrorLog(QStringLiteral("버튼확인_MouseUp"), QStringLiteral("연결 실패"),
                      At(2024, 1, 31, 14, 5, 9));
        QVERIFY(QFileInfo(dir_->filePath("ERROR_LOG")).isDir());
        // 버튼확인 = B9F6 C6B0 C8AE C0CE, 연결 실패 = BFAC B0E1 20 BDC7 C6D0 in CP949.
        QCOMPARE(ReadAll(LogPath("20240131")),
                 QByteArray("\xB9\xF6\xC6\xB0\xC8\xAE\xC0\xCE_MouseUp  "
                            "\xBF\xAC\xB0\xE1 \xBD\xC7\xC6\xD0  2024-01-31  14:05:09\r\n"));
        QCOMPARE(QDir(dir_->filePath("ERROR_LOG")).entryList(QDir::Files).size(), 1);
    }

    void entriesOfADayShareAFileAndANewDayStartsAnother() {
        WriteErrorLog("A", "first", At(2024, 12, 31, 23, 59, 59));
        WriteErrorLog("B", "second", At(2024, 12, 31, 23, 59, 59));
        WriteErrorLog("C", "third", At(2025, 1, 1, 0, 0, 0));
        QCOMPARE(ReadAll(LogPath("20241231")), QByteArray("A  first  2024-12-31  23:59:59\r\n"
                                                          "B  second  2024-12-31  23:59:59\r\n"));
        QCOMPARE(ReadAll(LogPath("20250101")), QByteArray("C  third  2025-01-01  00:00:00\r\n"));
    }

    void textIsWrittenUnchanged() {
        // An empty description leaves four spaces; line breaks are kept.
        WriteErrorLog("P", "", At(2024, 3, 4, 5, 6, 7));
        WriteErrorLog("P", "line1\r\nline2", At(2024, 3, 4, 5, 6, 7));
        QCOMPARE(ReadAll(LogPath("20240304")),
                 QByteArray("P    2024-03-04  05:06:07\r\n"
                            "P  line1\r\nline2  2024-03-04  05:06:07\r\n"));
    }

    void charactersCp949CannotHoldBecomeQuestionMarks() {
        WriteErrorLog("P", QString::fromUtf8("x\xF0\x9F\x98\x80y\xC3\xBFz"),
                      At(2024, 3, 4, 5, 6, 7));
        QCOMPARE(ReadAll(LogPath("20240304")), QByteArray("P  x?y?z  2024-03-04  05:06:07\r\n"));
    }

    void plainFileNamedErrorLogLosesTheEntry() {
        {
            QFile blocker(dir_->filePath("ERROR_LOG"));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
            blocker.write("keep");
        }
        WriteErrorLog("P", "lost", At(2024, 3, 4, 5, 6, 7));
        QVERIFY(QFileInfo(dir_->filePath("ERROR_LOG")).isFile());
        QCOMPARE(ReadAll(dir_->filePath("ERROR_LOG")), QByteArray("keep"));
    }

    void withoutATimeTheEntryGoesToTodaysFile() {
        const QDate before = QDate::currentDate();
        WriteErrorLog("P", "now");
        const QDate after = QDate::currentDate();
        const auto name = [](QDate d) {
            return d.toString("yyyyMMdd") + QStringLiteral("-프로시져오류.LOG");
        };
        const QStringList files = QDir(dir_->filePath("ERROR_LOG")).entryList(QDir::Files);
        QCOMPARE(files.size(), 1);
        QVERIFY(files.front() == name(before) || files.front() == name(after));
    }
};

QTEST_GUILESS_MAIN(TestErrorLog)
#include "tst_errorlog.moc"
