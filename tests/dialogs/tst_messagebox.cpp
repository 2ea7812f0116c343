#include "components/widgets/mylabel.h"
#include "dialogs/messagebox.h"
#include "support/modalhelper.h"
#include "util/programwide.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

const QString kBox = QStringLiteral("Frm_메세지");

MyLabel* countdownOf(QWidget* box) {
    return box->findChild<MyLabel*>(QStringLiteral("카운트다운"));
}
QTimer* timerOf(QWidget* box) {
    return box->findChild<QTimer*>(QStringLiteral("타이머카운터"));
}

QWidget* openBox() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == kBox && w->isVisible()) {
            return w;
        }
    }
    return nullptr;
}

// What a box showed: whether the number was hidden when it came up, and the
// caption after each tick of its timer.
struct Countdown {
    bool hiddenAtFirst = false;
    QString startCaption;
    QStringList afterTicks;
    bool visibleAfterEveryTick = true;

    void watch(ModalAnswer& answer) {
        answer.onSeen([this](QWidget* box) {
            MyLabel* label = countdownOf(box);
            hiddenAtFirst = !label->isVisible();
            startCaption = label->caption();
            // Connected after the box's own handler, so it sees each result.
            QObject::connect(timerOf(box), &QTimer::timeout, label, [this, label] {
                afterTicks << label->caption();
                visibleAfterEveryTick = visibleAfterEveryTick && !label->isHidden();
            });
        });
    }
};

QStringList countingDownFrom(int n) {
    QStringList captions;
    for (int i = n - 1; i >= 0; --i) {
        captions << QString::number(i);
    }
    return captions;
}

} // namespace

class TestMessageBox : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        MainScreenReady = false;
        MainScreen = nullptr;
    }

    void cleanup() {
        MainScreenReady = false;
        MainScreen = nullptr;
        QVERIFY(QTest::qWaitFor([] { return openBox() == nullptr; }, 20000));
        QCOMPARE(ModalAnswer::leftoverWindows(), QStringList());
    }

    void standardCountdownClosesAfterTenSeconds() {
        ModalAnswer watch = ModalAnswer::none();
        Countdown countdown;
        countdown.watch(watch);
        QElapsedTimer clock;
        clock.start();
        ShowMessage(QStringLiteral("\r\n저장 완료"), 0, true, true);
        const qint64 elapsed = clock.elapsed();

        QCOMPARE(watch.texts(), QStringList{QStringLiteral("\r\n저장 완료")});
        QVERIFY(countdown.hiddenAtFirst);
        QCOMPARE(countdown.startCaption, QStringLiteral("10"));
        // 9 down to 1 shown; the tenth tick writes 0 and closes.
        QCOMPARE(countdown.afterTicks, countingDownFrom(10));
        QVERIFY(countdown.visibleAfterEveryTick);
        QVERIFY2(elapsed >= 9900 && elapsed < 16000, qPrintable(QString::number(elapsed)));
    }

    void shortCountdowns_data() {
        QTest::addColumn<int>("seconds");
        QTest::newRow("3") << 3;
        QTest::newRow("1, no number readable") << 1;
    }
    void shortCountdowns() {
        QFETCH(int, seconds);
        ModalAnswer watch = ModalAnswer::none();
        Countdown countdown;
        countdown.watch(watch);
        QElapsedTimer clock;
        clock.start();
        ShowMessage(QStringLiteral("\r\n짧게"), static_cast<qint16>(seconds), true, true);
        const qint64 elapsed = clock.elapsed();
        QVERIFY(countdown.hiddenAtFirst);
        QCOMPARE(countdown.startCaption, QString::number(seconds));
        QCOMPARE(countdown.afterTicks, countingDownFrom(seconds));
        QVERIFY2(elapsed >= seconds * 1000 - 100 && elapsed < seconds * 1000 + 6000,
                 qPrintable(QString::number(elapsed)));
    }

    // No countdown: the box stays until OK or Escape.
    void withoutCountdownWaitsForTheUser_data() {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<bool>("useTimer");
        QTest::addColumn<bool>("byOk");
        QTest::newRow("seconds -1, Escape") << -1 << true << false;
        QTest::newRow("timer untouched, OK") << 1 << false << true;
    }
    void withoutCountdownWaitsForTheUser() {
        QFETCH(int, seconds);
        QFETCH(bool, useTimer);
        QFETCH(bool, byOk);
        bool labelHidden = false;
        bool timerOff = false;
        ModalAnswer later([&](QWidget* box) {
            // Longer than the one second that the ignored value would take.
            QTest::qWait(1600);
            labelHidden = !countdownOf(box)->isVisible();
            timerOff = !timerOf(box)->isActive();
            if (byOk) {
                auto* ok = box->findChild<QWidget*>(QStringLiteral("버튼확인"));
                QTest::mouseClick(ok, Qt::LeftButton, {}, ok->rect().center());
            } else {
                QTest::keyClick(box, Qt::Key_Escape);
            }
        });
        ShowMessage(QStringLiteral("\r\n기다림"), static_cast<qint16>(seconds), true, useTimer);
        QVERIFY(later.seen());
        QVERIFY(labelHidden);
        QVERIFY(timerOff);
    }

    void enterAndOtherKeysAreIgnored() {
        bool openAfterKeys = false;
        ModalAnswer keys([&](QWidget* box) {
            QTest::keyClick(box, Qt::Key_Return);
            QTest::keyClick(box, Qt::Key_Enter, Qt::KeypadModifier);
            QTest::keyClick(box, Qt::Key_Space);
            QTest::keyClick(box, Qt::Key_A);
            QTest::qWait(200);
            openAfterKeys = box->isVisible();
            QTest::keyClick(box, Qt::Key_Escape);
        });
        ShowMessage(QStringLiteral("\r\n엔터"), -1, true, true);
        QVERIFY(keys.seen());
        QVERIFY(openAfterKeys);
    }

    void modelessReturnsAtOnceAndLaterCallsUpdateTheBox() {
        ShowMessage(QStringLiteral("\r\n첫째"), 3, false, true);
        QPointer<QWidget> box = openBox();
        QVERIFY(box != nullptr);
        QVERIFY(!box->isModal());
        QCOMPARE(box->findChild<QWidget*>(QStringLiteral("메세지"))->property("caption"),
                 QStringLiteral("\r\n첫째"));

        QTest::qWait(1200);
        // Null counts as false; the same window shows the new text and
        // counts down again from the new value.
        QElapsedTimer clock;
        clock.start();
        ShowMessage(QStringLiteral("\r\n둘째"), 4, QVariant(), true);
        QCOMPARE(openBox(), box.data());
        QCOMPARE(box->findChild<QWidget*>(QStringLiteral("메세지"))->property("caption"),
                 QStringLiteral("\r\n둘째"));
        QCOMPARE(countdownOf(box)->caption(), QStringLiteral("4"));
        QVERIFY(QTest::qWaitFor([&] { return box.isNull(); }, 15000));
        QVERIFY2(clock.elapsed() >= 3900, qPrintable(QString::number(clock.elapsed())));
    }

    void modalCallWaitsOnAnOpenModelessBox() {
        ShowMessage(QStringLiteral("\r\n먼저"), -1, false, true);
        QPointer<QWidget> first = openBox();
        QVERIFY(first != nullptr);
        ModalAnswer escape = ModalAnswer::key(Qt::Key_Escape);
        ShowMessage(QStringLiteral("\r\n나중"), -1, true, true);
        QCOMPARE(escape.texts(), QStringList{QStringLiteral("\r\n나중")});
        QVERIFY(QTest::qWaitFor([&] { return first.isNull(); }, 1000));
    }

    void callWhileABoxIsWaitedOnUpdatesItAndReturns() {
        QString nestedShows;
        ModalAnswer nested([&](QWidget* box) {
            ShowMessage(QStringLiteral("\r\n안쪽"), -1, true, true); // returns at once
            nestedShows =
                box->findChild<QWidget*>(QStringLiteral("메세지"))->property("caption").toString();
            QTest::keyClick(box, Qt::Key_Escape);
        });
        ShowMessage(QStringLiteral("\r\n바깥"), -1, true, true);
        QCOMPARE(nestedShows, QStringLiteral("\r\n안쪽"));
    }

    void modalArgumentTakenAsBoolean() {
        // Not a Boolean: nothing is shown at all.
        ShowMessage(QStringLiteral("\r\n?"), 0, QStringLiteral("아마도"), true);
        QCOMPARE(ModalAnswer::leftoverWindows(), QStringList());

        ModalAnswer escape = ModalAnswer::key(Qt::Key_Escape);
        ShowMessage(QStringLiteral("\r\n참"), -1, QStringLiteral("True"), true);
        QVERIFY(escape.seen());

        ShowMessage(QStringLiteral("\r\n영"), 1, 0, true);
        QVERIFY(openBox() != nullptr); // returned at once
    }

    void centredOnTheScreenDuringStartUp() {
        QPoint at;
        QSize size;
        ModalAnswer escape([&](QWidget* box) {
            at = box->frameGeometry().topLeft();
            size = box->frameGeometry().size();
            QTest::keyClick(box, Qt::Key_Escape);
        });
        ShowMessage(QStringLiteral("\r\n시작"), 0, true, true);
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        QCOMPARE(size, QSize(680, 434)); // 10200 x 6510 twips
        QCOMPARE(at, QPoint((screen.width() - 680) / 2, (screen.height() - 434) / 2));
    }

    void centredOverTheMainScreenOnceReady() {
        auto main = std::make_unique<QWidget>();
        main->setGeometry(100, 50, 1024, 768);
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        MainScreen = main.get();
        MainScreenReady = true;
        QPoint at;
        ModalAnswer escape([&](QWidget* box) {
            at = box->frameGeometry().topLeft();
            QTest::keyClick(box, Qt::Key_Escape);
        });
        ShowMessage(QStringLiteral("\r\n준비"), 0, true, true);
        QCOMPARE(at, QPoint(100 + (1024 - 680) / 2, 50 + (768 - 434) / 2));

        // The main screen gone: back to the middle of the screen.
        main.reset();
        QPoint fallback;
        ModalAnswer again([&](QWidget* box) {
            fallback = box->frameGeometry().topLeft();
            QTest::keyClick(box, Qt::Key_Escape);
        });
        ShowMessage(QStringLiteral("\r\n없음"), 0, true, true);
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        QCOMPARE(fallback, QPoint((screen.width() - 680) / 2, (screen.height() - 434) / 2));
    }
};

QTEST_MAIN(TestMessageBox)
#include "tst_messagebox.moc"
