#include "dialogs/yesnoform.h"

#include "components/widgets/composition.h"
#include "components/widgets/hotspot.h"
#include "components/widgets/keycodes.h"
#include "components/widgets/twips.h"
#include "dialogs/boxart.h"
#include "util/programwide.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>

namespace {

// Twips.
constexpr int kClientWidth = 10200;
constexpr int kClientHeight = 6525;
constexpr QRect kPanel(360, 300, 9435, 3945);
constexpr QRect kCountdown(9210, 4500, 765, 735);
constexpr QRect kYesArea(60, 5490, 5055, 975);
constexpr QRect kNoArea(5100, 5490, 5055, 975);

// Pixels: the white area holds the panel and the countdown.
constexpr QRect kMessageArea(8, 8, 664, 350);

QRect inPixels(const QRect& twipsRect) {
    return twips::rect(twipsRect.x(), twipsRect.y(), twipsRect.width(), twipsRect.height());
}

} // namespace

YesNoForm::YesNoForm()
    : TimedBox(QStringLiteral("Frm_다이얼로그"),
               Layout{kClientWidth, kClientHeight, kPanel, kCountdown}),
      yes_(new HotSpot(this)), no_(new HotSpot(this)), composition_(new Composition(this)) {
    yes_->setObjectName(QStringLiteral("버튼예"));
    yes_->setGeometry(inPixels(kYesArea));
    no_->setObjectName(QStringLiteral("버튼나가기"));
    no_->setGeometry(inPixels(kNoArea));
    // Any mouse button answers.
    connect(yes_, &HotSpot::released, this, [this] { answer(QStringLiteral("예")); });
    connect(no_, &HotSpot::released, this, [this] { answer(QStringLiteral("아니오")); });
    DialogAnswer.clear();
}

YesNoForm* YesNoForm::openOne() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<YesNoForm*>(window);
        if (dialog != nullptr && !dialog->isClosing()) {
            return dialog;
        }
    }
    return nullptr;
}

void YesNoForm::answer(const QString& text) {
    if (isClosing()) {
        return;
    }
    composition_->complete();
    DialogAnswer = text;
    finish();
}

void YesNoForm::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    boxart::paintFrame(painter, rect(), kMessageArea);
    // The areas overlap by a pixel; each bar stays inside its own area.
    boxart::paintBar(painter, yes_->geometry().adjusted(2, 0, -3, -4), boxart::kConfirmBar,
                     boxart::Mark::Check, QStringLiteral("확인(Enter)"));
    boxart::paintBar(painter, no_->geometry().adjusted(3, 0, -2, -4), boxart::kCloseBar,
                     boxart::Mark::Cross, QStringLiteral("닫기(Esc)"));
}

void YesNoForm::keyPressEvent(QKeyEvent* event) {
    event->accept();
    const int key = keycodes::virtualKey(*event);
    if (key == keycodes::kEnter) {
        answer(QStringLiteral("예"));
    } else if (key == keycodes::kEscape) {
        answer(QStringLiteral("아니요"));
    }
}
