// The station as its operator meets it, measured; prints one table.
//
// Start-up: the installed program itself (a copy in a scratch program
// folder) started again and again against the local SQLite store behind the
// driver name "SQL Server", as the demo runs it, headless. A probe preloaded
// into it (readyprobe.cpp) reports when the registration screen is first
// painted; the time counts from the spawn, the peak memory is the program's
// maximum resident set.
//
// End to end: the registration screen in this process (run again from a
// scratch program folder, bench/support/scratchfolder.h) against PostgreSQL,
// driven through its widgets as an operator drives it, beside the bare ODBC
// calls for the same connection and statements (bench/support) in the same
// run: the lookup when the phone field loses the focus, until the member is
// painted; the confirm press for a new member with a photo, until the
// cleared screen is painted.

#include "app/registrationscreen.h"
#include "bench/support/scratchfolder.h"
#include "components/odbc/odbc.h"
#include "components/widgets/hotspot.h"
#include "components/widgets/mytext.h"
#include "config/settingsfile.h"
#include "db/members.h"
#include "db/storedb.h"
#include "directodbc.h"
#include "support/modalhelper.h"
#include "support/odbc_fixture.h"
#include "timing.h"
#include "util/programfolder.h"
#include "util/programwide.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <memory>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int Starts = 20;
constexpr int Rounds = 100;
constexpr double StartGoalMs = 300;
constexpr double MemoryGoalMb = 100;
constexpr double AddedGoalMs = 10;
const QString Store = QStringLiteral("0001");

QTextStream& out() {
    static QTextStream stream(stdout);
    return stream;
}

[[noreturn]] void fail(const QString& why) {
    out() << "bench_station: " << why << Qt::endl;
    std::exit(1);
}

qint64 monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

StationSettings settingsFor(const odbcfixture::MemberTable& table) {
    return table.stationSettings(Store);
}

// The settings file and the door file that start-up needs.
void prepareProgramFolder(const QString& folder, const StationSettings& s) {
    QString error;
    if (!WriteSettingsFile(QDir(folder).filePath(SettingsFileName),
                           {s.StoreCode, s.ServerIp, s.ServerPort, s.DbKind, s.DbName, s.LoginId,
                            s.LoginPassword, s.PosId, QString()},
                           &error)) {
        fail(QStringLiteral("settings not written: ") + error);
    }
    QFile door(QDir(folder).filePath(QStringLiteral("출입문설정.CFG")));
    if (!door.open(QIODevice::WriteOnly)) {
        fail(QStringLiteral("door file not written"));
    }
}

// A webcam-sized photo of about 100 KB: a figure on a shaded background
// with sensor noise, the quality chosen to land near the size.
QByteArray hundredKilobytePhoto() {
    QImage image(640, 480, QImage::Format_RGB32);
    QRandomGenerator random(20240601);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int noise = int(random.bounded(24));
            line[x] = qRgb(90 + x / 8 + noise, 110 + y / 8 + noise, 140 + noise);
        }
    }
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xf0, 0xd0, 0xb0));
        p.drawEllipse(QPointF(320, 190), 110, 130);
        p.setBrush(QColor(0x30, 0x40, 0x70));
        p.drawEllipse(QPointF(320, 520), 230, 200);
    }
    QByteArray best;
    for (int quality = 95; quality >= 30; quality -= 5) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "JPG", quality);
        best = bytes;
        if (bytes.size() <= 100 * 1024) {
            break;
        }
    }
    return best;
}

// ---- Start-up ---------------------------------------------------------------

struct Start {
    double readyMs; // spawn to the first paint of the registration screen
    double appMs;   // spawn to the application object (loading, linking)
    double artMs;   // application to the screen begun (fonts, its background art)
    double loadMs;  // widgets built and the start-up sequence, to shown
    double paintMs; // shown to painted
    double peakMb;  // maximum resident set of the whole run
};

class StartupRun {
public:
    StartupRun() {
        if (!m_folder.isValid() || !m_table.ready()) {
            fail(QStringLiteral("no SQLite store: ") + m_table.skipReason());
        }
        // A copy, not a link: the program folder is where the file lies.
        m_program = m_folder.filePath(QStringLiteral("member-station"));
        if (!QFile::copy(QStringLiteral(BENCH_STATION_PROGRAM), m_program)) {
            fail(QStringLiteral("program not copied from ") +
                 QStringLiteral(BENCH_STATION_PROGRAM));
        }
        prepareProgramFolder(m_folder.path(), settingsFor(m_table));

        // The environment of the demo, headless, with the probe; the lock
        // file of the one running copy lies in the scratch folder.
        for (char** e = environ; *e != nullptr; ++e) {
            const QByteArray entry(*e);
            if (!entry.startsWith("QT_QPA_PLATFORM=") && !entry.startsWith("ODBCSYSINI=") &&
                !entry.startsWith("LC_ALL=") && !entry.startsWith("TMPDIR=") &&
                !entry.startsWith("LD_PRELOAD=") && !entry.startsWith("STATION_READY_FD=") &&
                !entry.startsWith("XDG_RUNTIME_DIR=")) {
                m_env.push_back(entry);
            }
        }
        m_env.push_back("QT_QPA_PLATFORM=offscreen");
        m_env.push_back("LC_ALL=C.UTF-8");
        m_env.push_back(QByteArray("ODBCSYSINI=") + BENCH_ODBCSYSINI);
        m_env.push_back(QByteArray("TMPDIR=") + QFile::encodeName(m_folder.path()));
        // Qt wants a private runtime folder and complains on every start
        // without one.
        const QString runtime = m_folder.filePath(QStringLiteral("runtime"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_env.push_back(QByteArray("XDG_RUNTIME_DIR=") + QFile::encodeName(runtime));
        m_env.push_back(QByteArray("LD_PRELOAD=") + BENCH_READY_PROBE);
        m_env.push_back("STATION_READY_FD=3");
    }

    Start once() {
        int pipeFds[2];
        if (pipe2(pipeFds, O_CLOEXEC) != 0) {
            fail(QStringLiteral("no pipe"));
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 3);
        std::vector<char*> env;
        for (QByteArray& entry : m_env) {
            env.push_back(entry.data());
        }
        env.push_back(nullptr);
        QByteArray program = QFile::encodeName(m_program);
        char* argv[] = {program.data(), nullptr};

        pid_t pid = 0;
        const qint64 spawned = monotonicNs();
        const int rc = posix_spawn(&pid, program.constData(), &actions, nullptr, argv, env.data());
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[1]);
        if (rc != 0) {
            ::close(pipeFds[0]);
            fail(QStringLiteral("program not started"));
        }

        QByteArray line;
        pollfd waiting{pipeFds[0], POLLIN, 0};
        while (!line.contains('\n') && poll(&waiting, 1, 30000) > 0) {
            char chunk[256];
            const ssize_t n = ::read(pipeFds[0], chunk, sizeof chunk);
            if (n <= 0) {
                break;
            }
            line.append(chunk, n);
        }
        ::close(pipeFds[0]);
        if (!line.startsWith("ready ")) {
            kill(pid, SIGKILL);
        }
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        const QList<QByteArray> parts = line.trimmed().split(' ');
        if (parts.size() != 5) {
            fail(QStringLiteral("the program did not get ready (%1)")
                     .arg(QString::fromLatin1(line.trimmed())));
        }
        const auto at = [&](int i) { return double(parts[i].toLongLong() - spawned) / 1e6; };
        return {at(4),         at(1),         at(2) - at(1),
                at(3) - at(2), at(4) - at(3), double(usage.ru_maxrss) / 1024.0};
    }

private:
    QTemporaryDir m_folder;
    odbcfixture::MemberTable m_table{odbcfixture::Backend::SQLite};
    QString m_program;
    std::vector<QByteArray> m_env;
};

void measureStartup() {
    StartupRun run;
    run.once(); // disk caches and the font cache warm, not counted
    std::vector<double> ready, app, art, load, paint, peak;
    for (int i = 0; i < Starts; ++i) {
        const Start s = run.once();
        ready.push_back(s.readyMs);
        app.push_back(s.appMs);
        art.push_back(s.artMs);
        load.push_back(s.loadMs);
        paint.push_back(s.paintMs);
        peak.push_back(s.peakMb);
    }
    const double readyMedian = bench::median(ready);
    const double peakMax = *std::max_element(peak.begin(), peak.end());
    out() << QStringLiteral("Start-up, SQLite behind \"SQL Server\": %1 process starts of the "
                            "program, median (max)\n")
                 .arg(Starts);
    const auto row = [](const QString& what, double median, double max, const QString& goal) {
        out() << QStringLiteral("  %1 %2 %3%4\n")
                     .arg(what, -40)
                     .arg(median, 9, 'f', 1)
                     .arg(QStringLiteral("(%1)").arg(max, 0, 'f', 1), 9)
                     .arg(goal.isEmpty() ? QString() : QStringLiteral("  ") + goal);
    };
    const auto max = [](const std::vector<double>& v) {
        return *std::max_element(v.begin(), v.end());
    };
    row(QStringLiteral("to the ready screen (ms)"), readyMedian, max(ready),
        QStringLiteral("goal < %1: %2")
            .arg(StartGoalMs)
            .arg(readyMedian < StartGoalMs ? QStringLiteral("met") : QStringLiteral("MISSED")));
    row(QStringLiteral("  spawn to application object (ms)"), bench::median(app), max(app), {});
    row(QStringLiteral("  to the screen begun: fonts, art (ms)"), bench::median(art), max(art), {});
    row(QStringLiteral("  widgets, start-up sequence, shown (ms)"), bench::median(load), max(load),
        {});
    row(QStringLiteral("  shown to painted (ms)"), bench::median(paint), max(paint), {});
    row(QStringLiteral("peak memory, max RSS (MB)"), bench::median(peak), peakMax,
        QStringLiteral("goal < %1: %2")
            .arg(MemoryGoalMb)
            .arg(peakMax < MemoryGoalMb ? QStringLiteral("met") : QStringLiteral("MISSED")));
}

// ---- End to end on PostgreSQL -----------------------------------------------

// The registration screen started in this process, shown and active.
class ScreenRun {
public:
    explicit ScreenRun(const odbcfixture::MemberTable& table) {
        StoreDb.redirect(table.connectionString());
        prepareProgramFolder(ProgramFolderPath(), settingsFor(table));
        m_screen = std::make_unique<FrmPOS_판매>();
        {
            ModalAnswer boxes = ModalAnswer::key(Qt::Key_Escape, ModalAnswer::Every);
            if (!m_screen->Form_Load() || boxes.seen()) {
                fail(QStringLiteral("start-up on PostgreSQL failed: ") + boxes.text());
            }
        }
        m_screen->show();
        m_screen->activateWindow();
        if (!QTest::qWaitForWindowActive(m_screen.get())) {
            fail(QStringLiteral("the screen did not become active"));
        }
        m_phone = child<MyText>("휴대폰번호");
        m_name = child<MyText>("성명");
        m_address = child<MyText>("주소");
        m_photo = child<QLabel>("회원사진");
        m_male = child<HotSpot>("버튼남");
        m_confirm = child<HotSpot>("버튼확인");
        m_screen->installEventFilter(&m_paints);
    }

    ~ScreenRun() {
        m_screen.reset();
        StoreDb.close();
        StoreDb.redirect(QString());
    }

    QString photoFile(const QString& fieldText) const {
        return ProgramFilePath(QStringLiteral("회원사진/010-") + fieldText +
                               QStringLiteral(".JPG"));
    }

    // Focus in the phone field, the digits typed (formatted as they come).
    void typeNumber(const QString& digits) {
        m_phone->setFocus();
        m_phone->clear();
        QTest::keyClicks(m_phone, digits);
        QCoreApplication::processEvents();
    }

    // Tab out of the phone field: the lookup runs; timed until the screen
    // has painted what it found.
    double timedLookup(const QString& expectedName) {
        m_paints.count = 0;
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(m_phone, Qt::Key_Tab);
        QCoreApplication::processEvents();
        const double ms = bench::elapsedMs(timer);
        if (m_name->text() != expectedName || m_paints.count == 0) {
            fail(QStringLiteral("lookup did not show %1 (shown: %2)")
                     .arg(expectedName, m_name->text()));
        }
        return ms;
    }

    // A new member entered as an operator does: number (looked up, not
    // found), name, address, gender, the camera's photo file and picture.
    void enterNewMember(const QString& digits, const QByteArray& photo) {
        typeNumber(digits);
        QTest::keyClick(m_phone, Qt::Key_Tab);
        m_name->setText(QStringLiteral("홍길동"));
        m_address->setText(QStringLiteral("서울시 강남구 역삼동 823"));
        clickOn(m_male);
        QDir().mkpath(QFileInfo(photoFile(m_phone->text())).absolutePath());
        QFile file(photoFile(m_phone->text()));
        if (!file.open(QIODevice::WriteOnly) || file.write(photo) != photo.size()) {
            fail(QStringLiteral("photo file not written"));
        }
        file.close();
        QPixmap picture;
        picture.loadFromData(photo);
        m_photo->setPixmap(picture);
        QCoreApplication::processEvents();
    }

    // The confirm press; timed until the cleared screen has painted.
    double timedConfirm() {
        m_paints.count = 0;
        ModalAnswer boxes = ModalAnswer::key(Qt::Key_Escape, ModalAnswer::Every);
        QElapsedTimer timer;
        timer.start();
        clickOn(m_confirm);
        QCoreApplication::processEvents();
        const double ms = bench::elapsedMs(timer);
        if (boxes.seen() || !m_name->text().isEmpty() || m_paints.count == 0) {
            fail(QStringLiteral("the save did not go through: ") + boxes.text());
        }
        return ms;
    }

private:
    template <typename T> T* child(const char* name) {
        T* w = m_screen->findChild<T*>(QString::fromUtf8(name));
        if (w == nullptr) {
            fail(QStringLiteral("no widget ") + QString::fromUtf8(name));
        }
        return w;
    }

    // Through the window, as the window system delivers a click.
    void clickOn(QWidget* target) {
        const QPoint at = target->mapTo(m_screen.get(), target->rect().center());
        QTest::mouseClick(m_screen->windowHandle(), Qt::LeftButton, {}, at);
    }

    struct PaintCounter : QObject {
        int count = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) {
                ++count;
            }
            return false;
        }
    };

    std::unique_ptr<FrmPOS_판매> m_screen;
    PaintCounter m_paints;
    MyText* m_phone = nullptr;
    MyText* m_name = nullptr;
    MyText* m_address = nullptr;
    QLabel* m_photo = nullptr;
    HotSpot* m_male = nullptr;
    HotSpot* m_confirm = nullptr;
};

QString digitsFor(int side, int round) {
    return QStringLiteral("%1%2").arg(side).arg(round, 7, 10, QChar(u'0'));
}

void measureEndToEnd() {
    odbcfixture::MemberTable table(odbcfixture::Backend::PostgreSQL);
    if (!table.ready()) {
        out() << "End to end on PostgreSQL: skipped, " << table.skipReason() << "\n";
        return;
    }
    const QByteArray photo = hundredKilobytePhoto();
    const QString known = QStringLiteral("010-9999-0000");
    const MemberEntry member{Store, known, QStringLiteral("김하나"), QStringLiteral("여"),
                             QStringLiteral("부산광역시 해운대구 우동 1408")};
    {
        bench::DirectOdbc setup(table.connectionString());
        bench::bareNewSave(setup, member, photo);
    }
    ScreenRun screen(table);
    const QString cs = table.connectionString();
    std::optional<bench::DirectOdbc> bare;

    // The lookup as it follows a save: no connection open before it; it
    // leaves its own open (closed again outside the time, on both sides).
    const bench::Medians lookup = bench::alternate(
        Rounds,
        [&](int) {
            CloseStoreDb();
            screen.typeNumber(QStringLiteral("99990000"));
            return screen.timedLookup(member.name);
        },
        [&](int) {
            bare.reset();
            QElapsedTimer timer;
            timer.start();
            bare.emplace(cs);
            bench::bareLookup(*bare, Store, known);
            return bench::elapsedMs(timer);
        });
    bare.reset();

    // The save as it follows the number's lookup: that lookup's connection
    // is open; the save replaces it, writes, and closes its own.
    const bench::Medians save = bench::alternate(
        Rounds,
        [&](int round) {
            screen.enterNewMember(digitsFor(1, round), photo);
            return screen.timedConfirm();
        },
        [&](int round) {
            bare.emplace(cs);
            bench::bareLookup(*bare, Store, MemberPhone(digitsFor(2, round)));
            QElapsedTimer timer;
            timer.start();
            bare.reset();
            {
                // Closed within the time, as the screen closes its own.
                bench::DirectOdbc db(cs);
                bench::bareNewSave(db,
                                   {Store, MemberPhone(digitsFor(2, round)), member.name,
                                    member.gender, member.address},
                                   photo);
            }
            return bench::elapsedMs(timer);
        });

    out() << QStringLiteral("End to end on PostgreSQL: %1 rounds, median ms; bare = the same "
                            "connection and statements as direct ODBC calls, same run\n")
                 .arg(Rounds);
    out() << QStringLiteral("  %1 %2 %3 %4  %5\n")
                 .arg(QStringLiteral("operation"), -40)
                 .arg(QStringLiteral("screen"), 9)
                 .arg(QStringLiteral("bare"), 9)
                 .arg(QStringLiteral("added"), 9)
                 .arg(QStringLiteral("goal"));
    const auto row = [](const QString& what, const bench::Medians& m) {
        const double added = m.a - m.b;
        out() << QStringLiteral("  %1 %2 %3 %4  < %5: %6\n")
                     .arg(what, -40)
                     .arg(m.a, 9, 'f', 2)
                     .arg(m.b, 9, 'f', 2)
                     .arg(added, 9, 'f', 2)
                     .arg(AddedGoalMs)
                     .arg(added < AddedGoalMs ? QStringLiteral("met") : QStringLiteral("MISSED"));
    };
    row(QStringLiteral("phone focus loss to member shown"), lookup);
    row(QStringLiteral("confirm to cleared screen (new, photo)"), save);
    out() << QStringLiteral("  (photo %1 KB, 640x480 JPEG)\n").arg(photo.size() / 1024);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // QTemporaryDir makes its folder readable by the owner only, as the
    // runtime folder must be.
    QTemporaryDir runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtime.isValid()) {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    }
    QApplication app(argc, argv);
    if (const int rc = bench::runFromScratchProgramFolder(); rc >= 0) {
        return rc;
    }
    const QString why = odbcfixture::prepareProcess();
    if (!why.isEmpty()) {
        fail(why);
    }
    measureStartup();
    out().flush();
    measureEndToEnd();
    out().flush();
    return 0;
}
