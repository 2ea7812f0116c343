#include "dialogs/placement.h"

#include "components/widgets/twips.h"
#include "dialogs/windowframe.h"

#include <QApplication>
#include <QEvent>
#include <QFont>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>
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

double fittingScale(const QSize& designClient, const QMargins& frame, const QRect& available) {
    if (designClient.isEmpty()) {
        return 1.0;
    }
    const double width = available.width() - frame.left() - frame.right();
    const double height = available.height() - frame.top() - frame.bottom();
    const double scale =
        std::min({1.0, width / designClient.width(), height / designClient.height()});
    // A screen too small to tell anything by still gets a window one can see.
    return std::max(scale, 0.25);
}

QSize scaledSize(const QSize& designClient, double scale) {
    // The small allowance keeps a product such as 766 * (700 / 766) at 700.
    return QSize(static_cast<int>(std::floor(designClient.width() * scale + 1e-9)),
                 static_cast<int>(std::floor(designClient.height() * scale + 1e-9)));
}

QRect keptInside(const QRect& outer, const QRect& area) {
    // Where it cannot fit, its top-left corner stays on the area: the
    // caption is what moves the window.
    const int x =
        std::max(area.left(), std::min(outer.left(), area.left() + area.width() - outer.width()));
    const int y =
        std::max(area.top(), std::min(outer.top(), area.top() + area.height() - outer.height()));
    return QRect(QPoint(x, y), outer.size());
}

namespace {

float inTwips(int pixels) {
    return static_cast<float>(twips::fromPixels(pixels));
}

QPoint inPixels(const TwipsPoint& at) {
    return QPoint(twips::toPixels(at.left), twips::toPixels(at.top));
}

Fit fitted(const QRect& outer, const QMargins& frame, const QRect& available, double scale) {
    return Fit{scale, keptInside(outer, available).marginsRemoved(frame)};
}

} // namespace

Fit fitOnScreen(const Screen& screen, const QSize& designClient, const QMargins& frame,
                const QString& vertical, const QString& horizontal) {
    const double scale = fittingScale(designClient, frame, screen.available);
    const QSize outer = scaledSize(designClient, scale).grownBy(frame);
    const TwipsPoint at =
        onScreen(inTwips(outer.width()), inTwips(outer.height()), inTwips(screen.geometry.width()),
                 inTwips(screen.geometry.height()), vertical, horizontal);
    return fitted(QRect(screen.geometry.topLeft() + inPixels(at), outer), frame, screen.available,
                  scale);
}

Fit fitOverAnchor(const QRect& available, const QRect& anchorOuter, const QSize& designClient,
                  const QMargins& frame) {
    const double scale = fittingScale(designClient, frame, available);
    const QSize outer = scaledSize(designClient, scale).grownBy(frame);
    const TwipsRect anchor{inTwips(anchorOuter.left()), inTwips(anchorOuter.top()),
                           inTwips(anchorOuter.width()), inTwips(anchorOuter.height())};
    const TwipsPoint at = overAnchor(anchor, inTwips(outer.width()), inTwips(outer.height()));
    return fitted(QRect(inPixels(at), outer), frame, available, scale);
}

} // namespace placement

namespace {

const char* const kScaleProperty = "stationWindowScale";
const char* const kDesignSizeProperty = "stationDesignSize";
const char* const kDesignGeometryProperty = "stationDesignGeometry";
const char* const kDesignFontProperty = "stationDesignFont";

// The window's size as designed: its size until it is first scaled.
QSize designSizeOf(const QWidget* form) {
    const QVariant stored = form->property(kDesignSizeProperty);
    return stored.isValid() ? stored.toSize() : form->size();
}

QRect scaledRect(const QRect& r, double scale) {
    // Edges scaled, not sizes: neighbours that touch keep touching.
    const auto at = [scale](int v) { return static_cast<int>(std::lround(v * scale)); };
    return QRect(QPoint(at(r.left()), at(r.top())),
                 QPoint(at(r.left() + r.width()) - 1, at(r.top() + r.height()) - 1));
}

QFont scaledFont(QFont font, double scale) {
    if (font.pixelSize() > 0) {
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pixelSize() * scale))));
    } else if (font.pointSizeF() > 0) {
        font.setPointSizeF(font.pointSizeF() * scale);
    }
    return font;
}

// Draws the window and everything on it at scale, always from the design
// values, so placing it again never compounds rounding.
void applyScale(QWidget* form, double scale) {
    const QVariant current = form->property(kScaleProperty);
    if (!current.isValid() && scale == 1.0) {
        return; // never scaled: the design as it stands
    }
    if (current.isValid() && current.toDouble() == scale) {
        return;
    }
    const QSize design = designSizeOf(form);
    form->setProperty(kDesignSizeProperty, design);
    form->setProperty(kScaleProperty, scale);
    const QList<QWidget*> children = form->findChildren<QWidget*>();
    for (QWidget* child : children) {
        if (child->isWindow()) {
            continue;
        }
        if (!child->property(kDesignGeometryProperty).isValid()) {
            child->setProperty(kDesignGeometryProperty, child->geometry());
        }
        child->setGeometry(scaledRect(child->property(kDesignGeometryProperty).toRect(), scale));
        if (child->testAttribute(Qt::WA_SetFont)) {
            if (!child->property(kDesignFontProperty).isValid()) {
                child->setProperty(kDesignFontProperty, child->font());
            }
            child->setFont(scaledFont(child->property(kDesignFontProperty).value<QFont>(), scale));
        }
    }
    const QSize size = placement::scaledSize(design, scale);
    if (form->minimumSize() == form->maximumSize()) {
        form->setFixedSize(size);
    } else {
        form->resize(size);
    }
    form->update();
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

// The window is given its inner position, which every platform honours the
// same way whether or not the window is shown yet.
void moveTo(QWidget* form, const placement::Fit& fit) {
    applyScale(form, fit.scale);
    form->setGeometry(fit.client);
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

double WindowScale(const QWidget* form) {
    const QVariant scale = form == nullptr ? QVariant() : form->property(kScaleProperty);
    return scale.isValid() ? scale.toDouble() : 1.0;
}

void PlaceForm(QWidget* form, const QString& vertical, const QString& horizontal) {
    if (form == nullptr) {
        return;
    }
    if (form->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) {
        return;
    }
    const QScreen* screen = form->screen();
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return;
    }
    const Frame frame = frameOf(form);
    moveTo(form, placement::fitOnScreen({screen->geometry(), screen->availableGeometry()},
                                        designSizeOf(form), frame.margins, vertical, horizontal));
    checkOnFirstShow(form, frame,
                     [form, vertical, horizontal] { PlaceForm(form, vertical, horizontal); });
}

void CenterOnForm(QWidget* anchor, QWidget* form) {
    if (anchor == nullptr || form == nullptr) {
        return;
    }
    const QScreen* screen = anchor->screen();
    if (screen == nullptr) {
        return;
    }
    const Frame frame = frameOf(form);
    moveTo(form, placement::fitOverAnchor(screen->availableGeometry(), outerRect(anchor),
                                          designSizeOf(form), frame.margins));
    checkOnFirstShow(form, frame, [form, guard = QPointer<QWidget>(anchor)] {
        if (!guard.isNull()) {
            CenterOnForm(guard.data(), form);
        }
    });
}
