#pragma once
// Keeping a small window out of the taskbar on X11, where taskbars list every
// window the window manager does not know to belong to another. The window gets
// _NET_WM_STATE_SKIP_TASKBAR (and _SKIP_PAGER), for which Qt has no flag, and the
// utility type; it is not made transient for another window, which would keep it
// above that one (Qt's own Tool windows are transient for the whole program). The window manager
// drops that state whenever the window is hidden, so this is done again before each showing, while
// the window is still unmapped; Qt keeps states it finds there.

class QWidget;

namespace vm::ui {

// Does nothing on other platforms (Wayland, offscreen).
void keepOutOfTaskbar(QWidget* window);

}  // namespace vm::ui
