#include "util/heldfileretry.h"

#include <QTest>

#include <vector>

// Results a file call gives in turn: 0 done, 5 "held", 2 any other failure.
class TestHeldFileRetry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void retriesOnlyWhileHeldAndWithinTheBudget_data() {
        QTest::addColumn<std::vector<int>>("results");
        QTest::addColumn<int>("attempts");
        QTest::addColumn<int>("outcome");
        QTest::newRow("done at once") << std::vector<int>{0} << 1 << 0;
        QTest::newRow("held twice, then done") << std::vector<int>{5, 5, 0} << 3 << 0;
        QTest::newRow("other failure: never retried") << std::vector<int>{2, 0} << 1 << 2;
        QTest::newRow("held, then another failure") << std::vector<int>{5, 2, 0} << 2 << 2;
        // 500 ms in 25 ms pauses: 20 retries after the first attempt.
        QTest::newRow("held for good: gives up") << std::vector<int>(40, 5) << 21 << 5;
    }
    void retriesOnlyWhileHeldAndWithinTheBudget() {
        QFETCH(std::vector<int>, results);
        QFETCH(int, attempts);
        QFETCH(int, outcome);
        int made = 0;
        std::chrono::milliseconds paused{0};
        const int result = RetryWhileHeld<int>(
            [&] { return results.at(std::size_t(made++)); }, [](int e) { return e == 5; },
            [&](std::chrono::milliseconds pause) { paused += pause; });
        QCOMPARE(result, outcome);
        QCOMPARE(made, attempts);
        QVERIFY(paused <= kHeldFileRetryBudget);
    }
};

QTEST_APPLESS_MAIN(TestHeldFileRetry)
#include "tst_heldfileretry.moc"
