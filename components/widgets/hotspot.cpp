#include "components/widgets/hotspot.h"

#include <QMouseEvent>

HotSpot::HotSpot(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
}

void HotSpot::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void HotSpot::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    // Sliding off the area before letting go cancels, as on a button.
    if (!rect().contains(event->position().toPoint())) {
        return;
    }
    const Qt::MouseButton button = event->button();
    Q_EMIT released(button);
    if (button == Qt::LeftButton) {
        Q_EMIT clicked();
    }
}
