#include "support/scripted_platform.h"

namespace vm::test {

void ScriptedPlatform::showMessage(const std::string& prompt, int code,
                                   const std::optional<std::string>& title) {
    boxes.push_back({prompt, code, title});
}

bool ScriptedPlatform::confirm(const std::string& prompt, const std::string& title) {
    boxes.push_back({prompt, kConfirmCode, title});
    if (confirmations.empty()) return true;
    const bool ok = confirmations.front();
    confirmations.pop_front();
    return ok;
}

std::string ScriptedPlatform::showOpen(const FileDialogRequest& request) {
    dialogs.push_back({false, request});
    if (answers.empty()) return {};
    std::string path = answers.front();
    answers.pop_front();
    return path;
}

std::string ScriptedPlatform::showSave(const FileDialogRequest& request) {
    dialogs.push_back({true, request});
    if (answers.empty()) return {};
    // A real save dialog adds the default extension to a name typed without one.
    std::string path = withDefaultExtension(answers.front(), request.defaultExtension);
    answers.pop_front();
    return path;
}

}  // namespace vm::test
