#include "dialogs/boxart.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>

namespace boxart {

namespace {

constexpr int kCaptionPixels = 24;
constexpr qreal kRadius = 8;

void paintMark(QPainter& painter, const QRectF& box, Mark mark) {
    QPen pen(Qt::white, box.width() / 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    if (mark == Mark::Cross) {
        painter.drawLine(box.topLeft(), box.bottomRight());
        painter.drawLine(box.topRight(), box.bottomLeft());
        return;
    }
    const QPointF points[] = {
        {box.left(), box.top() + box.height() * 0.55},
        {box.left() + box.width() * 0.38, box.bottom()},
        {box.right(), box.top() + box.height() * 0.05},
    };
    painter.drawPolyline(points, 3);
}

} // namespace

QFont textFont(int pixelSize) {
    QFont font(QStringLiteral("NanumGothic"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QFont countdownFont() {
    // 26.25 pt at 96 dpi.
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(35);
    font.setBold(true);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

void paintFrame(QPainter& painter, const QRect& window, const QRect& messageArea) {
    painter.fillRect(window, kFrame);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kMessageArea);
    painter.drawRoundedRect(QRectF(messageArea), kRadius, kRadius);
}

void paintBar(QPainter& painter, const QRect& bar, const QColor& fill, Mark mark,
              const QString& caption) {
    QLinearGradient shade(bar.topLeft(), bar.bottomLeft());
    shade.setColorAt(0, fill.lighter(125));
    shade.setColorAt(1, fill);
    painter.setPen(Qt::NoPen);
    painter.setBrush(shade);
    painter.drawRoundedRect(QRectF(bar), kRadius, kRadius);

    const QFont font = textFont(kCaptionPixels);
    const QFontMetrics metrics(font);
    const int markSize = bar.height() * 2 / 5;
    const int gap = markSize / 2;
    const int textWidth = metrics.horizontalAdvance(caption);
    const int groupLeft = bar.center().x() - (markSize + gap + textWidth) / 2;
    const QRectF markBox(groupLeft, bar.center().y() - markSize / 2.0, markSize, markSize);
    paintMark(painter, markBox, mark);

    painter.setFont(font);
    painter.setPen(Qt::white);
    const QRect textBox(groupLeft + markSize + gap, bar.top(), textWidth + 2, bar.height());
    painter.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter, caption);
}

} // namespace boxart
