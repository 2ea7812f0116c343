#pragma once
// The frame that the desktop will give a window that is not shown yet.

#include <QMargins>

#include <optional>

class QWindow;

// The frame's left, top, right and bottom widths, asked of the window
// manager before the window is first shown; an empty result where the
// platform cannot tell in advance. window must have its native window.
std::optional<QMargins> AskFrameOfHiddenWindow(QWindow* window);
