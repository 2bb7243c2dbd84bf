#pragma once
// The About window: the product and its maker, and a Close button. A small utility
// window with no taskbar entry, no icon and no owner.

#include "ui/small_window.h"

namespace vm::ui {

class AboutWindow : public SmallWindow {
    Q_OBJECT
  public:
    // Placed by the window system when first shown. It belongs to no window: either
    // it or the main window can lie above the other (see taskbar_hint.h).
    explicit AboutWindow(WindowHost& host);

  protected:
    void showEvent(QShowEvent* event) override;  // the window manager's hints, each time
};

}  // namespace vm::ui
