#pragma once
// The About window: the product and its maker, and a Close button.

#include <QWidget>

#include "platform/window_host.h"

class QLabel;
class QPushButton;

namespace vm::ui {

class Form1 : public QWidget {
    Q_OBJECT
  public:
    explicit Form1(WindowHost& host, QWidget* parent = nullptr);

    void Command1_Click();  // Close

  private:
    WindowHost& m_host;
    QLabel* m_label1;
    QPushButton* m_command1;
};

}  // namespace vm::ui
