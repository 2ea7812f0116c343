#include "components/widgets/mylabel.h"
#include "dialogs/yesno.h"
#include "support/modalhelper.h"
#include "util/programwide.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

const QString kQuestion = QStringLiteral("\r\n이미 등록된 폰 번호 입니다\r\n\r\n덮어 쓸까요?");

} // namespace

class TestYesNo : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        MainScreenReady = false;
        MainScreen = nullptr;
        DialogAnswer.clear();
    }

    void cleanup() {
        MainScreenReady = false;
        MainScreen = nullptr;
        QCOMPARE(ModalAnswer::leftoverWindows(), QStringList());
    }

    void answers_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("area");
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Enter") << int(Qt::Key_Return) << QString() << 0 << "예";
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << QString() << 0 << "예";
        QTest::newRow("Escape") << int(Qt::Key_Escape) << QString() << 0 << "아니요";
        QTest::newRow("Yes area") << 0 << "버튼예" << int(Qt::LeftButton) << "예";
        QTest::newRow("Yes area, right button") << 0 << "버튼예" << int(Qt::RightButton) << "예";
        QTest::newRow("No area") << 0 << "버튼나가기" << int(Qt::LeftButton) << "아니오";
        QTest::newRow("No area, middle button")
            << 0 << "버튼나가기" << int(Qt::MiddleButton) << "아니오";
    }
    void answers() {
        QFETCH(int, key);
        QFETCH(QString, area);
        QFETCH(int, button);
        QFETCH(QString, expected);
        const auto answer = area.isEmpty()
                                ? ModalAnswer::key(static_cast<Qt::Key>(key), ModalAnswer::Once,
                                                   QStringLiteral("Frm_다이얼로그"))
                                : ModalAnswer::click(area, static_cast<Qt::MouseButton>(button));
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(AskYesNo(kQuestion, 0, true), expected);
        QCOMPARE(DialogAnswer, expected);
        QCOMPARE(answer.texts(), QStringList{kQuestion});
        QVERIFY(clock.elapsed() < 9000); // answered, not timed out
    }

    void otherKeysDoNothing() {
        bool openAfterKeys = false;
        ModalAnswer keys([&](QWidget* dialog) {
            QTest::keyClick(dialog, Qt::Key_Space);
            QTest::keyClick(dialog, Qt::Key_Y);
            QTest::keyClick(dialog, Qt::Key_Tab);
            QTest::qWait(200);
            openAfterKeys = dialog->isVisible();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QCOMPARE(AskYesNo(kQuestion, 0, true), QStringLiteral("아니요"));
        QVERIFY(openAfterKeys);
    }

    // The standard call that nobody answers: empty after ten seconds, even
    // though the previous dialog was answered yes.
    void runningOutAnswersEmpty() {
        {
            ModalAnswer enter = ModalAnswer::key(Qt::Key_Return);
            QCOMPARE(AskYesNo(kQuestion, 0, true), QStringLiteral("예"));
        }
        QStringList captions;
        bool hiddenAtFirst = false;
        ModalAnswer watch = ModalAnswer::none();
        watch.onSeen([&](QWidget* dialog) {
            auto* label = dialog->findChild<MyLabel*>(QStringLiteral("카운트다운"));
            hiddenAtFirst = !label->isVisible();
            QObject::connect(dialog->findChild<QTimer*>(QStringLiteral("타이머카운터")),
                             &QTimer::timeout, label,
                             [&captions, label] { captions << label->caption(); });
        });
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(AskYesNo(kQuestion, 0, true), QString());
        const qint64 elapsed = clock.elapsed();
        QCOMPARE(DialogAnswer, QString());
        QVERIFY(hiddenAtFirst);
        QCOMPARE(captions, (QStringList{"9", "8", "7", "6", "5", "4", "3", "2", "1", "0"}));
        QVERIFY2(elapsed >= 9900 && elapsed < 16000, qPrintable(QString::number(elapsed)));
    }

    void shortCountdownAndNoCountdown() {
        QElapsedTimer clock;
        clock.start();
        {
            ModalAnswer watch = ModalAnswer::none();
            QCOMPARE(AskYesNo(kQuestion, 2, true), QString());
            QVERIFY(watch.seen());
        }
        QVERIFY(clock.elapsed() >= 1900);

        bool stillCounting = true;
        ModalAnswer later([&](QWidget* dialog) {
            QTest::qWait(1600);
            stillCounting =
                dialog->findChild<MyLabel*>(QStringLiteral("카운트다운"))->isVisible() ||
                dialog->findChild<QTimer*>(QStringLiteral("타이머카운터"))->isActive();
            auto* yes = dialog->findChild<QWidget*>(QStringLiteral("버튼예"));
            QTest::mouseClick(yes, Qt::LeftButton, {}, yes->rect().center());
        });
        QCOMPARE(AskYesNo(kQuestion, -1, true), QStringLiteral("예"));
        QVERIFY(!stillCounting);
    }

    void secondQuestionWhileOneIsOpenFails() {
        QString nested;
        QString openShows;
        ModalAnswer inner([&](QWidget* dialog) {
            nested = AskYesNo(QStringLiteral("\r\n다른 질문"), 0, true);
            openShows = dialog->findChild<QWidget*>(QStringLiteral("메세지"))
                            ->property("caption")
                            .toString();
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        QCOMPARE(AskYesNo(kQuestion, 0, true), QStringLiteral("예"));
        QCOMPARE(nested, QStringLiteral("아니요"));
        QCOMPARE(openShows, kQuestion);
    }

    void placedOverTheMainScreenOnceReady() {
        auto main = std::make_unique<QWidget>();
        main->setGeometry(100, 50, 1024, 768);
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        MainScreen = main.get();
        MainScreenReady = true;
        QRect at;
        ModalAnswer escape([&](QWidget* dialog) {
            at = dialog->frameGeometry();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        AskYesNo(kQuestion, 0, true);
        // 10200 x 6525 twips; the half pixel of the top is dropped.
        QCOMPARE(at, QRect(100 + 172, 50 + 166, 680, 435));
    }
};

QTEST_MAIN(TestYesNo)
#include "tst_yesno.moc"
