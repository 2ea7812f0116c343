#pragma once
// Answers the modal windows (message box, yes/no dialog, modal screens) that
// the code under test opens while the test waits inside it.
//
// Create the answer first, then call the code that opens the window; the
// answer watches for the active modal window from inside its event loop and
// acts on it: presses a key, clicks a named area, or only records it.
//
//   ModalAnswer escape = ModalAnswer::key(Qt::Key_Escape);
//   ShowMessage(QStringLiteral("\r\n서버 연결 실패"), 0, true, true);   // back at once
//   QCOMPARE(escape.texts(), QStringList{QStringLiteral("\r\n서버 연결 실패")});
//
//   ModalAnswer yes = ModalAnswer::click(QStringLiteral("버튼예"), Qt::RightButton);
//   QCOMPARE(AskYesNo(question, 0, true), QStringLiteral("예"));
//
//   // Every box of a failing start-up, each closed with Escape:
//   ModalAnswer all = ModalAnswer::key(Qt::Key_Escape, ModalAnswer::Every);
//   ...
//   QCOMPARE(all.count(), 2);
//
//   ModalAnswer watch = ModalAnswer::none();   // let it run out, but see it
//
// Only windows whose object name matches `window` are answered when it is
// given (e.g. "Frm_메세지"). The text recorded for each window is the caption
// of its child `메세지` (empty when it has none). Check that the code under
// test did not hang waiting on a box the answer missed with seen()/count().
// leftoverWindows() lists the top-level windows that are still alive, for a
// test's cleanup().

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <utility>

class ModalAnswer {
public:
    enum Repeat { Once, Every };
    using Action = std::function<void(QWidget*)>;

    // Presses a key in the window (in its focused widget, if it has one).
    static ModalAnswer key(Qt::Key key, Repeat repeat = Once, const QString& window = {},
                           Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        return ModalAnswer(
            [key, modifiers](QWidget* w) {
                QWidget* target = w->focusWidget() != nullptr ? w->focusWidget() : w;
                QTest::keyClick(target, key, modifiers);
            },
            repeat, window);
    }

    // Clicks the middle of the window's child of that object name.
    static ModalAnswer click(const QString& area, Qt::MouseButton button = Qt::LeftButton,
                             Repeat repeat = Once, const QString& window = {}) {
        return ModalAnswer(
            [area, button](QWidget* w) {
                auto* target = w->findChild<QWidget*>(area);
                QVERIFY2(target != nullptr, qPrintable(QStringLiteral("no area ") + area));
                QTest::mouseClick(target, button, {}, target->rect().center());
            },
            repeat, window);
    }

    // Records the window and leaves it alone (it closes by itself).
    static ModalAnswer none(Repeat repeat = Once, const QString& window = {}) {
        return ModalAnswer([](QWidget*) {}, repeat, window);
    }

    // Any other answer, e.g. typing into a modal screen's fields.
    ModalAnswer(Action action, Repeat repeat = Once, const QString& window = {})
        : action_(std::move(action)), repeat_(repeat), window_(window) {
        poll_.setInterval(10);
        QObject::connect(&poll_, &QTimer::timeout, [this] { check(); });
        poll_.start();
    }

    ModalAnswer(const ModalAnswer&) = delete;
    ModalAnswer& operator=(const ModalAnswer&) = delete;

    bool seen() const { return !texts_.isEmpty(); }
    int count() const { return static_cast<int>(texts_.size()); }
    // The message text of every window answered, in order.
    QStringList texts() const { return texts_; }
    QString text() const { return texts_.isEmpty() ? QString() : texts_.last(); }

    // Waits (running events) until a window has been answered.
    bool waitSeen(int timeoutMs = 5000) {
        return QTest::qWaitFor([this] { return seen(); }, timeoutMs);
    }

    // Called with the window when it is first seen, before the answer.
    void onSeen(Action look) { look_ = std::move(look); }

    static QStringList leftoverWindows() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QStringList names;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            names << (w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                                : w->objectName());
        }
        return names;
    }

private:
    void check() {
        QWidget* w = QApplication::activeModalWidget();
        if (w == nullptr || !w->isVisible()) {
            return;
        }
        if (!window_.isEmpty() && w->objectName() != window_) {
            return;
        }
        for (const QPointer<QWidget>& done : answered_) {
            if (done == w) {
                return; // answered already, still closing
            }
        }
        answered_.append(w);
        QString text;
        if (auto* panel = w->findChild<QWidget*>(QStringLiteral("메세지"))) {
            text = panel->property("caption").toString();
        }
        texts_.append(text);
        if (repeat_ == Once) {
            poll_.stop();
        }
        if (look_) {
            look_(w);
        }
        action_(w);
    }

    Action action_;
    Action look_;
    Repeat repeat_;
    QString window_;
    QTimer poll_;
    QList<QPointer<QWidget>> answered_;
    QStringList texts_;
};
