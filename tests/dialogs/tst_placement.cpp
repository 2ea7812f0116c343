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

    // Placed before it is first shown, as every screen does on load: where
    // the window then appears, its frame (title bar included) is centred, so
    // a framed window never hangs off the bottom of a screen it fits.
    void placesTheOuterRectangleBeforeTheFirstShow() {
        const QSize screen = screenSize();
        QWidget form;
        form.resize(400, 300);
        PlaceForm(&form, QString(), QString());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QSize outer = form.frameGeometry().size();
        QVERIFY2(outer != form.size(), "the test platform gives windows a frame");
        QTRY_COMPARE(
            form.frameGeometry().topLeft(),
            QPoint((screen.width() - outer.width()) / 2, (screen.height() - outer.height()) / 2));

        // Placed again while shown: the frame into the corner.
        PlaceForm(&form, QStringLiteral("TOP"), QStringLiteral("우"));
        QTRY_COMPARE(form.frameGeometry().topLeft(), QPoint(screen.width() - outer.width(), 0));

        // Larger than the screen: centred all the same, off its edges.
        QWidget big;
        big.resize(screen.width() + 200, screen.height() + 100);
        PlaceForm(&big, QString(), QString());
        QVERIFY(big.geometry().left() < 0 && big.geometry().top() < 0);
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

    // Frame over frame: a box opened over the registration screen sits in
    // the middle of the screen's outer rectangle.
    void centresRealWindowsOverAnother() {
        QWidget anchor;
        anchor.resize(1024, 700);
        PlaceForm(&anchor, QString(), QString());
        anchor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&anchor));
        QWidget form;
        form.resize(400, 300);
        CenterOnForm(&anchor, &form);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_COMPARE(form.frameGeometry().center(), anchor.frameGeometry().center());

        // A size that does not halve evenly: the half pixel is dropped, as
        // the twips arithmetic has always done, never rounded up.
        form.resize(400, 265);
        CenterOnForm(&anchor, &form);
        const QRect a = anchor.frameGeometry();
        const int outerHeight = 265 + form.frameGeometry().height() - form.height();
        QTRY_COMPARE(form.frameGeometry().top(), a.top() + (a.height() - outerHeight) / 2);

        // Over a smaller window: overhangs it equally on both sides.
        QWidget small;
        small.setGeometry(100, 100, 200, 100);
        small.show();
        QVERIFY(QTest::qWaitForWindowExposed(&small));
        form.resize(400, 300);
        CenterOnForm(&small, &form);
        QTRY_COMPARE(form.frameGeometry().center(), small.frameGeometry().center());
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
