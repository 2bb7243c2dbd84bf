#include "engine/open_flow.h"

namespace vm {

bool openImageFile(const std::string& path, Canvas& canvas, PictureRef& preview, WorkingArea& area,
                   MessageBoxes& boxes, PictureDecoder& decoder) {
    Result<PictureRef> loaded = decodePictureFile(path, decoder);
    if (!loaded) {
        boxes.showMessage(loaded.error(), vbCritical, std::string(kErrorTitle));
        return false;
    }
    placeOpenedPicture(loaded.take(), canvas, area);
    preview = canvas.picture();
    return true;
}

void openImage(Canvas& canvas, PictureRef& preview, WorkingArea& area, FileDialogs& dialogs,
               MessageBoxes& boxes, PictureDecoder& decoder) {
    const std::string path = dialogs.showOpen({kOpenTitle, kOpenFilter, ""});
    if (path.empty()) return;
    openImageFile(path, canvas, preview, area, boxes, decoder);
}

}  // namespace vm
