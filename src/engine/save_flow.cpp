#include "engine/save_flow.h"

#include "engine/open_flow.h"

namespace vm {

std::string chooseSaveFile(FileDialogs& dialogs) {
    return dialogs.showSave({kSaveTitle, kSaveFilter, kDefaultExt});
}

void commitCanvas(Canvas& canvas) {
    canvas.setPicture(canvas.image());
}

bool saveCanvas(const Canvas& canvas, const std::string& path, MessageBoxes& boxes,
                const WrittenPictureCheck& check) {
    if (!canvas.picture()) {
        boxes.showMessage("There is no picture to save.", vbCritical, std::string(kErrorTitle));
        return false;
    }
    if (const Result<void> saved = savePicture(*canvas.picture(), path, check); !saved) {
        boxes.showMessage(saved.error(), vbCritical, std::string(kErrorTitle));
        return false;
    }
    boxes.showMessage(kSavedPrompt + path, vbOKOnly, std::string(kSavedTitle));
    return true;
}

}  // namespace vm
