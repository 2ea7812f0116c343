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

    // Real screens, in logical pixels, with the registration screen's
    // design (1022 x 766) and a Windows 10 frame: caption and client area
    // always on the usable area, centring kept where that holds already.
    void fitsEveryScreen_data() {
        QTest::addColumn<QRect>("display");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QString>("vertical");
        QTest::addColumn<QString>("horizontal");
        QTest::addColumn<QRect>("client");
        QTest::newRow("1920x1080 at 100 %: centred as designed")
            << QRect(0, 0, 1920, 1080) << QRect(0, 0, 1920, 1040) << QString() << QString()
            << QRect(449, 168, 1022, 766);
        QTest::newRow("at 125 %: full size, moved up off the taskbar")
            << QRect(0, 0, 1536, 864) << QRect(0, 0, 1536, 826) << QString() << QString()
            << QRect(257, 52, 1022, 766);
        QTest::newRow("at 150 %: smaller, caption at the top")
            << QRect(0, 0, 1280, 720) << QRect(0, 0, 1280, 688) << QString() << QString()
            << QRect(207, 31, 865, 649);
        QTest::newRow("1366x768 with a taskbar")
            << QRect(0, 0, 1366, 768) << QRect(0, 0, 1366, 728) << QString() << QString()
            << QRect(223, 31, 919, 689);
        QTest::newRow("1024x768") << QRect(0, 0, 1024, 768) << QRect(0, 0, 1024, 768) << QString()
                                  << QString() << QRect(26, 31, 972, 729);
        QTest::newRow("top right corner")
            << QRect(0, 0, 1366, 768) << QRect(0, 0, 1366, 728) << "TOP"
            << "우" << QRect(439, 31, 919, 689);
        QTest::newRow("taskbar at the top") << QRect(0, 0, 1366, 768) << QRect(0, 40, 1366, 728)
                                            << QString() << QString() << QRect(223, 71, 919, 689);
        QTest::newRow("second screen right of the first")
            << QRect(1920, 0, 1366, 768) << QRect(1920, 0, 1366, 728) << QString() << QString()
            << QRect(2143, 31, 919, 689);
    }
    void fitsEveryScreen() {
        QFETCH(QRect, display);
        QFETCH(QRect, available);
        QFETCH(QString, vertical);
        QFETCH(QString, horizontal);
        QFETCH(QRect, client);
        const QMargins frame(8, 31, 8, 8);
        const placement::Fit fit = placement::fitOnScreen({display, available}, QSize(1022, 766),
                                                          frame, vertical, horizontal);
        QCOMPARE(fit.client, client);
        QVERIFY(available.contains(fit.client.marginsAdded(frame)));
        QCOMPARE(placement::scaledSize(QSize(1022, 766), fit.scale), client.size());
    }

    // A box over the screen stays on the usable area too.
    void keepsBoxesOverAnAnchorOnTheScreen_data() {
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<QRect>("client");
        QTest::newRow("centred over it") << QRect(215, 0, 935, 728) << QRect(342, 158, 680, 434);
        QTest::newRow("anchor low and left") << QRect(0, 600, 400, 300) << QRect(8, 286, 680, 434);
    }
    void keepsBoxesOverAnAnchorOnTheScreen() {
        QFETCH(QRect, anchor);
        QFETCH(QRect, client);
        const placement::Fit fit = placement::fitOverAnchor(QRect(0, 0, 1366, 728), anchor,
                                                            QSize(680, 434), QMargins(8, 31, 8, 8));
        QCOMPARE(fit.client, client);
        QCOMPARE(fit.scale, 1.0);
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
    }

    // Larger than the usable area: the window and what is on it drawn
    // smaller, the whole frame on the screen; placing it again starts from
    // the design, never compounding.
    void scalesAWindowTooLargeForTheScreen() {
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        const QSize design(available.width() + 200, available.height() + 100);
        QWidget big;
        big.setFixedSize(design);
        auto* child = new QWidget(&big);
        child->setGeometry(100, 200, 300, 400);
        QFont font;
        font.setPixelSize(40);
        child->setFont(font);
        PlaceForm(&big, QString(), QString());
        big.show();
        QVERIFY(QTest::qWaitForWindowExposed(&big));
        QTRY_VERIFY(available.contains(big.frameGeometry()));
        const double scale = WindowScale(&big);
        QVERIFY(scale < 1.0);
        QCOMPARE(big.size(), placement::scaledSize(design, scale));
        PlaceForm(&big, QString(), QString());
        QCOMPARE(WindowScale(&big), scale);
        QCOMPARE(child->geometry(),
                 QRect(QPoint(qRound(100 * scale), qRound(200 * scale)),
                       QPoint(qRound(400 * scale) - 1, qRound(600 * scale) - 1)));
        QCOMPARE(child->font().pixelSize(), qRound(40 * scale));
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
        small.setGeometry(300, 300, 200, 100);
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
