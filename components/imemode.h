#pragma once
// Asking the platform's input method for Korean input on entering a field.

class QWidget;

namespace imemode {

// Switches the input method of field's window to Hangul, where the platform
// lets a program do so; elsewhere it does nothing.
void askForHangul(QWidget* field);

} // namespace imemode
