#include "imaging/working_area.h"

#include <utility>

#include "imaging/canvas.h"
#include "platform/checked.h"

namespace vm {

WorkingArea areaFor(const Canvas& canvas) {
    const PictureRef& picture = canvas.picture();
    std::int32_t width = picture->himetricWidth();
    std::int32_t height = picture->himetricHeight();
    // The drawing area's exact size, in double: a single-precision size would round
    // sizes above 2^24 points, giving an area one point larger than the picture.
    const auto scaleWidth = static_cast<double>(canvas.width());
    const auto scaleHeight = static_cast<double>(canvas.height());
    if (scaleWidth < static_cast<double>(width)) width = roundToInt32(scaleWidth);
    if (scaleHeight < static_cast<double>(height)) height = roundToInt32(scaleHeight);
    return {width, height, false};
}

void placeOpenedPicture(PictureRef picture, Canvas& canvas, WorkingArea& area) {
    canvas.setPicture(std::move(picture));
    area = areaFor(canvas);
    area.loaded = true;
}

}  // namespace vm
