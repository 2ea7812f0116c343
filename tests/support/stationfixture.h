#pragma once
// A station for the registration-screen tests: the test program's own
// program folder (emptied for each station, see support/programfolder.h)
// with the settings and door files, the member table on the chosen backend,
// and the registration screen started through its real start-up.
//
// SQLite is reached through the driver name "SQL Server" exactly as the demo
// does (the settings name the database file); PostgreSQL through
// StoreDb.redirect(). Helpers read and write rows on a connection of their
// own, so a test checks the table itself, not the screen's view of it.

#include "app/registrationscreen.h"
#include "components/odbc/odbc.h"
#include "config/settingsfile.h"
#include "db/storedb.h"
#include "support/modalhelper.h"
#include "support/odbc_fixture.h"
#include "support/programfolder.h"
#include "util/cp949.h"
#include "util/programwide.h"

#include <QBuffer>
#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <memory>
#include <optional>

namespace stationtest {

inline const QString kStore = QStringLiteral("0001");

// Once per test program: the ODBC drivers registered for this process and
// the program's version set (the screen shows it). Empty when ready, else
// why the tests cannot run here.
inline QString prepareStationProcess(const QString& version = QStringLiteral("1.0.0")) {
    QCoreApplication::setApplicationVersion(version);
    return odbcfixture::prepareProcess();
}

// A small JPEG as the camera would leave it: a figure on a background of
// the given colour (tests tell photos apart by colour and size).
inline QByteArray jpeg(const QColor& colour, QSize size = QSize(120, 160)) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(colour.lighter(170));
        const double w = size.width();
        const double h = size.height();
        p.drawEllipse(QPointF(w / 2, h * 0.38), w * 0.2, h * 0.17);
        p.drawEllipse(QPointF(w / 2, h * 1.02), w * 0.42, h * 0.4);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 90);
    return bytes;
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline SettingsFields fieldsFrom(const StationSettings& s) {
    return {s.StoreCode, s.ServerIp,      s.ServerPort, s.DbKind, s.DbName,
            s.LoginId,   s.LoginPassword, s.PosId,      QString()};
}

// With STATION_SCREENSHOTS naming a folder, saves what the window shows
// there (for the screenshots of the documentation).
inline void screenshot(QWidget* window, const QString& name) {
    const QString folder = qEnvironmentVariable("STATION_SCREENSHOTS");
    if (!folder.isEmpty()) {
        window->grab().save(QDir(folder).filePath(name));
    }
}

struct MemberRow {
    QString name;
    QString address;
    QString gender;
    bool photoNull = true;
    QByteArray photo;
    QString extra; // 가입구분, the store's own column

    bool operator==(const MemberRow&) const = default;
};

class Station {
public:
    // `postgresServer`: see odbcfixture::MemberTable.
    explicit Station(odbcfixture::Backend backend, const QString& postgresServer = {})
        : m_table(backend, postgresServer) {}
    ~Station() { stop(); }

    bool ready() const { return m_table.ready() && m_folder.isValid(); }
    // The backend is not configured for this run (see odbcfixture::MemberTable).
    bool unavailable() const { return m_table.unavailable(); }
    QString skipReason() const {
        return m_folder.isValid() ? m_table.skipReason() : m_folder.errorString();
    }
    odbcfixture::Backend backend() const { return m_table.backend(); }

    // The program folder and the files start-up needs, for store `kStore`.
    void prepare() {
        if (m_table.backend() == odbcfixture::Backend::PostgreSQL) {
            StoreDb.redirect(m_table.connectionString());
        }
        QString error;
        QVERIFY2(WriteSettingsFile(path(SettingsFileName), fieldsFrom(settings()), &error),
                 qPrintable(error));
        QVERIFY(writeFile(path(QStringLiteral("출입문설정.CFG")), QByteArray()));
    }

    // What the settings file says: for SQLite the database file behind the
    // driver name "SQL Server"; PostgreSQL is reached by redirection.
    StationSettings settings() const { return m_table.stationSettings(kStore); }

    // Creates the screen and runs its start-up; every box it shows is
    // closed and counted in `boxes`.
    bool start(QStringList* boxes = nullptr) {
        m_screen = std::make_unique<FrmPOS_판매>();
        ModalAnswer answer = ModalAnswer::key(Qt::Key_Escape, ModalAnswer::Every);
        const bool started = m_screen->Form_Load();
        if (boxes != nullptr) {
            *boxes = answer.texts();
        }
        return started;
    }

    // Start-up that must succeed silently, then the window shown and active.
    void startAndShow() {
        QStringList boxes;
        QVERIFY(start(&boxes));
        QCOMPARE(boxes, QStringList());
        m_screen->show();
        m_screen->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_screen.get()));
        QTRY_COMPARE(QApplication::focusWidget(), widget<QWidget>("휴대폰번호"));
    }

    // After a modal box has gone: the offscreen platform has no window
    // manager to give the activation back to the screen, as a desktop does.
    void reactivate() {
        if (m_screen->isVisible()) {
            m_screen->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(m_screen.get()));
        }
    }

    void stop() {
        m_screen.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        StoreDb.close();
        StoreDb.redirect(QString());
        StationConfig = StationSettings{};
        MainScreenReady = false;
        ChosenCamera.reset();
        SqlText.clear();
    }

    FrmPOS_판매* screen() const { return m_screen.get(); }

    template <typename T> T* widget(const char* name) const {
        T* w = m_screen->findChild<T*>(QString::fromUtf8(name));
        if (w == nullptr) {
            qWarning("no widget %s", name);
        }
        return w;
    }

    QString path(const QString& name) const { return QDir(m_folder.path()).filePath(name); }
    // The camera's file for a phone-field text.
    QString capturedPhoto(const QString& fieldText) const {
        return path(QStringLiteral("회원사진/010-") + fieldText + QStringLiteral(".JPG"));
    }
    // Every file below the program folder whose name ends in .JPG.
    QStringList jpegFiles() const {
        QStringList found;
        QDirIterator it(m_folder.path(), {QStringLiteral("*.JPG")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            found << it.next();
        }
        return found;
    }
    // The lines of today's error log.
    QStringList errorLog() const {
        const QString name = QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) +
                             QStringLiteral("-프로시져오류.LOG");
        const QString text = cp949::decode(readFile(path(QStringLiteral("ERROR_LOG/") + name)));
        return text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }

    // ---- The table, on a connection of the test's own ----

    void execute(const QString& sql, const QVariantList& params = {}) {
        OdbcConnection connection;
        connection.open(m_table.connectionString());
        connection.execute(sql, params);
    }

    void insertMember(const QString& store, const QString& phone, const QString& name,
                      const QString& address, const QString& gender, const QVariant& photo) {
        execute(QStringLiteral("INSERT INTO 회원관리 (매장코드, 회원휴대폰번호, 회원명, 회원주소, "
                               "남여구분, 회원사진) VALUES (?, ?, ?, ?, ?, ?)"),
                {store, phone, name, address, gender, photo});
    }

    std::optional<MemberRow> member(const QString& phone, const QString& store = kStore) {
        OdbcConnection connection;
        connection.open(m_table.connectionString());
        return member(connection, phone, store);
    }

    // Many rows on one connection of the test's own.
    QList<std::optional<MemberRow>> members(const QStringList& phones) {
        OdbcConnection connection;
        connection.open(m_table.connectionString());
        QList<std::optional<MemberRow>> rows;
        for (const QString& phone : phones) {
            rows.append(member(connection, phone, kStore));
        }
        return rows;
    }

    static std::optional<MemberRow> member(OdbcConnection& connection, const QString& phone,
                                           const QString& store) {
        OdbcRecordset set;
        set.open(connection,
                 QStringLiteral("SELECT * FROM 회원관리 WHERE 매장코드 = ? AND 회원휴대폰번호 = ?"),
                 {store, phone});
        if (set.isEof()) {
            return std::nullopt;
        }
        MemberRow row;
        row.name = set.field(QStringLiteral("회원명")).text();
        row.address = set.field(QStringLiteral("회원주소")).text();
        row.gender = set.field(QStringLiteral("남여구분")).text();
        row.photoNull = set.field(QStringLiteral("회원사진")).isNull();
        row.photo = set.field(QStringLiteral("회원사진")).bytes();
        row.extra = set.field(QStringLiteral("가입구분")).text();
        return row;
    }

    int memberCount() {
        OdbcConnection connection;
        connection.open(m_table.connectionString());
        OdbcRecordset set;
        set.open(connection, QStringLiteral("SELECT COUNT(*) AS n FROM 회원관리"));
        return set.field(QStringLiteral("n")).value().toInt();
    }

    // Makes every insert into the member table fail (or lets it go again).
    void refuseInserts(bool refuse) {
        const bool pg = m_table.backend() == odbcfixture::Backend::PostgreSQL;
        if (!refuse) {
            execute(pg ? QStringLiteral("DROP TRIGGER refuse_insert ON 회원관리")
                       : QStringLiteral("DROP TRIGGER refuse_insert"));
            return;
        }
        if (pg) {
            execute(QStringLiteral("CREATE OR REPLACE FUNCTION refuse_insert() RETURNS trigger "
                                   "LANGUAGE plpgsql AS 'BEGIN RAISE EXCEPTION ''refused''; END'"));
            execute(QStringLiteral("CREATE TRIGGER refuse_insert BEFORE INSERT ON 회원관리 "
                                   "FOR EACH ROW EXECUTE FUNCTION refuse_insert()"));
        } else {
            execute(QStringLiteral("CREATE TRIGGER refuse_insert BEFORE INSERT ON 회원관리 "
                                   "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        }
    }

private:
    odbcfixture::MemberTable m_table;
    ScratchProgramFolder m_folder;
    std::unique_ptr<FrmPOS_판매> m_screen;
};

} // namespace stationtest
