#include "imaging/open_image.h"

#include "imaging/picture_file.h"
#include "platform/checked.h"

namespace vm {

void setWorkingArea(const Canvas& canvas, WorkingArea& area) {
    const PictureRef& picture = canvas.Picture();
    std::int32_t width = picture->himetricWidth();
    std::int32_t height = picture->himetricHeight();
    // The drawing area's exact size: ScaleWidth as a float rounds sizes above 2^24
    // points, which would give an area one point larger than the picture.
    const auto scaleWidth = static_cast<double>(canvas.width());
    const auto scaleHeight = static_cast<double>(canvas.height());
    if (scaleWidth < static_cast<double>(width)) width = roundToInt32(scaleWidth);
    if (scaleHeight < static_cast<double>(height)) height = roundToInt32(scaleHeight);
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
