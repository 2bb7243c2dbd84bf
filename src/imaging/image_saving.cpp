#include "imaging/image_saving.h"

#include "imaging/open_image.h"

namespace vm {

std::string ChooseSaveFile(FileDialogs& dialogs) {
    return dialogs.ShowSave({kSaveTitle, kSaveFilter, kDefaultExt});
}

void CommitCanvas(Canvas& canvas) {
    canvas.setPicture(canvas.Image());
}

bool SaveCanvas(const Canvas& canvas, const std::string& path, MessageBoxes& boxes,
                const SavedFileCheck& check) {
    if (!canvas.Picture()) {
        boxes.MsgBox("There is no picture to save.", vbCritical, std::string(kErrorTitle));
        return false;
    }
    if (const Result<void> saved = SavePicture(*canvas.Picture(), path, check); !saved) {
        boxes.MsgBox(saved.error(), vbCritical, std::string(kErrorTitle));
        return false;
    }
    boxes.MsgBox(kSavedPrompt + path, vbOKOnly, std::string(kSavedTitle));
    return true;
}

}  // namespace vm
