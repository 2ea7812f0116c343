#pragma once
#include <QMargins>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

// Places a window on the screen it opens on: vertical "TOP" or centred,
// horizontal "좌" (left), "우" (right) or centred, over the whole display.
// Texts compared exactly. Where that would put part of the window (caption
// included) off the screen's usable area (taskbar excluded), the window is
// moved onto it; where the window cannot fit at its design size, the window
// and everything on it is drawn smaller, at the largest scale that fits.
// A maximised or minimised window is left alone.
void PlaceForm(QWidget* form, const QString& vertical, const QString& horizontal);

// Centres form over anchor, kept on the usable area of the anchor's screen
// in the same way.
void CenterOnForm(QWidget* anchor, QWidget* form);

// The scale a window is drawn at (1 at its design size). Windows that paint
// design-size art themselves scale their painter by it.
double WindowScale(const QWidget* form);

// The arithmetic behind both, in twips and single precision as the
// station's windows have always been placed; results are not rounded.
namespace placement {

struct TwipsPoint {
    float left;
    float top;
};

struct TwipsRect {
    float left;
    float top;
    float width;
    float height;
};

TwipsPoint onScreen(float formWidth, float formHeight, float screenWidth, float screenHeight,
                    const QString& vertical, const QString& horizontal);

TwipsPoint overAnchor(const TwipsRect& anchor, float formWidth, float formHeight);

// A screen in logical pixels: the whole display and the part windows may use.
struct Screen {
    QRect geometry;
    QRect available;
};

// Where a window goes: the scale of its client area and the client area's
// rectangle on the screen.
struct Fit {
    double scale;
    QRect client;
};

// The largest scale, at most 1, at which a client area of designClient
// framed by frame fits on available.
double fittingScale(const QSize& designClient, const QMargins& frame, const QRect& available);

// The client size at a scale (rounded down, so it never outgrows the fit).
QSize scaledSize(const QSize& designClient, double scale);

// A window placed as PlaceForm does: at the largest scale that fits, at the
// position the texts give on the whole display, then moved by the least
// amount that puts its outer rectangle on the usable area.
Fit fitOnScreen(const Screen& screen, const QSize& designClient, const QMargins& frame,
                const QString& vertical, const QString& horizontal);

// A window centred over an anchor's outer rectangle, fitted the same way.
Fit fitOverAnchor(const QRect& available, const QRect& anchorOuter, const QSize& designClient,
                  const QMargins& frame);

// outer moved by the least amount that puts it inside area (which it fits).
QRect keptInside(const QRect& outer, const QRect& area);

} // namespace placement
