#include "imaging/open_image.h"

#include "imaging/picture_file.h"
#include "platform/checked.h"

namespace vm {

void setWorkingArea(const Canvas& canvas, WorkingArea& area) {
    const PictureRef& picture = canvas.Picture();
    std::int32_t width = picture->himetricWidth();
    std::int32_t height = picture->himetricHeight();
    if (static_cast<double>(canvas.ScaleWidth()) < static_cast<double>(width))
        width = roundToInt32(static_cast<double>(canvas.ScaleWidth()));
    if (static_cast<double>(canvas.ScaleHeight()) < static_cast<double>(height))
        height = roundToInt32(static_cast<double>(canvas.ScaleHeight()));
    area.ImageWidth = width;
    area.ImageHeight = height;
}

bool openImageFile(const std::string& path, Canvas& canvas, PictureRef& preview, WorkingArea& area,
                   MessageBoxes& boxes) {
    PictureLoad load = LoadPicture(path);
    if (!load) {
        boxes.MsgBox(load.error, vbCritical, std::string(kErrorTitle));
        return false;
    }
    canvas.setPicture(std::move(load.picture));
    setWorkingArea(canvas, area);
    area.ImageLoaded = true;
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
