#pragma once
// Asking the platform's input method for Korean input on entering a field,
// and for the syllable it is composing.

class QWidget;

namespace imemode {

// Switches the input method of field's window to Hangul, where the platform
// lets a program do so; elsewhere it does nothing.
void askForHangul(QWidget* field);

// Asks the input method of window to make what it is composing in the
// focused field part of that field's text, now. What it does not complete
// stays shown as composing (see Composition).
void complete(QWidget* window);

} // namespace imemode
