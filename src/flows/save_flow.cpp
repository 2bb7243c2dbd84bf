#include "flows/save_flow.h"

namespace vm {

std::string chooseSaveFile(FileDialogs& dialogs) {
    return dialogs.showSave({kSaveTitle, kSaveFilter, kDefaultExt});
}

}  // namespace vm
