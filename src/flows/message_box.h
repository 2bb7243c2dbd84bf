#pragma once
// Every message to the user goes through this interface: the windows show a
// dialog, the command line prints a line, tests capture the text.

#include <optional>
#include <string>

#include "platform/compatibility_names.h"  // kAppTitle, vbOKOnly, vbCritical

namespace vm {

class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    // Modal; returns when the user closes it. Without a title the box bears kAppTitle.
    virtual void showMessage(const std::string& prompt, int code,
                             const std::optional<std::string>& title = std::nullopt) = 0;
    // Modal, with a warning icon and the buttons OK and Cancel, Cancel the default;
    // true when the user chose OK, false for Cancel or a box closed without an answer.
    virtual bool confirm(const std::string& prompt, const std::string& title) = 0;
};

}  // namespace vm
