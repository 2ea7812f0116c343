// The running copy's lock on Windows: a LockFileEx lock on a file of the
// program folder, refused to any other holder (another handle stands for
// another copy: the lock belongs to the handle), never stale, and not
// defeated by a folder planted under its name.

#include "support/programfolder.h"
#include "util/singleinstance.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

class TestSingleInstanceWin : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aSecondHolderIsRefusedUntilTheFirstEnds() {
        ScratchProgramFolder folder;
        QVERIFY2(folder.isValid(), qPrintable(folder.errorString()));
        const QString lock = SingleInstanceLockPath();
        QCOMPARE(QFileInfo(lock).absolutePath(), QFileInfo(folder.path()).absoluteFilePath());
        {
            SingleInstance first(lock);
            QVERIFY(first.acquire());
            QVERIFY(first.acquire()); // held already
            QVERIFY(!SingleInstance(lock).acquire());
        }
        // Gone with its holder, although the file stays.
        QVERIFY(QFileInfo::exists(lock));
        SingleInstance next(lock);
        QVERIFY(next.acquire());
        QVERIFY(!SingleInstance(lock).acquire());
    }

    void aFolderUnderTheLocksNameDoesNotKeepTheStationFromStarting() {
        ScratchProgramFolder folder;
        QVERIFY2(folder.isValid(), qPrintable(folder.errorString()));
        const QString lock = SingleInstanceLockPath();
        QVERIFY(QDir().mkdir(lock));
        QVERIFY(SingleInstance(lock).acquire());
        QVERIFY(QDir().rmdir(lock));
    }
};

QTEST_GUILESS_MAIN(TestSingleInstanceWin)
#include "tst_singleinstance_win.moc"
