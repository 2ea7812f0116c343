// What the station's files allow other Unix accounts, through the programs
// themselves run under throw-away accounts (stc-op1 and stc-op2 in the group
// stc-ops, and nobody outside it) from a scratch program folder laid out as
// an installed one: the group's, sticky, setgid.
//  - the settings one operator saves are read by another, by no other account;
//  - a settings file start-up cannot read leaves the reason in the error
//    log, which every operator appends to;
//  - a running copy keeps every other operator's copy out, a killed one
//    nobody, and no other account can keep the station from starting;
//  - plugins put beside the programs are never looked at;
//  - what one operator plants under a file's name (a link, a pipe, a
//    device, a huge file) never makes another's station block, write
//    through it, re-mode it or read it;
//  - every operator's camera choice holds for the next start.

#include "util/cp949.h"

#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QLibraryInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <memory>

namespace {

const QString kGroup = QStringLiteral("stc-ops");
const QString kOperator1 = QStringLiteral("stc-op1");
const QString kOperator2 = QStringLiteral("stc-op2");
const QString kOutsider = QStringLiteral("nobody");
constexpr int kDeadlineMs = 30000;
// A step that waited on a pipe would wait for ever.
constexpr int kPlantedDeadlineMs = 10000;

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs a command to its end; its exit code (-1 when it did not run).
int runTool(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(kDeadlineMs) || process.exitStatus() != QProcess::NormalExit) {
        return -1;
    }
    return process.exitCode();
}

void removeAccounts() {
    for (const QString& account : {kOperator1, kOperator2}) {
        if (getpwnam(account.toUtf8().constData()) != nullptr) {
            runTool(QStringLiteral("userdel"), {account});
        }
    }
    if (getgrnam(kGroup.toUtf8().constData()) != nullptr) {
        runTool(QStringLiteral("groupdel"), {kGroup});
    }
}

bool createAccounts() {
    removeAccounts();
    if (runTool(QStringLiteral("groupadd"), {kGroup}) != 0) {
        return false;
    }
    for (const QString& account : {kOperator1, kOperator2}) {
        if (runTool(QStringLiteral("useradd"), {QStringLiteral("-M"), QStringLiteral("-s"),
                                                QStringLiteral("/usr/sbin/nologin"),
                                                QStringLiteral("-G"), kGroup, account}) != 0) {
            return false;
        }
    }
    return true;
}

uid_t uidOf(const QString& account) {
    const passwd* entry = getpwnam(account.toUtf8().constData());
    return entry != nullptr ? entry->pw_uid : uid_t(-1);
}

gid_t groupId() {
    const group* entry = getgrnam(kGroup.toUtf8().constData());
    return entry != nullptr ? entry->gr_gid : gid_t(-1);
}

struct stat statOf(const QString& path) {
    struct stat info {};
    stat(QFile::encodeName(path).constData(), &info);
    return info;
}

// A process of another account: setpriv executes the program itself, so
// killing the process kills the program. QProcess kills it when it goes.
std::unique_ptr<QProcess> startAs(const QString& account, const QString& program,
                                  const QStringList& args = {},
                                  const QProcessEnvironment& extra = {}) {
    const passwd* entry = getpwnam(account.toUtf8().constData());
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), QStringLiteral("/nonexistent"));
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    env.insert(extra);
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(QProcess::MergedChannels);
    if (entry == nullptr) {
        return process;
    }
    process->start(QStringLiteral("setpriv"),
                   QStringList{QStringLiteral("--reuid=%1").arg(entry->pw_uid),
                               QStringLiteral("--regid=%1").arg(entry->pw_gid),
                               QStringLiteral("--init-groups"), QStringLiteral("--"), program} +
                       args);
    return process;
}

struct Outcome {
    int code = -1;
    QString out;
};

// A step that runs to its end, with nothing on its standard input.
Outcome runAs(const QString& account, const QString& program, const QStringList& args) {
    auto process = startAs(account, program, args);
    process->closeWriteChannel();
    Outcome outcome;
    if (process->waitForFinished(kDeadlineMs) && process->exitStatus() == QProcess::NormalExit) {
        outcome.code = process->exitCode();
    }
    outcome.out = QString::fromUtf8(process->readAll()).trimmed();
    return outcome;
}

// Whether some process holds a kernel lock on the file.
bool lockHeld(const QString& path) {
    const struct stat info = statOf(path);
    if (info.st_ino == 0) {
        return false;
    }
    QFile locks(QStringLiteral("/proc/locks"));
    return locks.open(QIODevice::ReadOnly) &&
           locks.readAll().contains(QStringLiteral(":%1 ").arg(info.st_ino).toLatin1());
}

// A program folder as the package lays it out: root's, the operators'
// group, sticky (no one renames what is not theirs), setgid when asked
// (files made inside get the group), with copies of the programs.
class ScratchStation {
public:
    explicit ScratchStation(bool setgid = true) {
        const QByteArray path = QFile::encodeName(m_dir.path());
        if (geteuid() == 0) {
            m_ready = chown(path.constData(), 0, groupId()) == 0 &&
                      chmod(path.constData(), (setgid ? 03775 : 01775)) == 0;
        }
    }
    bool ready() const { return m_ready && m_dir.isValid(); }
    QString path(const QString& name = {}) const {
        return name.isEmpty() ? m_dir.path() : QDir(m_dir.path()).filePath(name);
    }
    // The copy's path.
    QString copy(const QString& program) const {
        const QString target = path(QFileInfo(program).fileName());
        if (!QFile::exists(target)) {
            QFile::copy(program, target);
        }
        return target;
    }
    QString settings() const { return path(QStringLiteral("환경설정.CFG")); }
    // Every line of the error log, whatever the day.
    QString errorLog() const {
        QString text;
        QDirIterator it(path(QStringLiteral("ERROR_LOG")), QDir::Files);
        while (it.hasNext()) {
            QFile file(it.next());
            if (file.open(QIODevice::ReadOnly)) {
                text += cp949::decode(file.readAll());
            }
        }
        return text;
    }

private:
    QTemporaryDir m_dir;
    bool m_ready = true;
};

const QString kProgram = QStringLiteral(STATION_PROGRAM);
const QString kSerialTest = QStringLiteral(STATION_SERIAL_TEST);
const QString kHelper = QStringLiteral(STATION_OPERATOR_HELPER);

// What another account put under a file's name before the station uses it.
enum class Planted { Link, Pipe, Device, Huge };

// Another account's file the plants point at: lines every reader of the
// station would take (a store code, a camera), so that a read through the
// link would show them.
const QByteArray kVictimText = QByteArray("\xC4\xAB\xB8\xDE\xB6\xF3 = 4242\r\n").repeated(8);

} // namespace

class TestPermissions : public QObject {
    Q_OBJECT

    bool m_accounts = false;

    void needAccounts() {
        if (!m_accounts) {
            QSKIP("needs root to make throw-away Unix accounts");
        }
    }

private Q_SLOTS:
    void initTestCase() {
        if (geteuid() == 0) {
            m_accounts = createAccounts();
            QVERIFY2(m_accounts, "could not make the throw-away accounts");
        }
    }

    void cleanupTestCase() {
        if (geteuid() == 0) {
            removeAccounts();
            QVERIFY(getpwnam(kOperator1.toUtf8().constData()) == nullptr);
        }
    }

    void settingsAreTheOperatorGroupsAlone_data() {
        QTest::addColumn<bool>("setgid");
        QTest::newRow("setgid folder") << true;
        // The file gets the folder's group all the same.
        QTest::newRow("folder without setgid") << false;
    }
    void settingsAreTheOperatorGroupsAlone() {
        needAccounts();
        QFETCH(bool, setgid);
        ScratchStation station(setgid);
        QVERIFY(station.ready());
        const QString helper = station.copy(kHelper);

        const Outcome saved = runAs(kOperator1, helper, {QStringLiteral("write"), "0007"});
        QVERIFY2(saved.code == 0, qPrintable(saved.out));
        const struct stat file = statOf(station.settings());
        QCOMPARE(file.st_uid, uidOf(kOperator1));
        QCOMPARE(file.st_gid, groupId());
        QCOMPARE(file.st_mode & 07777, 0640u);

        const Outcome read = runAs(kOperator2, helper, {QStringLiteral("read")});
        QCOMPARE(read.code, 0);
        QCOMPARE(read.out, QStringLiteral("0007"));

        // It holds the store-server login.
        const Outcome outside = runAs(kOutsider, helper, {QStringLiteral("read")});
        QCOMPARE(outside.code, 1);
        QVERIFY2(outside.out.contains(QStringLiteral("Permission denied")),
                 qPrintable(outside.out));

        // Another operator cannot replace it in the sticky folder: the save
        // says so, and the file stays as it was.
        const Outcome replaced = runAs(kOperator2, helper, {QStringLiteral("write"), "0009"});
        QCOMPARE(replaced.code, 1);
        QVERIFY(!replaced.out.isEmpty());
        QCOMPARE(runAs(kOperator2, helper, {QStringLiteral("read")}).out, QStringLiteral("0007"));
        QCOMPARE(QDir(station.path()).entryList({QStringLiteral("*.CFG*")}, QDir::Files),
                 QStringList{QStringLiteral("환경설정.CFG")});
    }

    // The message says the settings file is missing; the error log says
    // why it could not be used, and every operator appends to that log.
    void anUnreadableSettingsFileIsLoggedWithItsReason() {
        needAccounts();
        ScratchStation station;
        QVERIFY(station.ready());
        const QString helper = station.copy(kHelper);
        const QString program = station.copy(kProgram);
        QCOMPARE(runAs(kOperator1, helper, {QStringLiteral("write"), "0007"}).code, 0);
        // As the station's writer used to leave it: its writer's alone.
        QCOMPARE(chmod(QFile::encodeName(station.settings()).constData(), 0600), 0);
        QFile door(station.path(QStringLiteral("출입문설정.CFG")));
        QVERIFY(door.open(QIODevice::WriteOnly));
        door.close();

        auto running = startAs(kOperator2, program);
        QTRY_VERIFY_WITH_TIMEOUT(station.errorLog().contains(QStringLiteral("Form_Load")),
                                 kDeadlineMs);
        running.reset();
        const QString log = station.errorLog();
        QVERIFY2(log.startsWith(QStringLiteral("Form_Load  ") + station.settings() +
                                QStringLiteral(": Permission denied  ")),
                 qPrintable(log));

        QCOMPARE(runAs(kOperator1, helper, {QStringLiteral("log"), QStringLiteral("second")}).code,
                 0);
        QVERIFY2(station.errorLog().contains(QStringLiteral("\r\noperatorhelper  second  ")),
                 qPrintable(station.errorLog()));
    }

    void aRunningCopyKeepsOtherOperatorsOutAndNoOneElse() {
        needAccounts();
        ScratchStation station;
        QVERIFY(station.ready());
        const QString helper = station.copy(kHelper);
        const QString program = station.copy(kProgram);
        const QString lock = station.path(QStringLiteral("member-station.lock"));

        // What used to stop the station: a file where its lock once lay, in
        // the temporary folder every account may write.
        const QString oldLock =
            QDir::temp().filePath(QStringLiteral("member-station-%1.lock").arg(uidOf(kOperator1)));
        // (One left by an earlier account of that number serves as well.)
        const bool planted = !QFileInfo::exists(oldLock);
        const auto removeOldLock = qScopeGuard([&] {
            if (planted) {
                QFile::remove(oldLock);
            }
        });
        if (planted) {
            QCOMPARE(runAs(kOperator2, QStringLiteral("/bin/sh"),
                           {QStringLiteral("-c"), QStringLiteral("echo 1 > '%1'").arg(oldLock)})
                         .code,
                     0);
        }
        // An account outside the group starts first and finds no lock it
        // could take (it may not make files in the folder).
        auto outsider = startAs(kOutsider, helper, {QStringLiteral("lock")});
        QVERIFY(outsider->waitForReadyRead(kDeadlineMs));
        QCOMPARE(outsider->readLine().trimmed(), QByteArray("running"));

        // The first operator's station, waiting in its settings screen.
        auto first = startAs(kOperator1, program);
        QTRY_VERIFY_WITH_TIMEOUT(lockHeld(lock), kDeadlineMs);
        const struct stat file = statOf(lock);
        QCOMPARE(file.st_uid, uidOf(kOperator1));
        QCOMPARE(file.st_gid, groupId());
        QCOMPARE(file.st_mode & 07777, 0640u);

        // The lock file is not this operator's, and it opens it all the same.
        const Outcome second = runAs(kOperator2, helper, {QStringLiteral("lock")});
        QCOMPARE(second.code, 2);
        QCOMPARE(second.out, QStringLiteral("refused"));

        // A copy that was killed holds nothing.
        first->kill();
        QVERIFY(first->waitForFinished(kDeadlineMs));
        QVERIFY(QFileInfo::exists(lock));
        const Outcome after = runAs(kOperator2, helper, {QStringLiteral("lock")});
        QCOMPARE(after.code, 0);
        QCOMPARE(after.out, QStringLiteral("running"));
    }

    void plantedFilesAreNeitherFollowedNorWaitedOn_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("step");
        QTest::addColumn<Planted>("planted");
        QTest::addColumn<bool>("reads");
        const QString log = QStringLiteral("ERROR_LOG/") +
                            QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) +
                            QStringLiteral("-프로시져오류.LOG");
        const QString photo = QStringLiteral("010-1111-2222.JPG");
        const struct {
            const char* name;
            QString file;
            QStringList step;
            bool reads;
            bool huge;
        } uses[] = {
            {"error log", log, {QStringLiteral("log"), QStringLiteral("entry")}, false, false},
            {"photo taken",
             QStringLiteral("회원사진/") + photo,
             {QStringLiteral("photo-write"), photo},
             false,
             false},
            {"photo saved",
             QStringLiteral("회원사진/") + photo,
             {QStringLiteral("photo-read"), photo},
             true,
             true},
            {"settings saved",
             QStringLiteral("환경설정.CFG"),
             {QStringLiteral("write"), QStringLiteral("0007")},
             false,
             false},
            {"settings read",
             QStringLiteral("환경설정.CFG"),
             {QStringLiteral("read")},
             true,
             false},
            {"camera chosen",
             QStringLiteral("카메라설정.CFG"),
             {QStringLiteral("camera-write"), QStringLiteral("cam")},
             false,
             false},
            {"camera read",
             QStringLiteral("카메라설정.CFG"),
             {QStringLiteral("camera-read")},
             true,
             true},
        };
        for (const auto& use : uses) {
            for (const auto& [kind, what] :
                 {std::pair{Planted::Link, "link"}, std::pair{Planted::Pipe, "pipe"},
                  std::pair{Planted::Device, "device"}, std::pair{Planted::Huge, "huge file"}}) {
                if (kind == Planted::Huge && !use.huge) {
                    continue;
                }
                QTest::addRow("%s, %s", use.name, what)
                    << use.file << use.step << kind << use.reads;
            }
        }
    }
    // The plants are the first operator's (the device root's: no operator
    // can make one, but a link to one is no different from any link); the
    // second operator's station meets them.
    void plantedFilesAreNeitherFollowedNorWaitedOn() {
        needAccounts();
        QFETCH(QString, file);
        QFETCH(QStringList, step);
        QFETCH(Planted, planted);
        QFETCH(bool, reads);
        ScratchStation station;
        QVERIFY(station.ready());
        const QString helper = station.copy(kHelper);
        for (const QString& folder : {QStringLiteral("ERROR_LOG"), QStringLiteral("회원사진")}) {
            // As the package makes them: the group's, not sticky.
            QVERIFY(QDir(station.path()).mkdir(folder));
            const QByteArray path = QFile::encodeName(station.path(folder));
            QCOMPARE(chown(path.constData(), 0, groupId()), 0);
            QCOMPARE(chmod(path.constData(), 02770), 0);
        }
        // The second operator's own private file.
        const QString victim = station.path(QStringLiteral("victim"));
        QVERIFY(writeFile(victim, kVictimText));
        const QByteArray victimName = QFile::encodeName(victim);
        QCOMPARE(chown(victimName.constData(), uidOf(kOperator2), groupId()), 0);
        QCOMPARE(chmod(victimName.constData(), 0600), 0);

        const QString target = station.path(file);
        const QByteArray targetName = QFile::encodeName(target);
        switch (planted) {
        case Planted::Link:
            QCOMPARE(runAs(kOperator1, QStringLiteral("ln"), {QStringLiteral("-s"), victim, target})
                         .code,
                     0);
            break;
        case Planted::Pipe:
            QCOMPARE(runAs(kOperator1, QStringLiteral("mkfifo"), {target}).code, 0);
            break;
        case Planted::Device:
            QCOMPARE(mknod(targetName.constData(), S_IFCHR | 0666, makedev(1, 5)), 0);
            break;
        case Planted::Huge:
            QCOMPARE(runAs(kOperator1, QStringLiteral("truncate"),
                           {QStringLiteral("-s"), QStringLiteral("17M"), target})
                         .code,
                     0);
            break;
        }

        auto process = startAs(kOperator2, helper, step);
        process->closeWriteChannel();
        QVERIFY2(process->waitForFinished(kPlantedDeadlineMs), "the station waited on it");
        const QString out = QString::fromUtf8(process->readAll());
        if (reads) {
            QVERIFY2(process->exitCode() != 0, qPrintable(out));
        }
        QVERIFY2(!out.contains(QStringLiteral("4242")), qPrintable(out));
        const struct stat after = statOf(victim);
        QCOMPARE(after.st_mode & 07777, 0600u);
        QCOMPARE(after.st_gid, groupId());
        QCOMPARE(readFile(victim), kVictimText);
    }

    // The camera file as the package leaves it (root's, the group may write
    // it), also with a second name an operator gave it (and the day's log
    // too), and as an operator's station makes it where there is none: each
    // operator's choice is the one the next start finds, whoever starts. A
    // save cut short (a file-size limit kills the writer, as a full disk or
    // a crash would stop it) leaves the last choice, never a piece of the new.
    void everyOperatorsCameraChoiceHolds_data() {
        QTest::addColumn<bool>("packaged");
        QTest::addColumn<bool>("linked");
        QTest::newRow("the package's file") << true << false;
        QTest::newRow("the package's file, hard-linked by an operator") << true << true;
        QTest::newRow("made by the first operator") << false << false;
    }
    void everyOperatorsCameraChoiceHolds() {
        needAccounts();
        QFETCH(bool, packaged);
        QFETCH(bool, linked);
        ScratchStation station;
        QVERIFY(station.ready());
        const QString helper = station.copy(kHelper);
        const QString file = station.path(QStringLiteral("카메라설정.CFG"));
        if (packaged) {
            QVERIFY(writeFile(file, {}));
            QCOMPARE(chown(QFile::encodeName(file).constData(), 0, groupId()), 0);
            QCOMPARE(chmod(QFile::encodeName(file).constData(), 0660), 0);
        }
        if (linked) {
            const QByteArray logs = QFile::encodeName(station.path(QStringLiteral("ERROR_LOG")));
            QVERIFY(QDir(station.path()).mkdir(QStringLiteral("ERROR_LOG")));
            QCOMPARE(chown(logs.constData(), 0, groupId()), 0);
            QCOMPARE(chmod(logs.constData(), 02770), 0);
            QCOMPARE(
                runAs(kOperator1, helper, {QStringLiteral("log"), QStringLiteral("first")}).code,
                0);
            const QString log = station.path(QStringLiteral("ERROR_LOG/"))
                                    .append(QDir(station.path(QStringLiteral("ERROR_LOG")))
                                                .entryList(QDir::Files)
                                                .value(0));
            for (const QString& target : {file, log}) {
                QCOMPARE(runAs(kOperator1, QStringLiteral("ln"),
                               {target, target + QStringLiteral(".second")})
                             .code,
                         0);
            }
            const Outcome second =
                runAs(kOperator2, helper, {QStringLiteral("log"), QStringLiteral("second")});
            QVERIFY2(second.code == 0 && second.out.isEmpty(), qPrintable(second.out));
            QVERIFY(readFile(log).contains("second"));
        }
        const QString cameras[] = {QStringLiteral("/dev/video-one"),
                                   QStringLiteral("/dev/video-two"),
                                   QStringLiteral("/dev/video-3")};
        const QString accounts[] = {kOperator1, kOperator2, kOperator1};
        for (int i = 0; i < 3; ++i) {
            const Outcome chosen =
                runAs(accounts[i], helper, {QStringLiteral("camera-write"), cameras[i]});
            QVERIFY2(chosen.code == 0, qPrintable(chosen.out));
            for (const QString& account : {kOperator1, kOperator2}) {
                QCOMPARE(runAs(account, helper, {QStringLiteral("camera-read")}).out, cameras[i]);
            }
        }
        const Outcome cut = runAs(kOperator2, QStringLiteral("prlimit"),
                                  {QStringLiteral("--fsize=%1").arg(statOf(file).st_size + 3),
                                   helper, QStringLiteral("camera-write"),
                                   QStringLiteral("/dev/a-camera-with-a-longer-name")});
        QVERIFY(cut.code != 0);
        QCOMPARE(runAs(kOperator1, helper, {QStringLiteral("camera-read")}).out, cameras[2]);
        const struct stat info = statOf(file);
        QCOMPARE(info.st_uid, packaged ? 0 : uidOf(kOperator1));
        QCOMPARE(info.st_gid, groupId());
        QCOMPARE(info.st_mode & 07777, 0660u);
    }

    // Qt would search the program's folder for plugins (platforms/ and the
    // like), and read a qt.conf there naming other folders: every operator
    // may write that folder, and root may run the programs.
    void pluginsBesideTheProgramsAreNeverLookedAt_data() {
        QTest::addColumn<QString>("program");
        QTest::newRow("member-station") << kProgram;
        QTest::newRow("serial-test") << kSerialTest;
    }
    void pluginsBesideTheProgramsAreNeverLookedAt() {
        QFETCH(QString, program);
        ScratchStation station;
        QVERIFY(station.ready());
        const QString copy = station.copy(program);
        const QString qtPlugins = QLibraryInfo::path(QLibraryInfo::PluginsPath);
        const QString own = station.path(QStringLiteral("own"));
        for (const QString& folder : {station.path(), own}) {
            QVERIFY(QDir(folder).mkpath(QStringLiteral("platforms")));
            QVERIFY(QDir(folder).mkpath(QStringLiteral("imageformats")));
            QVERIFY(QFile::copy(qtPlugins + QStringLiteral("/platforms/libqoffscreen.so"),
                                folder + QStringLiteral("/platforms/libqoffscreen.so")));
            QVERIFY(QFile::copy(qtPlugins + QStringLiteral("/imageformats/libqjpeg.so"),
                                folder + QStringLiteral("/imageformats/libqjpeg.so")));
        }
        for (const QString& name : {QStringLiteral("qt.conf"), QStringLiteral("qt6.conf")}) {
            QFile conf(station.path(name));
            QVERIFY(conf.open(QIODevice::WriteOnly));
            conf.write("[Paths]\nPrefix=" + QFile::encodeName(own) +
                       "\nPlugins=" + QFile::encodeName(own) + "\n");
        }

        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_DEBUG_PLUGINS"), QStringLiteral("1"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // Not followed either.
        env.insert(QStringLiteral("QT_PLUGIN_PATH"), own);
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(copy, QStringList());
        QString output;
        const QString loaded = QStringLiteral("platforms/libqoffscreen.so\" loaded library");
        QTRY_VERIFY_WITH_TIMEOUT(
            (output += QString::fromLocal8Bit(process.readAll()),
             output.contains(loaded) || process.state() == QProcess::NotRunning),
            kDeadlineMs);
        process.kill();
        process.waitForFinished(kDeadlineMs);
        QVERIFY2(output.contains(qtPlugins + QStringLiteral("/") + loaded), qPrintable(output));
        QVERIFY2(!output.contains(station.path()), qPrintable(output));
    }
};

QTEST_GUILESS_MAIN(TestPermissions)
#include "tst_permissions.moc"
