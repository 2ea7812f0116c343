#pragma once
#include <QString>

class QWidget;

// Places a window on the primary screen: vertical "TOP" or centred,
// horizontal "좌" (left), "우" (right) or centred. Texts compared exactly.
void PlaceForm(QWidget* form, const QString& vertical, const QString& horizontal);

// Centres form over anchor, no clamping to the screen.
void CenterOnForm(QWidget* anchor, QWidget* form);
