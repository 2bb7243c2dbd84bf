#pragma once
// Modal open and save dialogs. A request carries what the caller sets; the answer
// is the chosen full path, or the empty text when the user cancels.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vm {

struct FileDialogRequest {
    std::string title;
    std::string filter;            // "Label|pattern|Label|pattern..."
    std::string defaultExtension;  // ".bmp": added to a name typed without an extension
};

// The label and pattern pairs of a filter text, in order.
std::vector<std::pair<std::string, std::string>> filterPairs(std::string_view filter);

// The path with the default extension added when its file name has none.
std::string withDefaultExtension(const std::string& path, const std::string& defaultExt);

class FileDialogs {
  public:
    virtual ~FileDialogs() = default;
    virtual std::string showOpen(const FileDialogRequest& request) = 0;
    virtual std::string showSave(const FileDialogRequest& request) = 0;
};

}  // namespace vm
