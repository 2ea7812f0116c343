#include "dialogs/messageform.h"

#include "components/widgets/hotspot.h"
#include "components/widgets/keycodes.h"
#include "components/widgets/twips.h"
#include "dialogs/boxart.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>

namespace {

// Twips.
constexpr int kClientWidth = 10200;
constexpr int kClientHeight = 6510;
constexpr QRect kPanel(360, 270, 9435, 4065);
constexpr QRect kCountdown(8790, 4530, 1185, 735);
constexpr QRect kOkArea(30, 5490, 10125, 1005);

// Pixels: the white area holds the panel and the countdown.
constexpr QRect kMessageArea(8, 8, 664, 350);

} // namespace

MessageForm::MessageForm()
    : TimedBox(QStringLiteral("Frm_메세지"),
               Layout{kClientWidth, kClientHeight, kPanel, kCountdown}),
      ok_(new HotSpot(this)) {
    ok_->setObjectName(QStringLiteral("버튼확인"));
    ok_->setGeometry(twips::rect(kOkArea.x(), kOkArea.y(), kOkArea.width(), kOkArea.height()));
    connect(ok_, &HotSpot::clicked, this, &MessageForm::finish);
}

MessageForm* MessageForm::openOrLoad() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<MessageForm*>(window);
        if (box != nullptr && !box->isClosing()) {
            return box;
        }
    }
    return new MessageForm();
}

void MessageForm::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    boxart::paintFrame(painter, rect(), kMessageArea);
    // The bar sits just inside the OK area, so every click on it lands there.
    boxart::paintBar(painter, ok_->geometry().adjusted(4, 0, -4, -4), boxart::kCloseBar,
                     boxart::Mark::Cross, QStringLiteral("닫기(Esc)"));
}

void MessageForm::keyPressEvent(QKeyEvent* event) {
    event->accept();
    if (keycodes::virtualKey(*event) == keycodes::kEscape) {
        finish();
    }
}
