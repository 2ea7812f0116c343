#pragma once
// Text field used by every entry screen. Besides QLineEdit it offers the
// events the screens hook: focus loss, a key event after the text changed
// and a character-key event whose code a handler can clear to drop the key.
//
// The length limit and the input type apply to what the user types or
// pastes; text set by the program is taken as it is, never cut. Text that
// arrives other than by a key (paste by key or menu, middle click, drop,
// input method) takes one road: textArriving may rewrite it, the input type
// and the limit filter it, and it goes in as if typed one character at a
// time, textArrived following each, so that a handler that reformats after
// every key sees the same steps and ends with the same text.

#include <QLineEdit>

class MyText : public QLineEdit {
    Q_OBJECT
public:
    explicit MyText(QWidget* parent = nullptr);

    // Caret position, 0 before the first character; positions past the end
    // put the caret after the last character (the screens pass length + 1).
    void setSelStart(int position);
    int selStart() const;

    // 0 = no limit.
    void setMaxLen(int length);
    int maxLen() const;

    // 0 free text; 7 digits only; 1 business number (digits and dash).
    void setTextType(int type);
    int textType() const;

    void setCentered(bool centered);

    // 10 asks for Hangul input on entering the field where the platform
    // can be told; 0 leaves the input mode alone.
    void setImeMode(int mode);
    int imeMode() const;

Q_SIGNALS:
    // Focus moved to another widget that takes it (not raised when the
    // window merely loses activation, e.g. to a message box).
    void lostFocus();
    // A key pressed in the field, raised after the text has changed.
    // keyCode is the Windows virtual-key code (13 Enter, 27 Escape, ...);
    // shift is a bit set: 1 Shift, 2 Ctrl, 4 Alt.
    void keyUp(int keyCode, int shift);
    // A character key, before it reaches the text. Handlers connected
    // directly may set keyAscii to 0 to discard the key (Enter is 13), or
    // to another character code to type that one instead.
    void keyPress(int& keyAscii);
    // Text about to come in by paste, drop or input method, before the input
    // type and the limit apply. Handlers connected directly may rewrite it.
    void textArriving(QString& text);
    // Raised after each character of such text went in, as keyUp is after
    // a key.
    void textArrived();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    bool admits(QChar c) const;
    QString admitted(const QString& typed) const;
    int room() const;
    QString typeAdmitted(const QString& text) const;
    static QString fitted(const QString& kept, int room);
    void pasteAdmitted();
    void insertArriving(const QString& arriving);

    int maxLen_ = 0;
    int textType_ = 0;
    int imeMode_ = 0;
};
