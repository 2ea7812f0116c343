#include "components/widgets/mytext.h"

#include "components/widgets/imemode.h"
#include "components/widgets/keycodes.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>

#include <limits>

namespace {

constexpr int kTypeFree = 0;
constexpr int kTypeBusinessNumber = 1;
constexpr int kTypeDigits = 7;
constexpr int kImeModeHangul = 10;

// The code a character key carries: 13 for Enter whatever text the platform
// attaches, otherwise its character; -1 for keys that type nothing.
int characterCode(const QKeyEvent& event) {
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) {
        return keycodes::kEnter;
    }
    const QString text = event.text();
    if (text.size() != 1) {
        return -1;
    }
    // Control with a letter carries the letter's control code (Ctrl+A is 1),
    // as on Windows, so that an editing shortcut is never taken for a typed
    // letter that the input type or a full field would refuse.
    const QChar c = text.at(0);
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (modifiers.testFlag(Qt::ControlModifier) && !modifiers.testFlag(Qt::AltModifier) &&
        c.unicode() < 128 && c.isLetter()) {
        return c.unicode() & 0x1F;
    }
    return c.unicode();
}

} // namespace

MyText::MyText(QWidget* parent) : QLineEdit(parent) {
    // Dropped text is taken like pasted text; dragging out of the field
    // stays off (QLineEdit's default), so every drop comes from elsewhere.
    setAcceptDrops(true);
}

void MyText::setSelStart(int position) {
    setCursorPosition(qBound(0, position, static_cast<int>(text().size())));
}

int MyText::selStart() const {
    return hasSelectedText() ? selectionStart() : cursorPosition();
}

void MyText::setMaxLen(int length) {
    maxLen_ = qMax(0, length);
}

int MyText::maxLen() const {
    return maxLen_;
}

void MyText::setTextType(int type) {
    textType_ = type;
    setInputMethodHints(type == kTypeFree ? Qt::ImhNone : Qt::ImhDigitsOnly | Qt::ImhPreferNumbers);
}

int MyText::textType() const {
    return textType_;
}

void MyText::setCentered(bool centered) {
    setAlignment(centered ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
}

void MyText::setImeMode(int mode) {
    imeMode_ = mode;
}

int MyText::imeMode() const {
    return imeMode_;
}

bool MyText::admits(QChar c) const {
    if (c.unicode() < 32 || c.unicode() == 127) {
        return true; // editing and control keys
    }
    switch (textType_) {
    case kTypeDigits:
        return c >= u'0' && c <= u'9';
    case kTypeBusinessNumber:
        return (c >= u'0' && c <= u'9') || c == u'-';
    default:
        return true;
    }
}

QString MyText::typeAdmitted(const QString& text) const {
    QString kept;
    for (const QChar c : text) {
        if (c.unicode() >= 32 && admits(c)) {
            kept += c;
        }
    }
    return kept;
}

// The limit counts UTF-16 units, as the columns do; a character of two
// units that does not fit whole is left out, never cut in half.
QString MyText::fitted(const QString& kept, int room) {
    qsizetype fits = qMin(kept.size(), qsizetype(room));
    if (fits < kept.size() && fits > 0 && kept.at(fits - 1).isHighSurrogate()) {
        --fits;
    }
    return kept.left(fits);
}

QString MyText::admitted(const QString& typed) const {
    return fitted(typeAdmitted(typed), room());
}

// How many more characters the user may type over the current selection.
int MyText::room() const {
    if (maxLen_ == 0) {
        return std::numeric_limits<int>::max();
    }
    const qsizetype kept = text().size() - selectedText().size();
    return qMax(0, maxLen_ - static_cast<int>(kept));
}

void MyText::pasteAdmitted() {
    insertArriving(QApplication::clipboard()->text());
}

void MyText::insertArriving(const QString& arriving) {
    if (isReadOnly()) {
        return;
    }
    QString text = arriving;
    Q_EMIT textArriving(text);
    const QString kept = typeAdmitted(text);
    if (kept.isEmpty()) {
        return;
    }
    if (maxLen_ == 0) {
        insert(kept);
        Q_EMIT textArrived();
        return;
    }
    // One character at a time, so that whatever a handler makes of the text
    // after each one (the phone field adds its dashes) counts against the
    // limit exactly as it does when typing. At most maxLen_ rounds insert.
    const QPointer<MyText> alive(this);
    for (qsizetype i = 0; i < kept.size() && room() > 0;) {
        const qsizetype units =
            kept.at(i).isHighSurrogate() && i + 1 < kept.size() && kept.at(i + 1).isLowSurrogate()
                ? 2
                : 1;
        if (units > room()) {
            break;
        }
        insert(kept.mid(i, units));
        i += units;
        Q_EMIT textArrived();
        if (alive.isNull() || isReadOnly()) {
            return;
        }
    }
}

void MyText::keyPressEvent(QKeyEvent* event) {
    const int virtualKey = keycodes::virtualKey(*event);
    const int shift = keycodes::shiftState(event->modifiers());

    if (event->matches(QKeySequence::Paste)) {
        pasteAdmitted();
        event->accept();
        Q_EMIT keyUp(virtualKey, shift);
        return;
    }

    // A key that types more than one unit (a character outside the Basic
    // Multilingual Plane) is held to the same limit and input type.
    const QString typed = event->text();
    if (typed.size() > 1 && typed.at(0).unicode() >= 32) {
        const QString kept = admitted(typed);
        if (kept != typed) {
            if (!kept.isEmpty()) {
                insert(kept);
            }
            event->accept();
            Q_EMIT keyUp(virtualKey, shift);
            return;
        }
    }

    const int original = characterCode(*event);
    if (original >= 0) {
        int code = original;
        Q_EMIT keyPress(code);
        const bool printable = code >= 32 && code != 127;
        const bool refused =
            code <= 0 || code > 0xFFFF || (printable && (!admits(QChar(code)) || room() == 0));
        if (refused) {
            event->accept();
            Q_EMIT keyUp(virtualKey, shift);
            return;
        }
        if (code != original) {
            QKeyEvent replaced(event->type(), event->key(), event->modifiers(),
                               QString(QChar(code)), event->isAutoRepeat(), event->count());
            QLineEdit::keyPressEvent(&replaced);
            event->setAccepted(replaced.isAccepted());
            Q_EMIT keyUp(virtualKey, shift);
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
    Q_EMIT keyUp(virtualKey, shift);
}

void MyText::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // Only a move to another widget counts; a window losing activation (a
    // message box coming up, another program) keeps the field's editing open.
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason ||
        reason == Qt::MenuBarFocusReason) {
        return;
    }
    QWidget* next = QApplication::focusWidget();
    if (next != nullptr && next != this) {
        Q_EMIT lostFocus();
    }
}

void MyText::inputMethodEvent(QInputMethodEvent* event) {
    const QString commit = event->commitString();
    if (commit.isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    if (event->replacementStart() != 0 || event->replacementLength() != 0) {
        // A commit that replaces text around the caret (reconversion) keeps
        // the input method's own editing, held to the type and the limit.
        const int caret = cursorPosition();
        const int from = qBound(0, caret + event->replacementStart(), int(text().size()));
        const int to = qBound(from, caret + event->replacementStart() + event->replacementLength(),
                              int(text().size()));
        const int freed = hasSelectedText() ? 0 : to - from;
        const int space = room() == std::numeric_limits<int>::max() ? room() : room() + freed;
        QInputMethodEvent trimmed(event->preeditString(), event->attributes());
        trimmed.setCommitString(fitted(typeAdmitted(commit), space), event->replacementStart(),
                                event->replacementLength());
        QLineEdit::inputMethodEvent(&trimmed);
        event->setAccepted(trimmed.isAccepted());
        if (!trimmed.commitString().isEmpty()) {
            Q_EMIT textArrived();
        }
        return;
    }
    // The committed text goes in first, at the caret, then the input
    // method's new composition (if any) is shown after it.
    insertArriving(commit);
    QInputMethodEvent composing(event->preeditString(), event->attributes());
    QLineEdit::inputMethodEvent(&composing);
    event->accept();
}

void MyText::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The standard paste would bypass the input type and the limit. Its
    // action is known by the shortcut that its text ends with.
    const QString pasteKeys =
        QLatin1Char('\t') + QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
    for (QAction* action : menu->actions()) {
        if (action->text().endsWith(pasteKeys)) {
            disconnect(action, &QAction::triggered, nullptr, nullptr);
            connect(action, &QAction::triggered, this, &MyText::pasteAdmitted);
        }
    }
    menu->popup(event->globalPos());
}

void MyText::mouseReleaseEvent(QMouseEvent* event) {
    // X11 pastes the primary selection on a middle click; QLineEdit would
    // insert it unfiltered. The press has already put the caret there.
    if (event->button() == Qt::MiddleButton && QApplication::clipboard()->supportsSelection()) {
        if (!isReadOnly()) {
            deselect();
            insertArriving(QApplication::clipboard()->text(QClipboard::Selection));
        }
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void MyText::dragEnterEvent(QDragEnterEvent* event) {
    if (isReadOnly() || !event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    QLineEdit::dragEnterEvent(event);
}

void MyText::dragMoveEvent(QDragMoveEvent* event) {
    if (isReadOnly() || !event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    QLineEdit::dragMoveEvent(event);
}

void MyText::dropEvent(QDropEvent* event) {
    const QString dropped = event->mimeData()->text();
    if (isReadOnly() || dropped.isNull()) {
        event->ignore();
        return;
    }
    // Ends the drag's caret as a drag that leaves does.
    QDragLeaveEvent leave;
    QLineEdit::dragLeaveEvent(&leave);
    setCursorPosition(cursorPositionAt(event->position().toPoint()));
    const QPointer<MyText> alive(this);
    const QString before = text();
    insertArriving(dropped);
    // A move lets the source delete its text: only when the field took some.
    if (!alive.isNull() && text() != before) {
        event->acceptProposedAction();
    } else {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

void MyText::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (imeMode_ == kImeModeHangul) {
        // After the event: the platform hands the input context to the
        // field only once the focus change is complete.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (hasFocus()) {
                    imemode::askForHangul(this);
                }
            },
            Qt::QueuedConnection);
    }
}
