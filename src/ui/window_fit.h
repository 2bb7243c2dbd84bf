#pragma once
// Keeps a fixed-size window whole on any screen and alive under any window manager.
//  - The window's content sits in a scroll area. Where the screen's free area holds
//    the content, the window is exactly the content's size and nothing scrolls;
//    where it does not (a high scale on a small screen), the window shrinks to the
//    free area and the content scrolls, so every control can still be reached.
//  - A Wayland compositor may make any window maximised or full screen (its own
//    keyboard shortcut, tiling, a click on Qt's title bar) and then insists on the
//    size it gives, ending a client that keeps another. So there the window has a
//    least size and no greatest: it takes the size it is given, shows its content
//    centred, and comes back to its own size when the state is left. Window
//    managers on X11 honour a fixed size, and keep it.

#include <QObject>
#include <QPointer>
#include <QSize>

class QScrollArea;
class QWidget;

namespace vm::ui {

// The size of a scroll area that shows content of this size in room of that size:
// the content's own size where it fits, otherwise as much as fits, widened or
// heightened by a scroll bar where the other direction scrolls and room allows.
QSize fittedSize(QSize content, QSize room, int scrollBarExtent);

// Makes a dialog no larger than the free area of its owner's screen (less a frame),
// as far as its layout lets it shrink; called before it is shown.
void fitToScreen(QWidget& dialog);

// Whether the compositor, not the window, has the last word on a window's size (Wayland).
bool compositorSetsSize();

class WindowFit : public QObject {
    Q_OBJECT
  public:
    // around: what the window adds to the scroll area (a menu bar above it).
    WindowFit(QWidget* window, QScrollArea* scroller, QSize around);

    // Fixes the window's size for the screen it is on now.
    void apply();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPointer<QWidget> m_window;
    QScrollArea* m_scroller;
    QSize m_around;
    bool m_watching = false;
};

// A scroll area for a window's fixed content: no frame, scroll bars only when needed,
// the content centred when the window is larger than it.
QScrollArea* makeContentScroller(QWidget* content, QWidget* parent);

}  // namespace vm::ui
