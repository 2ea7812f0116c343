// The name and address fields ask Windows' input method for Hangul when
// they take the focus: checked on a real window of the windows platform.

#include "components/widgets/mytext.h"

#include <QApplication>
#include <QTest>

#include <windows.h>

#include <imm.h>

class TestImeMode : public QObject {
    Q_OBJECT

    // The window's input-method state: open, and its conversion mode.
    static std::pair<bool, DWORD> imeState(QWidget* window) {
        const auto hwnd = reinterpret_cast<HWND>(window->winId());
        const HIMC context = ImmGetContext(hwnd);
        if (context == nullptr) {
            return {false, 0};
        }
        DWORD conversion = 0;
        DWORD sentence = 0;
        ImmGetConversionStatus(context, &conversion, &sentence);
        const bool open = ImmGetOpenStatus(context) != FALSE;
        ImmReleaseContext(hwnd, context);
        return {open, conversion};
    }

private Q_SLOTS:
    void hangulFieldSwitchesTheInputMethodOnFocus() {
        QWidget window;
        auto* plain = new MyText(&window);
        auto* name = new MyText(&window);
        name->setImeMode(10); // Hangul, as the name and address fields
        name->move(0, 40);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window)) {
            QSKIP("no desktop to show a window on (under Wine: no X display)");
        }
        plain->setFocus();
        QTRY_VERIFY(plain->hasFocus());
        QCoreApplication::processEvents();
        const auto hwnd = reinterpret_cast<HWND>(window.winId());
        const HIMC context = ImmGetContext(hwnd);
        if (context == nullptr) {
            QSKIP("no input-method context for this window here");
        }
        // Alphanumeric and closed, as the operator may have left it.
        ImmSetConversionStatus(context, IME_CMODE_ALPHANUMERIC, IME_SMODE_NONE);
        ImmSetOpenStatus(context, FALSE);
        ImmReleaseContext(hwnd, context);
        QCOMPARE(imeState(&window), std::make_pair(false, DWORD(IME_CMODE_ALPHANUMERIC)));

        name->setFocus();
        QTRY_VERIFY(name->hasFocus());
        QTRY_VERIFY((imeState(&window).second & IME_CMODE_HANGUL) != 0);
        QVERIFY(imeState(&window).first);
    }
};

QTEST_MAIN(TestImeMode)
#include "tst_imemode_win.moc"
