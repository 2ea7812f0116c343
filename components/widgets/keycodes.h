#pragma once
// The screens' key handlers speak Windows virtual-key codes (13 Enter,
// 27 Escape, 8 Backspace, ...) and a shift bit set (1 Shift, 2 Ctrl, 4 Alt).
// Qt key events are translated here and nowhere else.

#include <Qt>

class QKeyEvent;

namespace keycodes {

inline constexpr int kBackspace = 8;
inline constexpr int kTab = 9;
inline constexpr int kEnter = 13;
inline constexpr int kEscape = 27;

// The virtual-key code of the event's key; 0 for keys without one.
int virtualKey(const QKeyEvent& event);

// 1 Shift, 2 Ctrl, 4 Alt, or'ed together.
int shiftState(Qt::KeyboardModifiers modifiers);

} // namespace keycodes
