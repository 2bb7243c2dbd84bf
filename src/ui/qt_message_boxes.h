#pragma once
// Message boxes as Qt dialogs: modal, one OK button, the icon the code asks for,
// over whichever window of ours is active.

#include <QMessageBox>

#include "platform/message_box.h"

namespace vm::ui {

// The icon for a button-and-icon code: 16 critical, 32 question, 48 warning,
// 64 information, none otherwise.
QMessageBox::Icon iconForCode(int code);

class QtMessageBoxes : public MessageBoxes {
  public:
    void MsgBox(const std::string& prompt, int code,
                const std::optional<std::string>& title = std::nullopt) override;
};

}  // namespace vm::ui
