#pragma once
// The background art of the message box and the yes/no dialog, painted in
// code: a white message area in a dark grey frame and, across the bottom,
// bars that show where the OK, Yes and No areas lie.

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QPainter;

namespace boxart {

enum class Mark { Cross, Check };

inline const QColor kFrame{0x45, 0x49, 0x4f};
inline const QColor kMessageArea{0xff, 0xff, 0xff};
inline const QColor kText{0x1a, 0x1a, 0x1a};
inline const QColor kCountdown{0xc6, 0x28, 0x28};
inline const QColor kCloseBar{0x1f, 0x21, 0x24};
inline const QColor kConfirmBar{0x6a, 0x2e, 0xa0};

// Bold Hangul text at the given pixel height.
QFont textFont(int pixelSize);
// The countdown number.
QFont countdownFont();

void paintFrame(QPainter& painter, const QRect& window, const QRect& messageArea);
// A bar with a mark and a caption centred on it.
void paintBar(QPainter& painter, const QRect& bar, const QColor& fill, Mark mark,
              const QString& caption);

} // namespace boxart
