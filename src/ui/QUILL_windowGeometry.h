// The saved place of a top-level window (rwindowpos), one rule for every window that keeps one: the main window and
// the edit dialog.
#pragma once

#include "core/QUILL_main.h"

class QWidget;

// Width and height are the client area's; top and left are the frame's corner, which is where move() puts a window,
// so a save followed by a restore leaves it where it was (a client corner saved would move it down by the title bar
// at each start). The restore fits the size to the screen's available area (fitWindowPos), never below the window's
// minimum size, and brings a position saved on a screen that is gone back onto this one. Returns the fitted values.
rwindowpos restoreWindowGeometry(QWidget& window, const rwindowpos& saved);
// Keeps the window's normal geometry (as it is when not maximized or minimized); false, with `pos` untouched, while
// the window has none.
bool saveWindowGeometry(const QWidget& window, rwindowpos& pos);
