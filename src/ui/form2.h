#pragma once
// The Help window: four headed sections on what the tool does and how to use it.

#include <QWidget>

#include "platform/window_host.h"

class QPushButton;

namespace vm::ui {

class Form2 : public QWidget {
    Q_OBJECT
  public:
    explicit Form2(WindowHost& host, QWidget* parent = nullptr);

    void Command1_Click();  // Close

  private:
    WindowHost& m_host;
    QPushButton* m_command1;
};

}  // namespace vm::ui
