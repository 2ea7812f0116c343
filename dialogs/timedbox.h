#pragma once
// What the message box and the yes/no dialog share: a frameless window with
// a message panel `메세지`, a countdown label `카운트다운` whose caption holds
// the seconds left, and the one-second timer `타이머카운터` that drives it.
// Each box is placed when it is loaded (constructed) and deletes itself when
// it closes.

#include <QDialog>

class CaptionPanel;
class MyLabel;
class QTimer;

class TimedBox : public QDialog {
    Q_OBJECT
public:
    // Sets up the countdown: seconds above 0 counts down from them, 0 from
    // the standard 10, below 0 stops it. The countdown starts afresh.
    void setCountdown(qint16 seconds);
    void setMessage(const QString& text);
    QString message() const;

    // True once the box has started closing; it takes no further calls.
    bool isClosing() const { return closing_; }
    // True while the box is shown modally (its caller waits in exec()).
    bool isWaitedOn() const;

protected:
    // Geometry in twips, converted here.
    struct Layout {
        int clientWidth;
        int clientHeight;
        QRect panel;
        QRect countdown;
    };
    TimedBox(const QString& objectName, const Layout& layout);

    // Hides and closes the box, then lets pending window events run.
    void finish();

    void closeEvent(QCloseEvent* event) override;

private:
    void tick();

    CaptionPanel* panel_;
    MyLabel* countdown_;
    QTimer* timer_;
    bool closing_ = false;
};
