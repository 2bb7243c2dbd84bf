#pragma once
// The About window: the product and its maker, and a Close button.

#include "ui/small_window.h"

namespace vm::ui {

class AboutWindow : public SmallWindow {
    Q_OBJECT
  public:
    explicit AboutWindow(WindowHost& host);
};

}  // namespace vm::ui
