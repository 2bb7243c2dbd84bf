#pragma once
// Runs something once a window is on the screen, where the window system put it:
// a message box asked for at start-up is then centred on the window, not on the
// place the window had before the window manager placed it.

#include <functional>

class QWidget;

namespace vm::ui {

// After window (already shown) is first exposed, and the events queued by then are
// handled; at once if it is exposed already.
void whenShown(QWidget& window, std::function<void()> act);

}  // namespace vm::ui
