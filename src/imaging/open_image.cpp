#include "imaging/open_image.h"

#include "imaging/picture_file.h"

namespace vm {

bool openImageFile(const std::string& path, Canvas& canvas, PictureRef& preview, WorkingArea& area,
                   MessageBoxes& boxes) {
    PictureLoad load = LoadPicture(path);
    if (!load) {
        boxes.MsgBox(load.error, vbCritical, std::string(kErrorTitle));
        return false;
    }
    placeOpenedPicture(std::move(load.picture), canvas, area);
    preview = canvas.Picture();
    return true;
}

void OpenImage(Canvas& canvas, PictureRef& preview, WorkingArea& area, FileDialogs& dialogs,
               MessageBoxes& boxes) {
    const std::string path = dialogs.ShowOpen({kOpenTitle, kOpenFilter, ""});
    if (path.empty()) return;
    openImageFile(path, canvas, preview, area, boxes);
}

}  // namespace vm
