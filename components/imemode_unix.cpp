#include "components/imemode.h"

// X11 and Wayland input methods (IBus, fcitx) keep their mode per user and
// offer no call for a program to switch it: the operator switches to Hangul.
void imemode::askForHangul(QWidget* /*field*/) {}
