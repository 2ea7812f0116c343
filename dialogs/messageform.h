#pragma once
// The message box `Frm_메세지`: a message, a countdown in the lower right
// corner and the OK area `버튼확인` over the bottom bar. OK and Escape close
// it; every other key is ignored.

#include "dialogs/timedbox.h"

class HotSpot;

class MessageForm : public TimedBox {
    Q_OBJECT
public:
    // The box that is open now, or a freshly loaded one: there is only ever
    // one message box.
    static MessageForm* openOrLoad();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    MessageForm();

    HotSpot* ok_;
};
