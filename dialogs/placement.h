#pragma once
#include <QString>

class QWidget;

// Places a window on the primary screen: vertical "TOP" or centred,
// horizontal "좌" (left), "우" (right) or centred. Texts compared exactly.
// A maximised or minimised window is left alone.
void PlaceForm(QWidget* form, const QString& vertical, const QString& horizontal);

// Centres form over anchor, no clamping to the screen.
void CenterOnForm(QWidget* anchor, QWidget* form);

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

} // namespace placement
