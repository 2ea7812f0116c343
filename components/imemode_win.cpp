#include "components/imemode.h"

#include <QWidget>

#include <windows.h>

#include <imm.h>

void imemode::askForHangul(QWidget* field) {
    // The top-level window's handle: fields are not native windows of their
    // own, and asking a field for its handle would make it one.
    const auto window = reinterpret_cast<HWND>(field->window()->winId());
    const HIMC context = ImmGetContext(window);
    if (context == nullptr) {
        return; // no input method for this window
    }
    DWORD conversion = 0;
    DWORD sentence = 0;
    if (ImmGetConversionStatus(context, &conversion, &sentence)) {
        ImmSetOpenStatus(context, TRUE);
        ImmSetConversionStatus(context, conversion | IME_CMODE_HANGUL, sentence);
    }
    ImmReleaseContext(window, context);
}
