#pragma once
// The yes/no dialog `Frm_다이얼로그`: a question, a countdown, and the answer
// areas `버튼예` (left) and `버튼나가기` (right) over the bottom bars. The
// answer goes to DialogAnswer, which every load empties.

#include "dialogs/timedbox.h"

class Composition;
class HotSpot;

class YesNoForm : public TimedBox {
    Q_OBJECT
public:
    // Loads the dialog (placement, empty answer).
    YesNoForm();

    // The dialog that is open now, if any.
    static YesNoForm* openOne();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void answer(const QString& text);

    HotSpot* yes_;
    HotSpot* no_;
    Composition* composition_ = nullptr;
};
