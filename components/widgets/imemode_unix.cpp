#include "components/widgets/imemode.h"

#include <QGuiApplication>
#include <QInputMethod>

// X11 and Wayland input methods (IBus, fcitx) keep their mode per user and
// offer no call for a program to switch it: the operator switches to Hangul.
void imemode::askForHangul(QWidget* /*field*/) {}

// IBus and fcitx hand their composition to the focused field on Qt's commit;
// IBus also resets its engine, which sends the syllable once more later.
void imemode::complete(QWidget* /*window*/) {
    QGuiApplication::inputMethod()->commit();
}
