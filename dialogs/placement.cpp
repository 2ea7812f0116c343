#include "dialogs/placement.h"

#include "components/twips.h"
#include "dialogs/windowframe.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <functional>
#include <utility>

namespace placement {

TwipsPoint onScreen(float formWidth, float formHeight, float screenWidth, float screenHeight,
                    const QString& vertical, const QString& horizontal) {
    TwipsPoint at{};
    at.top = vertical == QLatin1String("TOP") ? 0.0f : (screenHeight - formHeight) / 2.0f;
    if (horizontal == QStringLiteral("좌")) {
        at.left = 0.0f;
    } else if (horizontal == QStringLiteral("우")) {
        at.left = screenWidth - formWidth;
    } else {
        at.left = (screenWidth - formWidth) / 2.0f;
    }
    return at;
}

TwipsPoint overAnchor(const TwipsRect& anchor, float formWidth, float formHeight) {
    return TwipsPoint{anchor.left + (anchor.width - formWidth) / 2.0f,
                      anchor.top + (anchor.height - formHeight) / 2.0f};
}

} // namespace placement

namespace {

float inTwips(int pixels) {
    return static_cast<float>(twips::fromPixels(pixels));
}

struct Frame {
    QMargins margins;
    bool shown = false; // margins read off the window as it stands
};

bool isFramed(const QWidget* widget) {
    return widget->isWindow() && !widget->windowFlags().testFlag(Qt::FramelessWindowHint) &&
           widget->windowType() != Qt::Popup && widget->windowType() != Qt::ToolTip;
}

bool isOnScreen(const QWidget* widget) {
    const QWindow* window = widget->windowHandle();
    return widget->isVisible() && window != nullptr && window->isExposed();
}

// The frame of another window of the program that is on screen: the window
// manager frames the program's windows alike.
std::optional<QMargins> frameOfShownWindow(const QWidget* except) {
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const QWidget* window : windows) {
        if (window != except && isFramed(window) && isOnScreen(window)) {
            if (const QMargins margins = window->windowHandle()->frameMargins();
                !margins.isNull()) {
                return margins;
            }
        }
    }
    return std::nullopt;
}

Frame frameOf(QWidget* widget) {
    if (!isFramed(widget)) {
        return {QMargins(), true};
    }
    if (isOnScreen(widget)) {
        return {widget->windowHandle()->frameMargins(), true};
    }
    if (const auto shown = frameOfShownWindow(widget)) {
        return {*shown, false};
    }
    // The program's first window: its native window lets the platform tell
    // the frame before it is shown (Windows from the window style, X11 by
    // asking the window manager). Not done while another window is shown:
    // under X11 that left the shown window's later paints unseen (a photo
    // set while the camera screen was open never appeared).
    widget->winId();
    QWindow* window = widget->windowHandle();
    if (window == nullptr) {
        return {QMargins(), false};
    }
    if (const QMargins margins = window->frameMargins(); !margins.isNull()) {
        return {margins, false};
    }
    return {AskFrameOfHiddenWindow(window).value_or(QMargins()), false};
}

// A window's outer rectangle, frame included, as the placement sees it.
QRect outerRect(QWidget* widget) {
    if (!widget->isWindow()) {
        return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
    }
    return widget->geometry().marginsAdded(frameOf(widget).margins);
}

// Puts the frame's top-left corner at outer + the offset in twips. The
// window is given its inner position, which every platform honours the
// same way whether or not the window is shown yet.
void moveTo(QWidget* form, const QMargins& frame, const placement::TwipsPoint& at,
            const QPoint& origin) {
    const QPoint outer(origin.x() + twips::toPixels(at.left), origin.y() + twips::toPixels(at.top));
    form->setGeometry(QRect(outer + QPoint(frame.left(), frame.top()), form->size()));
}

// Places a window again when it first appears if its frame turns out other
// than the one it was placed with (a window manager that could not tell in
// advance).
class FirstShowCheck : public QObject {
public:
    FirstShowCheck(QWidget* form, const QMargins& used, std::function<void()> placeAgain)
        : QObject(form), form_(form), used_(used), placeAgain_(std::move(placeAgain)) {
        setObjectName(QStringLiteral("placementFirstShowCheck"));
        form->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != form_ || !isShowing(event->type()) || !isOnScreen(form_)) {
            return false;
        }
        const QMargins real = form_->windowHandle()->frameMargins();
        if (real.isNull() && !used_.isNull()) {
            return false; // the window manager has not framed it yet
        }
        form_->removeEventFilter(this);
        deleteLater();
        if (real != used_ && placeAgain_) {
            placeAgain_();
        }
        return false;
    }

private:
    static bool isShowing(QEvent::Type type) {
        return type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize ||
               type == QEvent::Paint || type == QEvent::UpdateRequest;
    }

    QWidget* form_;
    QMargins used_;
    std::function<void()> placeAgain_;
};

void checkOnFirstShow(QWidget* form, const Frame& frame, std::function<void()> placeAgain) {
    if (frame.shown) {
        return;
    }
    // Only the latest placement counts.
    delete form->findChild<FirstShowCheck*>(QStringLiteral("placementFirstShowCheck"),
                                            Qt::FindDirectChildrenOnly);
    new FirstShowCheck(form, frame.margins, std::move(placeAgain));
}

} // namespace

void PlaceForm(QWidget* form, const QString& vertical, const QString& horizontal) {
    if (form == nullptr) {
        return;
    }
    if (form->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) {
        return;
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    // The whole display, taskbar included.
    const QRect display = screen->geometry();
    const Frame frame = frameOf(form);
    const QSize outer = form->size().grownBy(frame.margins);
    const placement::TwipsPoint at = placement::onScreen(
        inTwips(outer.width()), inTwips(outer.height()), inTwips(display.width()),
        inTwips(display.height()), vertical, horizontal);
    moveTo(form, frame.margins, at, display.topLeft());
    checkOnFirstShow(form, frame,
                     [form, vertical, horizontal] { PlaceForm(form, vertical, horizontal); });
}

void CenterOnForm(QWidget* anchor, QWidget* form) {
    if (anchor == nullptr || form == nullptr) {
        return;
    }
    const QRect a = outerRect(anchor);
    const Frame frame = frameOf(form);
    const QSize outer = form->size().grownBy(frame.margins);
    const placement::TwipsRect anchorTwips{inTwips(a.left()), inTwips(a.top()), inTwips(a.width()),
                                           inTwips(a.height())};
    moveTo(form, frame.margins,
           placement::overAnchor(anchorTwips, inTwips(outer.width()), inTwips(outer.height())),
           QPoint(0, 0));
    checkOnFirstShow(form, frame, [form, guard = QPointer<QWidget>(anchor)] {
        if (!guard.isNull()) {
            CenterOnForm(guard.data(), form);
        }
    });
}
