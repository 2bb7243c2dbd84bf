#pragma once
// The About window: the product and its maker, and a Close button. A small tool
// window with no taskbar entry and no icon.

#include <QPointer>

#include "ui/small_window.h"

namespace vm::ui {

class AboutWindow : public SmallWindow {
    Q_OBJECT
  public:
    // owner: the main window. About is centred on it when first shown and belongs to
    // it for the window manager (see taskbar_hint.h), though it is no child widget of
    // it: it is shown and hidden on its own.
    AboutWindow(WindowHost& host, QWidget* owner);

  protected:
    void showEvent(QShowEvent* event) override;  // the window manager's hints, each time

  private:
    QPointer<QWidget> m_owner;
};

}  // namespace vm::ui
