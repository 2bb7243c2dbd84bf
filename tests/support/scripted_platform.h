#pragma once
// A scripted stand-in for the user: dialogs answer from a queue, message boxes
// are recorded with their prompt, code and title.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "flows/file_dialogs.h"
#include "flows/message_box.h"
#include "imaging/qt_picture_decoder.h"

namespace vm::test {

// How a confirmation appears among the recorded boxes.
inline constexpr int kConfirmCode = -1;

struct ShownBox {
    std::string prompt;
    int code;
    std::optional<std::string> title;
};

struct ShownDialog {
    bool save;
    FileDialogRequest request;
};

class ScriptedPlatform : public MessageBoxes, public FileDialogs {
  public:
    void showMessage(const std::string& prompt, int code,
                     const std::optional<std::string>& title) override;
    // Recorded as a box with the code kConfirmCode; answered from confirmations.
    bool confirm(const std::string& prompt, const std::string& title) override;
    std::string showOpen(const FileDialogRequest& request) override;
    std::string showSave(const FileDialogRequest& request) override;

    // The next dialog returns this path; "" is a cancel. An empty queue cancels.
    void answer(std::string path) { answers.push_back(std::move(path)); }

    // The toolkit's decoders, for the form to open pictures with.
    QtPictureDecoder decoder;
    std::deque<std::string> answers;
    // The next confirmation returns this; an empty queue answers OK.
    std::deque<bool> confirmations;
    std::vector<ShownBox> boxes;
    std::vector<ShownDialog> dialogs;
};

}  // namespace vm::test
