// A file another program holds open without sharing for a moment (as an
// antivirus scanner does with a new file): replacing and deleting it wait
// for it instead of failing; held for longer than that, the failure says why.

#include "util/safefile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <thread>

#include <windows.h>

namespace {

// Opens path with no sharing and closes it after `hold` on a thread of its own.
class Holder {
public:
    Holder(const QString& path, std::chrono::milliseconds hold)
        : handle_(
              CreateFileW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()),
                          GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)),
          thread_([this, hold] {
              std::this_thread::sleep_for(hold);
              CloseHandle(handle_);
          }) {}
    ~Holder() { thread_.join(); }
    bool holds() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
    std::thread thread_;
};

} // namespace

class TestSafeFileWin : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void waitsForAFileHeldForAMoment_data() {
        QTest::addColumn<bool>("remove");
        QTest::addColumn<int>("holdMs");
        QTest::addColumn<bool>("succeeds");
        QTest::newRow("replace, held briefly") << false << 100 << true;
        QTest::newRow("delete, held briefly") << true << 100 << true;
        QTest::newRow("replace, held for long") << false << 5000 << false;
    }
    void waitsForAFileHeldForAMoment() {
        QFETCH(bool, remove);
        QFETCH(int, holdMs);
        QFETCH(bool, succeeds);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("held.CFG"));
        QString error;
        QVERIFY2(ReplaceSharedFile(path, "old", GroupAccess::ReadWrite, &error), qPrintable(error));
        bool done = false;
        {
            const Holder holder(path, std::chrono::milliseconds(holdMs));
            QVERIFY(holder.holds());
            done = remove ? RemoveSharedFile(path, &error)
                          : ReplaceSharedFile(path, "new", GroupAccess::ReadWrite, &error);
        }
        QCOMPARE(done, succeeds);
        if (!succeeds) {
            QVERIFY2(error.startsWith(QDir::toNativeSeparators(path)), qPrintable(error));
            QCOMPARE(*ReadSharedFile(path, -1, nullptr), QByteArray("old"));
            // Nothing left behind beside it.
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
        } else if (remove) {
            QVERIFY(!QFileInfo::exists(path));
        } else {
            QCOMPARE(*ReadSharedFile(path, -1, nullptr), QByteArray("new"));
        }
    }
};

QTEST_GUILESS_MAIN(TestSafeFileWin)
#include "tst_safefile_win.moc"
