#pragma once
// The About window: the product and its maker, and a Close button. A small utility
// window with no taskbar entry, no icon and no owner.

#include "ui/small_window.h"

namespace vm::ui {

class AboutWindow : public SmallWindow {
    Q_OBJECT
  public:
    // owner: the main window, on which About is centred when first shown. It does not
    // belong to it: either window can lie above the other (see taskbar_hint.h).
    AboutWindow(WindowHost& host, QWidget* owner);

  protected:
    void showEvent(QShowEvent* event) override;  // the window manager's hints, each time
};

}  // namespace vm::ui
