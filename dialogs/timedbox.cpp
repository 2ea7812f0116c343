#include "dialogs/timedbox.h"

#include "components/widgets/mylabel.h"
#include "components/widgets/twips.h"
#include "dialogs/boxart.h"
#include "dialogs/captionpanel.h"
#include "dialogs/placement.h"
#include "util/programwide.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QTimer>

namespace {

constexpr int kTickMs = 1000;
constexpr int kStandardSeconds = 10;
constexpr int kMessagePixels = 21; // 15.75 pt at 96 dpi

QRect inPixels(const QRect& twipsRect) {
    return twips::rect(twipsRect.x(), twipsRect.y(), twipsRect.width(), twipsRect.height());
}

} // namespace

TimedBox::TimedBox(const QString& objectName, const Layout& layout)
    : QDialog(nullptr, Qt::Dialog | Qt::FramelessWindowHint), panel_(new CaptionPanel(this)),
      countdown_(new MyLabel(this)), timer_(new QTimer(this)) {
    setObjectName(objectName);
    setWindowTitle(QString());
    setAttribute(Qt::WA_DeleteOnClose);
    // No widget of the box takes the focus, so every key reaches the box.
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(twips::size(layout.clientWidth, layout.clientHeight));

    panel_->setObjectName(QStringLiteral("메세지"));
    panel_->setGeometry(inPixels(layout.panel));
    panel_->setFont(boxart::textFont(kMessagePixels));
    QPalette text = panel_->palette();
    text.setColor(QPalette::WindowText, boxart::kText);
    panel_->setPalette(text);

    countdown_->setObjectName(QStringLiteral("카운트다운"));
    countdown_->setGeometry(inPixels(layout.countdown));
    countdown_->setFont(boxart::countdownFont());
    countdown_->setAlignment(Qt::AlignCenter);
    QPalette number = countdown_->palette();
    number.setColor(QPalette::WindowText, boxart::kCountdown);
    countdown_->setPalette(number);
    countdown_->setCaption(QStringLiteral("30"));
    countdown_->setVisible(false);

    timer_->setObjectName(QStringLiteral("타이머카운터"));
    timer_->setInterval(kTickMs);
    // A coarse timer may fire early; the box must not close before its time.
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, &TimedBox::tick);

    // Over the registration screen once start-up has finished, otherwise
    // (or when that screen is gone) in the middle of the screen.
    if (MainScreenReady && MainScreen) {
        CenterOnForm(MainScreen, this);
    } else {
        PlaceForm(this, QString(), QString());
    }
}

void TimedBox::setCountdown(qint16 seconds) {
    if (seconds < 0) {
        timer_->stop();
        return;
    }
    countdown_->setCaption(QString::number(seconds > 0 ? seconds : kStandardSeconds));
    timer_->start();
}

void TimedBox::setMessage(const QString& text) {
    panel_->setCaption(text);
}

QString TimedBox::message() const {
    return panel_->caption();
}

bool TimedBox::isWaitedOn() const {
    return isVisible() && isModal();
}

void TimedBox::tick() {
    countdown_->setVisible(true);
    countdown_->setCaption(QString::number(countdown_->caption().toInt() - 1));
    if (countdown_->caption().toInt() < 1) {
        timer_->stop();
        finish();
    }
}

void TimedBox::finish() {
    if (closing_) {
        return;
    }
    closing_ = true;
    timer_->stop();
    hide();
    close();
    // Let the windows underneath repaint before the caller goes on; user
    // input waits until the caller is back in its own event loop.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TimedBox::closeEvent(QCloseEvent* event) {
    // Only the box itself closes: OK, Escape, an answer or the countdown.
    // A window manager's close request is refused.
    if (event->spontaneous() && !closing_) {
        event->ignore();
        return;
    }
    event->accept();
}
