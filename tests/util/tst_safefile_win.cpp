// The Windows opens of files in shared folders: a reparse point under the
// name or a data folder made a junction is refused, a second name stops an
// in-place rewrite only, and a settings save stopped midway reads as the
// old or the new values (never a mix), or as damaged. A file another
// program holds open for a moment (as an antivirus scanner does with a new
// file) is waited for when replaced or deleted; held longer, the failure
// says why.

#include "config/settingsfile.h"
#include "util/cp949.h"
#include "util/safefile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <windows.h>

#include <chrono>
#include <functional>
#include <thread>
#include <utility>

namespace {

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::wstring Native(const QString& path) {
    return QDir::toNativeSeparators(path).toStdWString();
}

bool IsReparsePoint(const QString& path) {
    const DWORD attributes = GetFileAttributesW(Native(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

SettingsFields Fields(const QString& storeCode) {
    return {storeCode, "127.0.0.1", "1433", "MS-SQL", "QTR", "sa", "pw", "01", "123"};
}

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
    // What lies under the name, and what each routine makes of it: "" for
    // success, else a part of the reason.
    void namesAreCheckedOnTheHandle_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("read");
        QTest::addColumn<QString>("append");
        QTest::addColumn<QString>("update");
        QTest::addColumn<QString>("replace");
        QTest::newRow("plain file") << "file"
                                    << ""
                                    << ""
                                    << ""
                                    << "";
        // A folder cannot even be opened as a file: refused, whatever the
        // reason given; so are links, on a system that makes them.
        // A replace puts a new file under the name, whatever lay there.
        QTest::newRow("link to a file") << "symlink"
                                        << "*"
                                        << "*"
                                        << "*"
                                        << "";
        QTest::newRow("folder") << "folder"
                                << "*"
                                << "*"
                                << "*"
                                << "*";
        QTest::newRow("second name") << "hardlink"
                                     << ""
                                     << ""
                                     << "다른 이름"
                                     << "";
        QTest::newRow("folder made a link") << "linked folder"
                                            << "*"
                                            << "*"
                                            << "*"
                                            << "*";
    }
    void namesAreCheckedOnTheHandle() {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString elsewhere = dir.filePath("elsewhere");
        const QString data = dir.filePath("data");
        QVERIFY(QDir().mkpath(elsewhere) && QDir().mkpath(data));
        const QString target = elsewhere + "/private.txt";
        QVERIFY(WriteAll(target, "private"));
        QString folder = data;
        QString name = data + "/shared.txt";
        if (kind == "file") {
            QVERIFY(WriteAll(name, "shared"));
        } else if (kind == "symlink") {
            if (!CreateSymbolicLinkW(Native(name).c_str(), Native(target).c_str(), 0) ||
                !IsReparsePoint(name)) {
                QSKIP("no symbolic links here (Wine 8 reports one made but makes none)");
            }
        } else if (kind == "folder") {
            QVERIFY(QDir().mkpath(name));
        } else if (kind == "hardlink") {
            if (!CreateHardLinkW(Native(name).c_str(), Native(target).c_str(), nullptr)) {
                QSKIP("no hard links here");
            }
        } else {
            folder = dir.filePath("linked");
            if (!CreateSymbolicLinkW(Native(folder).c_str(), Native(elsewhere).c_str(),
                                     SYMBOLIC_LINK_FLAG_DIRECTORY) ||
                !IsReparsePoint(folder)) {
                QSKIP("no folder links here (Wine 8 reports one made but makes none)");
            }
            name = folder + "/private.txt";
        }
        const auto expect = [](bool ok, const QString& error, const QString& wanted) {
            return wanted.isEmpty() ? ok : !ok && (wanted == "*" || error.contains(wanted));
        };
        QString error;
        const bool opened = ReadSharedFile(name, -1, &error).has_value();
        QFETCH(QString, read);
        QVERIFY2(expect(opened, error, read), qPrintable(error));
        error.clear();
        QFETCH(QString, append);
        QVERIFY2(
            expect(AppendToSharedFile(name, "+", GroupAccess::ReadWrite, &error), error, append),
            qPrintable(error));
        error.clear();
        QFETCH(QString, update);
        QVERIFY2(expect(UpdateSharedFile(name, "new", &error), error, update), qPrintable(error));
        // Whatever was refused left the file elsewhere as it was.
        if (kind != "file" && kind != "hardlink") {
            QCOMPARE(ReadAll(target), QByteArray("private"));
        }
        const QByteArray before = ReadAll(target);
        error.clear();
        QFETCH(QString, replace);
        QVERIFY2(
            expect(ReplaceSharedFile(name, "replaced", GroupAccess::Read, &error), error, replace),
            qPrintable(error));
        QCOMPARE(ReadAll(target), before);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).filter(".shared").size(), 0);
        if (replace.isEmpty()) {
            QCOMPARE(ReadAll(name), QByteArray("replaced"));
        }
    }

    // A save stopped at each step of its journal reads as the old or the
    // new values, or as damaged while it cannot be finished; never a mix.
    // Another handle that shares no write stands for a stop after the
    // journal was complete.
    void aStoppedSettingsSaveNeverReadsAsOtherValues_data() {
        QTest::addColumn<QString>("stop");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("storeCode");
        QTest::newRow("saved") << "none" << int(SettingsReadResult::Ok) << "0002";
        QTest::newRow("journal torn") << "journal torn" << int(SettingsReadResult::Ok) << "0001";
        QTest::newRow("file torn") << "file torn" << int(SettingsReadResult::Ok) << "0002";
        QTest::newRow("cannot finish")
            << "cannot finish" << int(SettingsReadResult::Unreadable) << "untouched";
    }
    void aStoppedSettingsSaveNeverReadsAsOtherValues() {
        QFETCH(QString, stop);
        QTemporaryDir dir;
        const QString path = SettingsFilePath(dir.path());
        const QString journal = path + ".journal";
        QString error;
        QVERIFY2(WriteSettingsFile(path, Fields("0001"), &error), qPrintable(error));
        const QByteArray old = ReadAll(path);
        HANDLE blocker = INVALID_HANDLE_VALUE;
        const auto unblock = [&] {
            if (blocker != INVALID_HANDLE_VALUE) {
                CloseHandle(std::exchange(blocker, INVALID_HANDLE_VALUE));
            }
        };
        struct Unblock {
            std::function<void()> run;
            ~Unblock() { run(); }
        } atEnd{unblock};
        if (stop == "none") {
            QVERIFY2(WriteSettingsFile(path, Fields("0002"), &error), qPrintable(error));
        } else if (stop == "journal torn") {
            QVERIFY(WriteAll(journal, old.left(old.size() / 2)));
        } else {
            blocker = CreateFileW(Native(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
            QVERIFY(blocker != INVALID_HANDLE_VALUE);
            QVERIFY(!WriteSettingsFile(path, Fields("0002"), &error));
            QVERIFY(!ReadAll(journal).isEmpty());
            if (stop == "file torn") {
                unblock();
                // The new values' first line over the old file's rest.
                QVERIFY(WriteAll(path, cp949::encode("매장코드 = 0002\r\n") +
                                           old.mid(old.indexOf("\r\n") + 2)));
            }
        }
        StationSettings read;
        read.StoreCode = "untouched";
        QFETCH(int, result);
        QCOMPARE(int(ReadSettingsFile(path, read, &error)), result);
        QFETCH(QString, storeCode);
        QCOMPARE(read.StoreCode, storeCode);
        if (stop == "cannot finish") {
            unblock();
            QCOMPARE(ReadSettingsFile(path, read, &error), SettingsReadResult::Ok);
            QCOMPARE(read.StoreCode, "0002");
        }
        QCOMPARE(ReadAll(journal), QByteArray());
    }

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
