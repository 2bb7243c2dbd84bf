#pragma once
// The Help window: four headed sections on what the tool does and how to use it.

#include "ui/small_window.h"

namespace vm::ui {

class HelpWindow : public SmallWindow {
    Q_OBJECT
  public:
    explicit HelpWindow(WindowHost& host);
};

}  // namespace vm::ui
