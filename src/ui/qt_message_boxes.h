#pragma once
// Message boxes as Qt dialogs: modal, the icon the code asks for, over the window
// they belong to.

#include <QMessageBox>
#include <QPointer>

#include "flows/message_box.h"

namespace vm::ui {

// The icon for a button-and-icon code: 16 critical, 32 question, 48 warning,
// 64 information, none otherwise.
QMessageBox::Icon iconForCode(int code);

class QtMessageBoxes : public MessageBoxes {
  public:
    // The window whose handlers ask: every box is its child, centred on it and kept
    // out of the taskbar. Right after a file dialog no window is active, so the
    // active window would not do.
    void setOwner(QWidget* owner) { m_owner = owner; }

    void showMessage(const std::string& prompt, int code,
                     const std::optional<std::string>& title = std::nullopt) override;
    bool confirm(const std::string& prompt, const std::string& title) override;

  private:
    QPointer<QWidget> m_owner;
};

}  // namespace vm::ui
