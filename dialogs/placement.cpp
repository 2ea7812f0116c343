#include "dialogs/placement.h"

#include "components/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

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

// A window's outer rectangle (frame included) as the placement sees it.
QRect outerRect(const QWidget* widget) {
    if (widget->isWindow()) {
        return widget->frameGeometry();
    }
    return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

void moveTo(QWidget* form, const placement::TwipsPoint& at, const QPoint& origin) {
    form->move(origin.x() + twips::toPixels(at.left), origin.y() + twips::toPixels(at.top));
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
    const QRect outer = outerRect(form);
    const placement::TwipsPoint at = placement::onScreen(
        inTwips(outer.width()), inTwips(outer.height()), inTwips(display.width()),
        inTwips(display.height()), vertical, horizontal);
    moveTo(form, at, display.topLeft());
}

void CenterOnForm(QWidget* anchor, QWidget* form) {
    if (anchor == nullptr || form == nullptr) {
        return;
    }
    const QRect a = outerRect(anchor);
    const QRect outer = outerRect(form);
    const placement::TwipsRect anchorTwips{inTwips(a.left()), inTwips(a.top()), inTwips(a.width()),
                                           inTwips(a.height())};
    moveTo(form,
           placement::overAnchor(anchorTwips, inTwips(outer.width()), inTwips(outer.height())),
           QPoint(0, 0));
}
