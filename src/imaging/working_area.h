#pragma once
// The program-wide bounds of the slots and the picture-opened flag, one set for
// both canvases: the picture opened last, on either tab, decides them.

#include <cstdint>

#include "imaging/picture.h"

namespace vm {

class Canvas;

struct WorkingArea {
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool loaded = false;

    // Slots the area offers: three channels of every point. An area larger than any
    // picture (a reveal may be told one) offers at most the largest count there is.
    std::int64_t slots() const {
        if (width <= 0 || height <= 0) return 0;
        const std::int64_t points = static_cast<std::int64_t>(width) * height;
        return points > INT64_MAX / 3 ? INT64_MAX : 3 * points;
    }
};

// The size of the working area for a canvas that has just been given its picture
// (the flag down): the smaller of the picture's HIMETRIC size and the canvas's drawing
// area, which is its size in points.
WorkingArea areaFor(const Canvas& canvas);

// Gives the canvas a picture just opened: the working area follows it and the flag
// goes up.
void placeOpenedPicture(PictureRef picture, Canvas& canvas, WorkingArea& area);

}  // namespace vm
