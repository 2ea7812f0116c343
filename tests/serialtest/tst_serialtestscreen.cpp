#include "components/widgets/mytext.h"
#include "components/widgets/twips.h"
#include "serialtest/commport.h"
#include "serialtest/serialtestscreen.h"
#include "serialtest/textbox.h"
#include "socatpair.h"
#include "support/composing.h"
#include "support/modalhelper.h"
#include "support/programfolder.h"
#include "util/cp949.h"
#include "util/programwide.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <map>
#include <memory>

// Port n is the link "comN" in a scratch folder, joined by socat to the
// link "peerN" that plays the device. The screen's pauses are recorded and
// kept short: they only give data time to arrive, which the tests wait for
// themselves.
class TestSerialTestScreen : public QObject {
    Q_OBJECT
private:
    // The program folder (for the error log), which also holds the links.
    std::unique_ptr<ScratchProgramFolder> dir_;
    QList<int> systemPorts_;
    std::map<int, std::unique_ptr<SocatPair>> pairs_;
    std::map<int, std::unique_ptr<QSerialPort>> peers_;
    QPointer<FrmPOS_씨리얼테스트> screen_;
    QList<int> pauses_;
    // Runs inside the next pause of the screen, once.
    std::function<void()> duringPause_;

    QString link(const QString& name) const { return dir_->filePath(name); }

    QSerialPort& joinPort(int number) {
        auto pair = std::make_unique<SocatPair>();
        const bool started = pair->start(link(QStringLiteral("com%1").arg(number)),
                                         link(QStringLiteral("peer%1").arg(number)));
        if (!started) {
            qFatal("%s", qPrintable(pair->error()));
        }
        auto peer = std::make_unique<QSerialPort>(pair->endB());
        if (!peer->open(QIODevice::ReadWrite)) {
            qFatal("peer end: %s", qPrintable(peer->errorString()));
        }
        pairs_[number] = std::move(pair);
        return *(peers_[number] = std::move(peer));
    }

    FrmPOS_씨리얼테스트* openScreen() {
        SerialTestOptions options;
        const QString base = dir_->path();
        options.device = [base](int n) { return base + QStringLiteral("/com%1").arg(n); };
        options.systemPorts = [this] { return systemPorts_; };
        options.pause = [this](int ms) {
            pauses_ << ms;
            if (auto run = std::exchange(duringPause_, {})) {
                run();
            }
        };
        screen_ = new FrmPOS_씨리얼테스트(std::move(options));
        screen_->show();
        if (!QTest::qWaitForWindowExposed(screen_)) {
            qWarning("screen not exposed");
        }
        return screen_;
    }

    template <typename T> T* widget(const char* name) const {
        return screen_->findChild<T*>(QString::fromUtf8(name));
    }
    CommPort* port() const { return widget<CommPort>("컴포트"); }
    TextBox* box() const { return widget<TextBox>("입력창"); }

    // An item picked in the port list (picking the same one again counts).
    void choose(const QString& item) {
        auto* list = widget<QComboBox>("포트");
        const int index = list->findText(item);
        QVERIFY(index >= 0);
        list->setCurrentIndex(index);
        Q_EMIT list->activated(index);
    }

    static QStringList visibleWindows() {
        QStringList names;
        for (const QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible()) {
                names << w->objectName();
            }
        }
        return names;
    }

    void click(const char* button) {
        QTest::mouseClick(widget<QPushButton>(button), Qt::LeftButton);
    }

private Q_SLOTS:
    void initTestCase() { REQUIRE_SOCAT(); }

    void init() {
        dir_ = std::make_unique<ScratchProgramFolder>();
        QVERIFY2(dir_->isValid(), qPrintable(dir_->errorString()));
        pauses_.clear();
        duringPause_ = {};
    }

    void cleanup() {
        delete screen_.data();
        peers_.clear();
        pairs_.clear();
        dir_.reset();
        systemPorts_.clear();
        MainScreen = nullptr;
        QCOMPARE(ModalAnswer::leftoverWindows(), QStringList());
    }

    void loadsWithItsWidgetsInPlace() {
        openScreen();
        QCOMPARE(screen_->windowTitle(), QStringLiteral("씨리얼 포트 테스트"));
        QCOMPARE(screen_->size(), QSize(437, 277));

        const std::pair<const char*, QRect> places[] = {
            {"Label", twips::rect(180, 420, 1035, 195)},
            {"포트", twips::rect(1380, 270, 1995, 435)},
            {"파라미터", twips::rect(3480, 270, 2385, 435)},
            {"입력창", twips::rect(480, 930, 5385, 1995)},
            {"버튼클리어", twips::rect(510, 3210, 1035, 555)},
            {"버튼출력", twips::rect(2655, 3210, 1035, 555)},
            {"버튼종료", twips::rect(4800, 3210, 1035, 555)},
        };
        for (const auto& [name, place] : places) {
            auto* w = widget<QWidget>(name);
            QVERIFY2(w, name);
            QCOMPARE(w->geometry(), place);
        }
        QCOMPARE(widget<QLabel>("Label")->text(), QStringLiteral("시리얼 포트"));
        QCOMPARE(widget<QPushButton>("버튼클리어")->text(), QStringLiteral("클리어"));
        QCOMPARE(widget<QPushButton>("버튼출력")->text(), QStringLiteral("출 력"));
        QCOMPARE(widget<QPushButton>("버튼종료")->text(), QStringLiteral("종 료"));

        auto* list = widget<QComboBox>("포트");
        QCOMPARE(list->count(), 12);
        QCOMPARE(list->itemText(0), QStringLiteral("COM1"));
        QCOMPARE(list->itemText(11), QStringLiteral("COM12"));
        QCOMPARE(list->currentIndex(), -1);
        QCOMPARE(widget<MyText>("파라미터")->text(), QStringLiteral("9600,n,8,1"));

        QCOMPARE(box()->text(), FrmPOS_씨리얼테스트::ruler());
        QCOMPARE(box()->text().size(), 252);
        QVERIFY(port());
        QVERIFY(!port()->portOpen());
    }

    // Placed on load, before the window has its frame: allow for the frame.
    void centresOverTheRegistrationScreenOrTheScreen() {
        const auto near = [](const QPoint& a, const QPoint& b) {
            return (a - b).manhattanLength() <= 12;
        };
        openScreen();
        QVERIFY(near(screen_->frameGeometry().center(),
                     QGuiApplication::primaryScreen()->geometry().center()));
        delete screen_.data();

        QWidget registration;
        registration.setGeometry(40, 30, 900, 700);
        MainScreen = &registration;
        openScreen();
        QVERIFY(near(screen_->frameGeometry().center(), registration.frameGeometry().center()));
        delete screen_.data();
        MainScreen = nullptr;
    }

    void choosingAgainReopensWithChangedSettings() {
        joinPort(1);
        openScreen();
        choose(QStringLiteral("COM1"));
        QVERIFY(port()->portOpen());
        QCOMPARE(port()->device().baudRate(), 9600);
        QVERIFY(pauses_.isEmpty()); // nothing to close the first time

        widget<MyText>("파라미터")->setText(QStringLiteral("19200,n,8,2"));
        choose(QStringLiteral("COM1"));
        QVERIFY(port()->portOpen());
        QCOMPARE(pauses_, QList<int>{200});
        QCOMPARE(port()->device().baudRate(), 19200);
        QCOMPARE(port()->device().stopBits(), QSerialPort::TwoStop);
    }

    // A USB adapter's COM15 reported by the system is offered after the
    // fixed twelve; a low number it reports is not listed twice.
    void portsAboveTwelveTheSystemReportsAreOffered() {
        systemPorts_ = {3, 15, 27};
        QSerialPort& peer = joinPort(15);
        openScreen();
        auto* list = widget<QComboBox>("포트");
        QCOMPARE(list->count(), 14);
        QCOMPARE(list->itemText(12), QStringLiteral("COM15"));
        QCOMPARE(list->itemText(13), QStringLiteral("COM27"));
        choose(QStringLiteral("COM15"));
        QCOMPARE(port()->commPort(), 15);
        QVERIFY(port()->output(QStringLiteral("15")));
        QCOMPARE(readBytes(peer, 2), QByteArray("15"));
    }

    void twoDigitPortNumberIsReadWhole() {
        QSerialPort& peer = joinPort(10); // no COM1 exists: "COM10" read as 1 would fail
        openScreen();
        choose(QStringLiteral("COM10"));
        QVERIFY(port()->portOpen());
        QCOMPARE(port()->commPort(), 10);
        QVERIFY(port()->output(QStringLiteral("10")));
        QCOMPARE(readBytes(peer, 2), QByteArray("10"));
    }

    // Outer spaces go; a tab is part of the text, which is then refused.
    void settingsLoseTheirOuterSpacesOnly() {
        joinPort(1);
        openScreen();
        auto* settings = widget<MyText>("파라미터");
        settings->setText(QStringLiteral("  4800,n,8,1   "));
        choose(QStringLiteral("COM1"));
        QVERIFY(port()->portOpen());
        QCOMPARE(port()->settings(), QStringLiteral("4800,n,8,1"));
        QCOMPARE(port()->device().baudRate(), 4800);

        settings->setText(QStringLiteral("\t9600,n,8,1 "));
        const ModalAnswer escape = ModalAnswer::key(Qt::Key_Escape);
        choose(QStringLiteral("COM1"));
        QCOMPARE(escape.count(), 1);
        QVERIFY2(escape.text().contains(QStringLiteral("\"\t9600,n,8,1\"")),
                 qPrintable(escape.text()));
        QVERIFY(!port()->portOpen());
    }

    // Each failure shows CR LF and its description, logs nothing and leaves
    // the port closed, even when it was open before.
    void failedChoiceShowsWhyAndLeavesThePortClosed() {
        joinPort(1);
        openScreen();
        choose(QStringLiteral("COM1"));
        QVERIFY(port()->portOpen());

        auto* settings = widget<MyText>("파라미터");
        settings->setText(QStringLiteral("9600,x,8,1"));
        {
            const ModalAnswer escape =
                ModalAnswer::key(Qt::Key_Escape, ModalAnswer::Once, QStringLiteral("Frm_메세지"));
            choose(QStringLiteral("COM1"));
            QCOMPARE(escape.count(), 1);
            QCOMPARE(escape.text(), QStringLiteral("\r\n") + port()->errorDescription());
            QVERIFY(escape.text().contains(QStringLiteral("패리티 \"x\"")));
        }
        QVERIFY(!port()->portOpen());

        settings->setText(QStringLiteral("9600,n,8,1"));
        {
            const ModalAnswer escape = ModalAnswer::key(Qt::Key_Escape);
            choose(QStringLiteral("COM5"));
            QCOMPARE(escape.count(), 1);
            QVERIFY2(escape.text().startsWith(QStringLiteral("\r\nCOM5 포트가 없습니다")),
                     qPrintable(escape.text()));
        }
        QVERIFY(!port()->portOpen());

        QSerialPort other(link(QStringLiteral("com1")));
        QVERIFY(other.open(QIODevice::ReadWrite));
        {
            const ModalAnswer escape = ModalAnswer::key(Qt::Key_Escape);
            choose(QStringLiteral("COM1"));
            QCOMPARE(escape.count(), 1);
            QVERIFY2(escape.text().contains(QStringLiteral("사용 중")), qPrintable(escape.text()));
        }
        QVERIFY(!port()->portOpen());
        QVERIFY(QDir(dir_->path()).entryList({QStringLiteral("ERROR_LOG*")}).isEmpty());
    }

    void sendBeforeAnyPortDoesNothingVisible() {
        QSerialPort& peer = joinPort(1);
        openScreen();
        const QStringList windows = visibleWindows();
        const ModalAnswer watch = ModalAnswer::none();
        click("버튼출력");
        QVERIFY(!watch.seen());
        QCOMPARE(visibleWindows(), windows);
        QCOMPARE(box()->text(), FrmPOS_씨리얼테스트::ruler());
        QVERIFY(!peer.waitForReadyRead(300));
    }

    void defaultSendIsTheRulerThenFourLineBreaks() {
        QSerialPort& peer = joinPort(1);
        openScreen();
        choose(QStringLiteral("COM1"));
        click("버튼출력");
        const QByteArray expected = FrmPOS_씨리얼테스트::ruler().toLatin1() + "\r\n\r\n\r\n\r\n";
        QCOMPARE(expected.size(), 252 + 8);
        QCOMPARE(readBytes(peer, expected.size()), expected);
        QCOMPARE(pauses_, QList<int>{100});
        QVERIFY(!peer.waitForReadyRead(200)); // and nothing more
    }

    void answerIsAppendedAfterTheRuler() {
        QSerialPort& peer = joinPort(1);
        openScreen();
        choose(QStringLiteral("COM1"));
        QVERIFY(writeBytes(peer, "OK 1\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(box()->text(), FrmPOS_씨리얼테스트::ruler() + "OK 1\r\n", 10000);
        QVERIFY(!pauses_.isEmpty());
        QCOMPARE(pauses_.count(200), pauses_.size());
    }

    void receiveEventThatFindsNothingEmptiesTheBox() {
        QSerialPort& peer = joinPort(1);
        openScreen();
        choose(QStringLiteral("COM1"));
        // By the end of the pause the waiting characters are gone.
        duringPause_ = [this] { port()->setInBufferCount(0); };
        QVERIFY(writeBytes(peer, "x"));
        QTRY_COMPARE_WITH_TIMEOUT(box()->text(), QString(), 10000);
        QVERIFY(port()->portOpen());
    }

    void hangulRoundTripsInCp949() {
        QSerialPort& peer = joinPort(1);
        openScreen();
        choose(QStringLiteral("COM1"));
        click("버튼클리어");
        QCOMPARE(box()->text(), QString());

        // The last syllable still composing when 출력 is clicked: sent once.
        const QString sent = QStringLiteral("회원 가입 안내\r\n똠방각하");
        box()->setText(sent.chopped(1));
        box()->moveCursor(QTextCursor::End);
        composing::type(box(), QString(), sent.right(1));
        click("버튼출력");
        const QByteArray expected = cp949::encode(sent) + "\r\n\r\n\r\n\r\n";
        QCOMPARE(readBytes(peer, expected.size()), expected);

        const QString answer = QStringLiteral(" 확인했습니다\r\n");
        QVERIFY(writeBytes(peer, cp949::encode(answer)));
        QTRY_COMPARE_WITH_TIMEOUT(box()->text(), sent + answer, 10000);
    }

    // An answer in pieces that split a Hangul character and a CR LF, with
    // lone CRs and LFs: the box holds exactly what came, shows the CR LF as
    // one line break, and sends it all back unchanged.
    void splitArrivalsAreShownAndSentBackByteForByte() {
        QSerialPort& peer = joinPort(1);
        openScreen();
        choose(QStringLiteral("COM1"));
        click("버튼클리어");

        QVERIFY(writeBytes(peer, QByteArray("A\xB0"))); // "가" is B0 A1
        QTRY_COMPARE_WITH_TIMEOUT(box()->text(), QStringLiteral("A"), 10000);
        QVERIFY(writeBytes(peer, QByteArray("\xA1\r")));
        QTRY_COMPARE_WITH_TIMEOUT(box()->text(), QStringLiteral("A가\r"), 10000);
        QVERIFY(writeBytes(peer, QByteArray("\nB\rC\nD\t")));
        const QString whole = QStringLiteral("A가\r\nB\rC\nD\t");
        QTRY_COMPARE_WITH_TIMEOUT(box()->text(), whole, 10000);
        QCOMPARE(box()->document()->blockCount(), 2);
        QCOMPARE(box()->toPlainText(), QStringLiteral("A가\nB\nC\nD\t"));
        // Bytes that are no character (a lone 0x80, a lead byte before a
        // space, 0xFF) are kept too, each as one sign.
        const QByteArray odd("\x80\xB0 \xFF");
        QVERIFY(writeBytes(peer, odd));
        QTRY_COMPARE_WITH_TIMEOUT(box()->text().size(), whole.size() + 4, 10000);

        click("버튼출력");
        const QByteArray expected = cp949::encode(whole) + odd + "\r\n\r\n\r\n\r\n";
        QCOMPARE(readBytes(peer, expected.size()), expected);
    }

    void closeUnloadsTheScreenAndFreesThePort() {
        joinPort(1);
        openScreen();
        choose(QStringLiteral("COM1"));
        QVERIFY(port()->portOpen());
        click("버튼종료");
        QTRY_VERIFY(screen_.isNull());
        QSerialPort again(link(QStringLiteral("com1")));
        QVERIFY2(again.open(QIODevice::ReadWrite), qPrintable(again.errorString()));
    }
};

QTEST_MAIN(TestSerialTestScreen)
#include "tst_serialtestscreen.moc"
