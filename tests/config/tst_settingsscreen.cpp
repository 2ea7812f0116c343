// The settings screen, driven through its fields and buttons: its checks,
// the refusal of logins that would not read back, and the file it writes.

#include "components/widgets/mylabel.h"
#include "components/widgets/mytext.h"
#include "config/settingsfile.h"
#include "config/settingsscreen.h"
#include "support/composing.h"
#include "support/modalhelper.h"
#include "support/programfolder.h"
#include "util/cp949.h"
#include "util/programwide.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include <memory>

namespace {

QString box(const QString& text) {
    return QStringLiteral("\r\n") + text;
}

} // namespace

class TestSettingsScreen : public QObject {
    Q_OBJECT

    std::unique_ptr<ScratchProgramFolder> m_folder;
    std::unique_ptr<FrmPOS_초기설정> m_screen;

    MyText* field(const char* name) {
        return m_screen->findChild<MyText*>(QString::fromUtf8(name));
    }
    void type(const char* name, const QString& text) {
        MyText* f = field(name);
        f->clear();
        QTest::keyClicks(f, text);
    }
    QString settingsPath() const { return QDir(m_folder->path()).filePath(SettingsFileName); }

    // Presses 저장 and returns the messages it showed.
    QStringList save() {
        ModalAnswer messages = ModalAnswer::key(Qt::Key_Escape, ModalAnswer::Every);
        QTest::mouseClick(m_screen->findChild<QPushButton*>(QStringLiteral("버튼저장")),
                          Qt::LeftButton);
        return messages.texts();
    }

    // Everything the checks ask for, typed as an installer would.
    void fillRequired() {
        type("접속아이디", QStringLiteral("sa"));
        type("접속비번", QStringLiteral("pa ss,1"));
        type("POS번호", QStringLiteral("07"));
    }

private Q_SLOTS:
    void init() {
        m_folder = std::make_unique<ScratchProgramFolder>();
        QVERIFY2(m_folder->isValid(), qPrintable(m_folder->errorString()));
        m_screen = std::make_unique<FrmPOS_초기설정>();
        m_screen->show();
        QVERIFY(QTest::qWaitForWindowActive(m_screen.get()));
    }

    void cleanup() {
        m_screen.reset();
        m_folder.reset();
        QCOMPARE(ModalAnswer::leftoverWindows(), QStringList());
    }

    void designTextsAndTabOrder() {
        QCOMPARE(m_screen->windowTitle(), QStringLiteral("환경설정"));
        QCOMPARE(m_screen->size(), QSize(454, 384));
        const QList<MyLabel*> labels = m_screen->findChildren<MyLabel*>(QStringLiteral("타이틀"));
        QCOMPARE(labels.size(), 9);
        const char* order[] = {"매장코드",   "서버IP",   "서버포트", "DB종류",    "DB명",
                               "접속아이디", "접속비번", "POS번호",  "사업자번호"};
        const QStringList texts{QStringLiteral("0001"),
                                field("서버IP")->text(),
                                QStringLiteral("1433"),
                                QStringLiteral("MS-SQL"),
                                QStringLiteral("QTR"),
                                QString(),
                                QString(),
                                QString(),
                                QString()};
        QVERIFY(field("서버IP")->text().startsWith(QStringLiteral("192.168.")));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(field("매장코드")));
        for (int i = 0; i < 9; ++i) {
            MyText* f = field(order[i]);
            QCOMPARE(f->text(), texts[i]);
            // Each label stands at the height of its field.
            QCOMPARE(labels[i]->geometry().top(), f->geometry().top());
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f));
            QTest::keyClick(f, Qt::Key_Tab);
        }
        QCOMPARE(labels[7]->caption(), QStringLiteral("POS 번호"));
        QCOMPARE(m_screen->findChild<QPushButton*>(QStringLiteral("버튼저장"))->text(),
                 QStringLiteral("저 장 "));
    }

    void checksComeInOrder() {
        QCOMPARE(save(), QStringList{box(QStringLiteral("입력 항목을 모두 입력 해야 됩니다"))});
        // The emptiness check comes first even when the store code is short.
        type("매장코드", QStringLiteral("123"));
        type("접속아이디", QStringLiteral("sa"));
        QCOMPARE(save(), QStringList{box(QStringLiteral("입력 항목을 모두 입력 해야 됩니다"))});
        fillRequired();
        QCOMPARE(save(),
                 QStringList{box(QStringLiteral("매장코드는 4 자리 숫자로 입력 해야 됩니다"))});
        type("매장코드", QStringLiteral("0002"));
        type("POS번호", QStringLiteral("7"));
        QCOMPARE(save(),
                 QStringList{box(QStringLiteral("POS번호는 2 자리 숫자로 입력 해야 됩니다"))});
        QVERIFY(!QFileInfo::exists(settingsPath()));
        QVERIFY(m_screen->isVisible());
        // The digit fields take digits only.
        type("POS번호", QStringLiteral("x 7"));
        QCOMPARE(field("POS번호")->text(), QStringLiteral("7"));
    }

    void loginsThatWouldNotReadBackAreRefused_data() {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");
        const QString idEnds =
            QStringLiteral("서버 접속 아이디의 처음과 끝에는 ',' 를 쓸 수 없습니다");
        const QString pwEnds =
            QStringLiteral("서버 접속 비번의 처음과 끝에는 ',' 를 쓸 수 없습니다");
        QTest::newRow("id begins with ,")
            << QStringLiteral(",sa") << QStringLiteral("pw") << idEnds;
        QTest::newRow("id ends with , before spaces")
            << QStringLiteral("sa,  ") << QStringLiteral("pw") << idEnds;
        QTest::newRow("password ends with ,")
            << QStringLiteral("sa") << QStringLiteral("pw,") << pwEnds;
        QTest::newRow("id outside the code page")
            << QStringLiteral("sa") + QString::fromUtf8("\xF0\x9F\x98\x80") << QStringLiteral("pw")
            << QStringLiteral("서버 접속 아이디에 저장할 수 없는 문자가 있습니다");
        QTest::newRow("password with a control character")
            << QStringLiteral("sa") << QStringLiteral("p\tw")
            << QStringLiteral("서버 접속 비번에 저장할 수 없는 문자가 있습니다");
        // FreeTDS ends a braced value at "}"; the driver manager reads
        // U+AC7D as one.
        QTest::newRow("id with }")
            << QStringLiteral("s}a") << QStringLiteral("pw")
            << QStringLiteral(
                   "서버 접속 아이디에 서버 접속에 쓸 수 없는 문자(U+007D '}')가 있습니다");
        QTest::newRow("password the driver could not take whole")
            << QStringLiteral("sa") << QStringLiteral("p걽;w")
            << QStringLiteral(
                   "서버 접속 비번에 서버 접속에 쓸 수 없는 문자(U+AC7D '걽')가 있습니다");
    }

    void loginsThatWouldNotReadBackAreRefused() {
        QFETCH(QString, id);
        QFETCH(QString, password);
        QFETCH(QString, message);
        fillRequired();
        field("접속아이디")->setText(id);
        field("접속비번")->setText(password);
        QCOMPARE(save(), QStringList{box(message)});
        QVERIFY(!QFileInfo::exists(settingsPath()));
        QVERIFY(m_screen->isVisible());
    }

    void savedSettingsReadBackAsTyped() {
        fillRequired();
        type("서버IP", QStringLiteral("10.0.0.5"));
        // Spaces only pass the emptiness check and are written empty.
        type("DB종류", QStringLiteral("   "));
        field("DB명")->setText(QStringLiteral(" 매장DB "));
        QCOMPARE(save(), QStringList{box(QStringLiteral("환경설정 저장 완료"))});
        QVERIFY(!m_screen->isVisible());
        QCOMPARE(m_screen->result(), int(QDialog::Accepted));

        StationSettings read;
        QCOMPARE(ReadSettingsFile(settingsPath(), read), SettingsReadResult::Ok);
        QCOMPARE(read.StoreCode, QStringLiteral("0001"));
        QCOMPARE(read.ServerIp, QStringLiteral("10.0.0.5"));
        QCOMPARE(read.ServerPort, QStringLiteral("1433"));
        QCOMPARE(read.DbKind, QString());
        QCOMPARE(read.DbName, QStringLiteral("매장DB"));
        QCOMPARE(read.LoginId, QStringLiteral("sa"));
        QCOMPARE(read.LoginPassword, QStringLiteral("pa ss,1"));
        QCOMPARE(read.PosId, QStringLiteral("07"));
        // Nine lines, the business number empty, the login not in clear.
        QFile file(settingsPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = cp949::decode(file.readAll());
        QVERIFY(text.endsWith(QStringLiteral("\r\n사업자번호  = \r\n")));
        QCOMPARE(text.count(QStringLiteral("\r\n")), 9);
        QVERIFY(!text.contains(QStringLiteral("pa ss")));
    }

    void leavingWritesNothing() {
        fillRequired();
        QTest::mouseClick(m_screen->findChild<QPushButton*>(QStringLiteral("버튼나가기")),
                          Qt::LeftButton);
        QVERIFY(!m_screen->isVisible());
        QVERIFY(!QFileInfo::exists(settingsPath()));
    }

    // One Escape too many after a message box must not throw the entries
    // away; the window's close button leaves as 나가기 does.
    void escapeStaysAndCloseLeaves() {
        fillRequired();
        QTest::keyClick(field("POS번호"), Qt::Key_Escape);
        QTest::keyClick(m_screen.get(), Qt::Key_Escape);
        QTest::keyClick(field("매장코드"), Qt::Key_Escape, Qt::ShiftModifier);
        QVERIFY(m_screen->isVisible());
        QCOMPARE(field("POS번호")->text(), QStringLiteral("07"));
        QCOMPARE(field("접속아이디")->text(), QStringLiteral("sa"));

        QVERIFY(m_screen->windowHandle()->close());
        QVERIFY(!m_screen->isVisible());
        QCOMPARE(m_screen->result(), int(QDialog::Rejected));
        QVERIFY(!QFileInfo::exists(settingsPath()));
    }

    // As start-up runs it: Escape does not end the modal loop, a save does.
    void escapeDoesNotEndTheModalScreen() {
        m_screen->hide();
        ModalAnswer boxes =
            ModalAnswer::key(Qt::Key_Escape, ModalAnswer::Every, QStringLiteral("Frm_메세지"));
        bool stayed = false;
        ModalAnswer installer(
            [&](QWidget* w) {
                QTest::keyClick(w->focusWidget(), Qt::Key_Escape);
                QTest::keyClick(w, Qt::Key_Escape);
                stayed = w->isVisible();
                fillRequired();
                QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("버튼저장")),
                                  Qt::LeftButton);
            },
            ModalAnswer::Once, QStringLiteral("FrmPOS_초기설정"));
        QCOMPARE(m_screen->exec(), int(QDialog::Accepted));
        QVERIFY(installer.seen());
        QVERIFY(stayed);
        QCOMPARE(boxes.texts(), QStringList{box(QStringLiteral("환경설정 저장 완료"))});
        QVERIFY(QFileInfo::exists(settingsPath()));
    }

    void aWriteErrorIsLoggedAndShown() {
        // A folder where the file should go: the file cannot be written.
        QVERIFY(QDir().mkdir(settingsPath()));
        fillRequired();
        const QStringList boxes = save();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes.first().startsWith(box(QStringLiteral("저장_PROC\r\n\r\n"))),
                 qPrintable(boxes.first()));
        QVERIFY(m_screen->isVisible());
        QFile log(QDir(m_folder->path())
                      .filePath(QStringLiteral("ERROR_LOG/") +
                                QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) +
                                QStringLiteral("-프로시져오류.LOG")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(cp949::decode(log.readAll()).startsWith(QStringLiteral("저장_PROC  ")));
    }

    // A database name whose last syllable is still composing is saved whole,
    // once, whatever the installer does next.
    void composingSyllableIsSavedOnce_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("repeated");
        for (const char* action : {"Tab", "Enter", "Escape", "click a field", "저장"}) {
            for (const bool repeated : {false, true}) {
                QTest::addRow("%s%s", action, repeated ? ", sent again" : "")
                    << QString::fromUtf8(action) << repeated;
            }
        }
    }
    void composingSyllableIsSavedOnce() {
        QFETCH(QString, action);
        QFETCH(bool, repeated);
        fillRequired();
        MyText* const name = field("DB명");
        name->clear();
        composing::type(name, QStringLiteral("매장디"), QStringLiteral("비"));
        QStringList boxes;
        if (action == QStringLiteral("저장")) {
            boxes = save();
        } else if (action == QStringLiteral("click a field")) {
            QWidget* other = field("서버IP");
            QTest::mouseClick(m_screen->windowHandle(), Qt::LeftButton, {},
                              other->mapTo(m_screen.get(), other->rect().center()));
            QCOMPARE(QApplication::focusWidget(), other);
        } else {
            QTest::keyClick(name, action == QStringLiteral("Tab")     ? Qt::Key_Tab
                                  : action == QStringLiteral("Enter") ? Qt::Key_Return
                                                                      : Qt::Key_Escape);
        }
        if (repeated) {
            composing::repeat(QStringLiteral("비"));
        }
        if (action != QStringLiteral("저장")) {
            QCOMPARE(name->text() + composing::shown(name), QStringLiteral("매장디비"));
            boxes = save();
        }
        QCOMPARE(boxes, QStringList{box(QStringLiteral("환경설정 저장 완료"))});
        StationSettings read;
        QCOMPARE(ReadSettingsFile(settingsPath(), read), SettingsReadResult::Ok);
        QCOMPARE(read.DbName, QStringLiteral("매장디비"));
        QCOMPARE(read.ServerIp, QStringLiteral("192.168.0.100"));
        QCOMPARE(read.LoginId, QStringLiteral("sa"));
    }
};

QTEST_MAIN(TestSettingsScreen)
#include "tst_settingsscreen.moc"
