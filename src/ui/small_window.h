#pragma once
// What the About and Help windows share: a fixed-size window of labels and one
// Close button. Close hides the window, which keeps its place, and brings the main
// window back to the front.

#include <QWidget>

#include "ui/window_host.h"

class QLabel;
class QPushButton;
class QScrollArea;

namespace vm::ui {

class WindowFit;

class SmallWindow : public QWidget {
    Q_OBJECT
  public:
    // What the Close button does.
    void putAway();

  protected:
    SmallWindow(WindowHost& host, WindowId id, Qt::WindowFlags flags);

    // The fixed size of what the window shows; the window itself keeps to its screen.
    void setContentSize(QSize size);
    QLabel* addLabel(const char* name, const QString& text, const QRect& box);
    // The window's one control that takes the focus; Enter presses it, as Space does.
    QPushButton* addCloseButton(const QRect& box);

  private:
    WindowHost& m_host;
    WindowId m_id;
    QWidget* m_content;
    QScrollArea* m_scroller = nullptr;
    WindowFit* m_fit = nullptr;
};

}  // namespace vm::ui
