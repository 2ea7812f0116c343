#include "components/widgets/imemode.h"

#include <QWidget>
#include <QWindow>

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

void imemode::complete(QWidget* window) {
    // Only a window that already has a system window can have a composition;
    // asking for the handle of one that has none would make one.
    const QWindow* handle = window->window()->windowHandle();
    if (handle == nullptr) {
        return;
    }
    const auto hwnd = reinterpret_cast<HWND>(handle->winId());
    const HIMC context = ImmGetContext(hwnd);
    if (context == nullptr) {
        return;
    }
    // The IME's own "complete": it sends the result string to the window at
    // once (WM_IME_COMPOSITION), which Qt hands to the focused field.
    ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0);
    ImmReleaseContext(hwnd, context);
}
