#include "app/photoview.h"

#include <QPainter>

PhotoView::PhotoView(QWidget* parent) : QLabel(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TranslucentBackground);
}

void PhotoView::paintEvent(QPaintEvent*) {
    const QPixmap picture = pixmap();
    if (picture.isNull()) {
        return;
    }
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSize fitted = picture.size().scaled(size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2),
                       fitted);
    p.fillRect(rect(), Qt::white);
    p.drawPixmap(target, picture);
}
