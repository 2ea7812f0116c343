#include "components/widgets/hotspot.h"
#include "components/widgets/mytext.h"
#include "util/phone.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

namespace {

// A window with two fields and a hot spot, as the entry screens have them.
struct Screen {
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    MyText* first = new MyText(window.get());
    MyText* second = new MyText(window.get());
    HotSpot* spot = new HotSpot(window.get());

    Screen() {
        auto* layout = new QVBoxLayout(window.get());
        layout->addWidget(first);
        layout->addWidget(second);
        spot->setMinimumSize(80, 40);
        layout->addWidget(spot);
        window->show();
        window->activateWindow();
        first->setFocus();
    }
};

// The phone field as the registration screen wires it: digits, nine
// characters, dashes added after each key or arriving character.
struct PhoneField {
    QWidget window;
    MyText* field = new MyText(&window);

    PhoneField() {
        field->setTextType(7);
        field->setMaxLen(9);
        const auto format = [this] {
            if (field->text().size() >= 7) {
                field->setText(FormatPhoneNumber(field->text()));
            }
            field->setSelStart(static_cast<int>(field->text().size()) + 1);
        };
        QObject::connect(field, &MyText::keyUp, field, format);
        QObject::connect(field, &MyText::textArrived, field, format);
        QObject::connect(field, &MyText::textArriving, field, [](QString& text) {
            text = LocalPartOfWholeNumber(text, QStringLiteral("010-"));
        });
        field->setGeometry(0, 0, 300, 40);
        window.resize(320, 60);
    }
};

enum class Route { CtrlV, ShiftInsert, ContextMenu, MiddleClick, Drop, InputMethod };

// Triggers the paste action of the field's context menu, found by the
// shortcut its text ends with, as an operator picks it.
bool pasteThroughMenu(MyText* field) {
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(2, 2),
                                field->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(field, &menuEvent);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) {
        return false;
    }
    const QString pasteKeys =
        QLatin1Char('\t') + QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
    bool found = false;
    for (QAction* action : menu->actions()) {
        if (action->text().endsWith(pasteKeys)) {
            action->trigger();
            found = true;
        }
    }
    menu->close();
    return found;
}

// Puts text into the field the way the route does; false when this
// platform does not offer the route. A drop proposes a move, as a text
// dragged out of another program does; `dropped` gets the action taken.
bool arrive(MyText* field, Route route, const QString& text, Qt::DropAction* dropped = nullptr) {
    switch (route) {
    case Route::CtrlV:
        QApplication::clipboard()->setText(text);
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        return true;
    case Route::ShiftInsert:
        QApplication::clipboard()->setText(text);
        QTest::keyClick(field, Qt::Key_Insert, Qt::ShiftModifier);
        return true;
    case Route::ContextMenu:
        QApplication::clipboard()->setText(text);
        return pasteThroughMenu(field);
    case Route::MiddleClick:
        if (!QApplication::clipboard()->supportsSelection()) {
            return false;
        }
        QApplication::clipboard()->setText(text, QClipboard::Selection);
        QTest::mouseClick(field, Qt::MiddleButton, {}, QPoint(field->width() - 2, 5));
        return true;
    case Route::Drop: {
        QMimeData data;
        data.setText(text);
        const QPointF at(field->width() - 2, 5);
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        // Shift proposes the move.
        QDragEnterEvent enter(at.toPoint(), actions, &data, Qt::LeftButton, Qt::ShiftModifier);
        QApplication::sendEvent(field, &enter);
        if (!enter.isAccepted()) {
            return true; // refused: the text stays as it was, which the test sees
        }
        QDropEvent drop(at, actions, &data, Qt::LeftButton, Qt::ShiftModifier);
        QApplication::sendEvent(field, &drop);
        if (dropped != nullptr) {
            *dropped = drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
        }
        return true;
    }
    case Route::InputMethod: {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(field, &commit);
        return true;
    }
    }
    return false;
}

} // namespace

Q_DECLARE_METATYPE(Route)

class TestMyText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void keyEventComesAfterTheTextChanged() {
        MyText field;
        QStringList seen;
        QList<int> codes;
        QList<int> shifts;
        connect(&field, &MyText::keyUp, &field, [&](int code, int shift) {
            seen << field.text();
            codes << code;
            shifts << shift;
        });
        QTest::keyClick(&field, Qt::Key_1);
        QTest::keyClick(&field, 'A', Qt::ShiftModifier);
        QTest::keyClick(&field, Qt::Key_Backspace);
        QTest::keyClick(&field, Qt::Key_Escape);
        // The Shift key itself is a key of the field as well.
        QCOMPARE(seen, (QStringList{"1", "1", "1A", "1", "1"}));
        QCOMPARE(codes, (QList<int>{49, 16, 65, 8, 27}));
        QCOMPARE(shifts, (QList<int>{0, 1, 1, 0, 0}));
    }

    // The registration screen formats the number in the key event; the field
    // must show the new text and keep the caret at the end.
    void keyEventHandlerMayRewriteTheText() {
        MyText field;
        field.setMaxLen(9);
        field.setTextType(7);
        connect(&field, &MyText::keyUp, &field, [&](int, int) {
            if (field.text() == QLatin1String("1234567")) {
                field.setText(QStringLiteral("123-4567"));
                field.setSelStart(static_cast<int>(field.text().size()) + 1);
            }
        });
        QTest::keyClicks(&field, QStringLiteral("12345678"));
        QCOMPARE(field.text(), QStringLiteral("123-45678"));
        QCOMPARE(field.cursorPosition(), 9);
    }

    void characterCodeCanBeDiscardedOrReplaced() {
        QWidget parent;
        auto* field = new MyText(&parent);
        QSignalSpy returns(field, &QLineEdit::returnPressed);
        QList<int> codes;
        int replaceWith = -1;
        connect(field, &MyText::keyPress, field, [&](int& code) {
            codes << code;
            if (code == 13) {
                code = 0;
            } else if (replaceWith >= 0) {
                code = replaceWith;
            }
        });
        QSignalSpy keyUps(field, &MyText::keyUp);
        QTest::keyClick(field, Qt::Key_Return);
        QTest::keyClick(field, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(returns.count(), 0);
        QCOMPARE(codes, (QList<int>{13, 13}));
        QCOMPARE(keyUps.count(), 2); // a discarded key still raises its key event
        QCOMPARE(keyUps.at(0).at(0).toInt(), 13);

        QTest::keyClick(field, Qt::Key_A);
        replaceWith = 'B';
        QTest::keyClick(field, Qt::Key_C);
        replaceWith = 0;
        QTest::keyClick(field, Qt::Key_D);
        QCOMPARE(field->text(), QStringLiteral("aB"));
        // Keys that type nothing raise no character event.
        codes.clear();
        QTest::keyClick(field, Qt::Key_Left);
        QTest::keyClick(field, Qt::Key_Shift);
        QVERIFY(codes.isEmpty());
    }

    void enterReachesTheWindowWhenNotDiscarded() {
        MyText field;
        QSignalSpy returns(&field, &QLineEdit::returnPressed);
        QTest::keyClick(&field, Qt::Key_Return);
        QCOMPARE(returns.count(), 1);
    }

    void inputTypesFilterWhatIsTypedOrPasted() {
        MyText digits;
        digits.setTextType(7);
        QTest::keyClicks(&digits, QStringLiteral("a1-2 x3"));
        QCOMPARE(digits.text(), QStringLiteral("123"));
        QApplication::clipboard()->setText(QStringLiteral("4a-5"));
        QTest::keySequence(&digits, QKeySequence::Paste);
        QCOMPARE(digits.text(), QStringLiteral("12345"));
        QInputMethodEvent ime;
        ime.setCommitString(QStringLiteral("가6"));
        QApplication::sendEvent(&digits, &ime);
        QCOMPARE(digits.text(), QStringLiteral("123456"));
        // The program may put anything there (a formatted number with a dash).
        digits.setText(QStringLiteral("1234-5678"));
        QCOMPARE(digits.text(), QStringLiteral("1234-5678"));

        // The context menu's paste filters as well.
        digits.clear();
        digits.show();
        QVERIFY(QTest::qWaitForWindowExposed(&digits));
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(2, 2),
                                    digits.mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(&digits, &menuEvent);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu != nullptr);
        const QString pasteKeys =
            QLatin1Char('\t') +
            QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
        for (QAction* action : menu->actions()) {
            if (action->text().endsWith(pasteKeys)) {
                action->trigger();
            }
        }
        menu->close();
        QCOMPARE(digits.text(), QStringLiteral("45"));
        digits.hide();

        MyText business;
        business.setTextType(1);
        QTest::keyClicks(&business, QStringLiteral("12-3a"));
        QCOMPARE(business.text(), QStringLiteral("12-3"));

        MyText free;
        QTest::keyClicks(&free, QStringLiteral("a1-"));
        QInputMethodEvent hangul;
        hangul.setCommitString(QStringLiteral("가"));
        QApplication::sendEvent(&free, &hangul);
        QCOMPARE(free.text(), QStringLiteral("a1-가"));
    }

    void lengthLimitAppliesToTypingOnly() {
        MyText field;
        field.setMaxLen(4);
        QTest::keyClicks(&field, QStringLiteral("abcdef"));
        QCOMPARE(field.text(), QStringLiteral("abcd"));
        // Typing over a selection replaces it within the limit.
        field.selectAll();
        QTest::keyClicks(&field, QStringLiteral("xy"));
        QCOMPARE(field.text(), QStringLiteral("xy"));
        QApplication::clipboard()->setText(QStringLiteral("12345"));
        QTest::keySequence(&field, QKeySequence::Paste);
        QCOMPARE(field.text(), QStringLiteral("xy12"));
        QInputMethodEvent ime;
        ime.setCommitString(QStringLiteral("가"));
        QApplication::sendEvent(&field, &ime);
        QCOMPARE(field.text(), QStringLiteral("xy12"));

        // A character of two UTF-16 units goes in whole or not at all, typed
        // or pasted.
        QKeyEvent wide(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("😀"));
        field.setText(QStringLiteral("abc"));
        field.end(false);
        QApplication::sendEvent(&field, &wide);
        QCOMPARE(field.text(), QStringLiteral("abc"));
        QApplication::clipboard()->setText(QStringLiteral("😀"));
        QTest::keySequence(&field, QKeySequence::Paste);
        QCOMPARE(field.text(), QStringLiteral("abc"));
        QTest::keyClick(&field, Qt::Key_Backspace);
        QApplication::sendEvent(&field, &wide);
        QCOMPARE(field.text(), QStringLiteral("ab😀"));

        // Text set by the program is not cut, and can still be shortened.
        field.setText(QStringLiteral("0123456789"));
        QCOMPARE(field.text(), QStringLiteral("0123456789"));
        field.end(false);
        QTest::keyClick(&field, Qt::Key_Backspace);
        QCOMPARE(field.text(), QStringLiteral("012345678"));
        QTest::keyClick(&field, Qt::Key_Z);
        QCOMPARE(field.text(), QStringLiteral("012345678"));

        field.setMaxLen(0);
        QTest::keyClick(&field, Qt::Key_Z);
        QCOMPARE(field.text(), QStringLiteral("012345678z"));
    }

    // Whatever way text comes in, the phone field ends as if the digits had
    // been typed: filtered, held to nine characters, dashed, and a whole
    // mobile number reduced to its local part.
    void everyRouteEndsAsTyping_data() {
        QTest::addColumn<Route>("route");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("arriving");
        QTest::addColumn<QString>("after");
        const QList<std::pair<const char*, Route>> routes{{"ctrl+v", Route::CtrlV},
                                                          {"shift+insert", Route::ShiftInsert},
                                                          {"context menu", Route::ContextMenu},
                                                          {"middle click", Route::MiddleClick},
                                                          {"drop", Route::Drop},
                                                          {"input method", Route::InputMethod}};
        for (const auto& [name, route] : routes) {
            const auto row = [&](const char* what) {
                return &QTest::newRow(qPrintable(
                    QStringLiteral("%1: %2").arg(QLatin1String(name), QLatin1String(what))));
            };
            *row("whole number dashed") << route << QString() << "010-1234-5678"
                                        << "1234-5678";
            *row("whole number bare") << route << QString() << "01012345678"
                                      << "1234-5678";
            *row("whole number spaced") << route << QString() << " 010 1234 5678 "
                                        << "1234-5678";
            *row("whole seven-digit number") << route << QString() << "010-123-4567"
                                             << "123-4567";
            *row("local part") << route << QString() << "1234-5678"
                               << "1234-5678";
            *row("seven digits") << route << QString() << "1234567"
                                 << "123-4567";
            *row("too long") << route << QString() << "123456789012"
                             << "1234-5678";
            *row("letters and Hangul") << route << QString() << "a1가2-3\n"
                                       << "123";
            *row("onto typed digits") << route << "123"
                                      << "45678"
                                      << "1234-5678";
            *row("onto a full field") << route << "1234-5678"
                                      << "9"
                                      << "1234-5678";
            *row("whole number onto digits") << route << "12"
                                             << "010-1234-5678"
                                             << "1212-3456";
        }
    }
    void everyRouteEndsAsTyping() {
        QFETCH(Route, route);
        QFETCH(QString, before);
        QFETCH(QString, arriving);
        QFETCH(QString, after);
        PhoneField phone;
        phone.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&phone.window));
        phone.field->setFocus();
        QTest::keyClicks(phone.field, before);
        QSignalSpy arrived(phone.field, &MyText::textArrived);
        Qt::DropAction dropped = Qt::IgnoreAction;
        if (!arrive(phone.field, route, arriving, &dropped)) {
            QSKIP("this platform has no such route");
        }
        QCOMPARE(phone.field->text(), after);
        QCOMPARE(phone.field->cursorPosition(), after.size());
        if (after != before) {
            QVERIFY(arrived.count() > 0);
        }
        // The source deletes a moved text: only when the field kept some.
        if (route == Route::Drop) {
            QCOMPARE(dropped, after != before ? Qt::MoveAction : Qt::CopyAction);
        }
    }

    void freeTextArrivesWithinItsLimit() {
        QWidget window;
        auto* name = new MyText(&window);
        name->setMaxLen(5);
        name->setGeometry(0, 0, 200, 30);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        int arriving = 0;
        connect(name, &MyText::textArriving, name, [&](QString&) { ++arriving; });
        for (const Route route : {Route::CtrlV, Route::ContextMenu, Route::Drop, Route::InputMethod,
                                  Route::MiddleClick}) {
            name->clear();
            if (arrive(name, route, QStringLiteral("김\t철수 씨입니다"))) {
                QCOMPARE(name->text(), QStringLiteral("김철수 씨"));
            }
        }
        QVERIFY(arriving >= 4);

        // A handler's rewrite is what goes in; a read-only field takes nothing.
        connect(name, &MyText::textArriving, name, [](QString& text) { text = text.toUpper(); });
        name->clear();
        arrive(name, Route::CtrlV, QStringLiteral("abc"));
        QCOMPARE(name->text(), QStringLiteral("ABC"));
        name->setReadOnly(true);
        arrive(name, Route::ContextMenu, QStringLiteral("d"));
        arrive(name, Route::Drop, QStringLiteral("e"));
        arrive(name, Route::InputMethod, QStringLiteral("f"));
        QCOMPARE(name->text(), QStringLiteral("ABC"));

        // Without a limit the text goes in whole, in one step.
        MyText address;
        QSignalSpy arrived(&address, &MyText::textArrived);
        arrive(&address, Route::InputMethod, QString(200, u'가'));
        QCOMPARE(address.text(), QString(200, u'가'));
        QCOMPARE(arrived.count(), 1);
    }

    // A committed syllable goes in at the caret; the composition that
    // follows it is shown, not yet part of the text.
    void inputMethodCommitKeepsTheComposition() {
        MyText field;
        field.setMaxLen(3);
        field.setText(QStringLiteral("가"));
        field.end(false);
        QInputMethodEvent composing(QStringLiteral("ㄴ"), {});
        composing.setCommitString(QStringLiteral("나"));
        QApplication::sendEvent(&field, &composing);
        QCOMPARE(field.text(), QStringLiteral("가나"));
        QInputMethodEvent done;
        done.setCommitString(QStringLiteral("다라"));
        QApplication::sendEvent(&field, &done);
        QCOMPARE(field.text(), QStringLiteral("가나다"));
        // A reconversion replacing the text before the caret is held to the limit too.
        QInputMethodEvent replace;
        replace.setCommitString(QStringLiteral("마바사아"), -1, 1);
        QApplication::sendEvent(&field, &replace);
        QCOMPARE(field.text(), QStringLiteral("가나마"));
    }

    // Editing shortcuts are not letters: they work in a digits field and in
    // a full one, and the character event sees their control code.
    void shortcutsAreNotTypedLetters() {
        MyText field;
        field.setTextType(7);
        field.setMaxLen(9);
        field.setText(QStringLiteral("1234-5678"));
        QList<int> codes;
        connect(&field, &MyText::keyPress, &field, [&](int& code) { codes << code; });
        QTest::keyClick(&field, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(field.selectedText(), QStringLiteral("1234-5678"));
        QTest::keyClick(&field, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("1234-5678"));
        QTest::keyClick(&field, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(field.text(), QString());
        QTest::keyClick(&field, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(field.text(), QStringLiteral("1234-5678"));
        QCOMPARE(codes, (QList<int>{1, 3, 24, 26}));
        // Letters themselves stay refused.
        field.clear();
        QTest::keyClicks(&field, QStringLiteral("a1"));
        QCOMPARE(field.text(), QStringLiteral("1"));
    }

    void selectionStartPlacesTheCaret() {
        MyText field;
        field.setText(QStringLiteral("1234-5678"));
        field.setSelStart(0);
        QCOMPARE(field.selStart(), 0);
        field.setSelStart(10);
        QCOMPARE(field.cursorPosition(), 9);
        QCOMPARE(field.selStart(), 9);
        QTest::keyClick(&field, Qt::Key_9);
        QCOMPARE(field.text(), QStringLiteral("1234-56789"));
    }

    void focusLossOnlyWhenAnotherWidgetTakesIt() {
        Screen screen;
        QVERIFY(QTest::qWaitForWindowActive(screen.window.get()));
        QTRY_VERIFY(screen.first->hasFocus());
        QSignalSpy lost(screen.first, &MyText::lostFocus);

        // A hot spot never takes the focus.
        QTest::mouseClick(screen.spot, Qt::LeftButton);
        QVERIFY(screen.first->hasFocus());
        QCOMPARE(lost.count(), 0);

        // Another window coming up (a message box) is not a focus loss.
        {
            QWidget other;
            auto* otherField = new MyText(&other);
            other.show();
            other.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&other));
            otherField->setFocus();
            QTRY_VERIFY(otherField->hasFocus());
        }
        screen.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(screen.window.get()));
        QTRY_VERIFY(screen.first->hasFocus());
        QCOMPARE(lost.count(), 0);

        QTest::keyClick(screen.first, Qt::Key_Tab);
        QVERIFY(screen.second->hasFocus());
        QCOMPARE(lost.count(), 1);
        screen.first->setFocus();
        QTest::mouseClick(screen.second, Qt::LeftButton);
        QCOMPARE(lost.count(), 2);
    }

    void hotSpotReportsEveryButtonReleasedOverIt() {
        QWidget window;
        auto* spot = new HotSpot(&window);
        spot->setGeometry(10, 10, 100, 50);
        window.resize(200, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy released(spot, &HotSpot::released);
        QSignalSpy clicked(spot, &HotSpot::clicked);
        QTest::mouseClick(spot, Qt::RightButton);
        QTest::mouseClick(spot, Qt::LeftButton);
        QCOMPARE(released.count(), 2);
        QCOMPARE(released.at(0).at(0).value<Qt::MouseButton>(), Qt::RightButton);
        QCOMPARE(clicked.count(), 1);
        // Pressed on it, let go outside: nothing.
        QTest::mousePress(spot, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(spot, Qt::LeftButton, {}, QPoint(150, 5));
        QCOMPARE(released.count(), 2);
        QCOMPARE(spot->focusPolicy(), Qt::NoFocus);
    }
};

QTEST_MAIN(TestMyText)
#include "tst_mytext.moc"
