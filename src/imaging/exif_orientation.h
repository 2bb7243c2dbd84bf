#pragma once
// A picture's EXIF orientation as browsers and viewers read it: from the first
// IFD only (the picture's own; the second one describes the thumbnail), in a JPEG's
// Exif segment or a PNG's eXIf chunk (before its image data).

#include "imaging/picture_input.h"

namespace vm {

// 1 to 8 as EXIF numbers them; 1 (as stored) when none is given or it is unreadable.
int exifOrientation(const PictureInput& input);

}  // namespace vm
