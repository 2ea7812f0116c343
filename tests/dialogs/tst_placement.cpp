#include "dialogs/placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>

using placement::TwipsPoint;
using placement::TwipsRect;

namespace {

QSize screenSize() {
    return QGuiApplication::primaryScreen()->geometry().size();
}

} // namespace

class TestPlacement : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void centresOverAnAnchor() {
        const TwipsPoint at = placement::overAnchor(TwipsRect{0, 0, 15360, 11520}, 6000, 4000);
        QCOMPARE(at.left, 4680.0f);
        QCOMPARE(at.top, 3760.0f);
        // Halves are kept, not rounded.
        const TwipsPoint odd = placement::overAnchor(TwipsRect{15, 30, 15361, 11521}, 6000, 4000);
        QCOMPARE(odd.left, 4695.5f);
        QCOMPARE(odd.top, 3790.5f);
        // A window larger than its anchor overhangs it equally on both sides.
        const TwipsPoint over = placement::overAnchor(TwipsRect{100, 100, 3000, 1500}, 6000, 4000);
        QCOMPARE(over.left, -1400.0f);
        QCOMPARE(over.top, -1150.0f);
    }

    void placesOnTheScreen_data() {
        QTest::addColumn<QString>("vertical");
        QTest::addColumn<QString>("horizontal");
        QTest::addColumn<float>("left");
        QTest::addColumn<float>("top");
        // Screen 15360 x 11520, window 6000 x 4000.
        QTest::newRow("centred") << QString() << QString() << 4680.0f << 3760.0f;
        QTest::newRow("top right") << "TOP"
                                   << "우" << 9360.0f << 0.0f;
        QTest::newRow("top left") << "TOP"
                                  << "좌" << 0.0f << 0.0f;
        QTest::newRow("Top is not TOP") << "Top"
                                        << "좌" << 0.0f << 3760.0f;
        QTest::newRow("blank before TOP") << " TOP"
                                          << "x" << 4680.0f << 3760.0f;
        QTest::newRow("blank after 우") << "TOP"
                                        << "우 " << 4680.0f << 0.0f;
    }
    void placesOnTheScreen() {
        QFETCH(QString, vertical);
        QFETCH(QString, horizontal);
        QFETCH(float, left);
        QFETCH(float, top);
        const TwipsPoint at = placement::onScreen(6000, 4000, 15360, 11520, vertical, horizontal);
        QCOMPARE(at.left, left);
        QCOMPARE(at.top, top);
    }

    void placesRealWindowsOnTheScreen() {
        const QSize screen = screenSize();
        QWidget form;
        form.resize(400, 300);
        PlaceForm(&form, QString(), QString());
        QCOMPARE(form.pos(), QPoint((screen.width() - 400) / 2, (screen.height() - 300) / 2));
        PlaceForm(&form, QStringLiteral("TOP"), QStringLiteral("우"));
        QCOMPARE(form.pos(), QPoint(screen.width() - 400, 0));

        // Larger than the screen: centred all the same, off its edges.
        QWidget big;
        big.resize(screen.width() + 200, screen.height() + 100);
        PlaceForm(&big, QString(), QString());
        QCOMPARE(big.pos(), QPoint(-100, -50));
    }

    void leavesMaximisedAndMinimisedWindowsAlone_data() {
        QTest::addColumn<Qt::WindowState>("state");
        QTest::newRow("maximised") << Qt::WindowMaximized;
        QTest::newRow("minimised") << Qt::WindowMinimized;
    }
    void leavesMaximisedAndMinimisedWindowsAlone() {
        QFETCH(Qt::WindowState, state);
        QWidget form;
        form.setGeometry(7, 9, 400, 300);
        form.setWindowState(state);
        const QPoint before = form.pos();
        PlaceForm(&form, QStringLiteral("TOP"), QStringLiteral("좌"));
        QCOMPARE(form.pos(), before);
    }

    void centresRealWindowsOverAnother() {
        QWidget anchor;
        anchor.setGeometry(30, 20, 1024, 768);
        anchor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&anchor));
        QWidget form;
        form.resize(400, 300);
        CenterOnForm(&anchor, &form);
        QCOMPARE(form.pos(), QPoint(30 + 312, 20 + 234));

        // 6000 x 4000 twips is 400 x 266.67 pixels; a 265-pixel window over a
        // 768-pixel anchor lands half a pixel below a whole one and stays there.
        form.resize(400, 265);
        CenterOnForm(&anchor, &form);
        QCOMPARE(form.pos(), QPoint(342, 20 + 251));

        QWidget small;
        small.setGeometry(0, 0, 200, 100);
        form.resize(400, 300);
        CenterOnForm(&small, &form);
        QCOMPARE(form.pos(), QPoint(-100, -100));
    }

    void missingWindowsAreIgnored() {
        QWidget form;
        form.move(5, 6);
        CenterOnForm(nullptr, &form);
        CenterOnForm(&form, nullptr);
        PlaceForm(nullptr, QString(), QString());
        QCOMPARE(form.pos(), QPoint(5, 6));
    }
};

QTEST_MAIN(TestPlacement)
#include "tst_placement.moc"
