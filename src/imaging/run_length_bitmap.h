#pragma once
// Run-length coded bitmaps (4 or 8 bits a point) rewritten as the same bitmap
// without compression. A stream may end its picture early, end rows early or jump
// over points; the points it never reaches take colour 0 of the palette, so the
// picture is the same every time it is opened.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/bitmap_header.h"
#include "platform/result.h"

namespace vm {

// Why a run-length coded bitmap gave no expansion: the failure's kind.
enum RunLengthProblem : int {
    kRunLengthDamaged = 1,  // the palette or sizes make no sense
    kRunLengthCutShort,     // the stream runs out before the end of the picture
    kRunLengthTooLarge,     // the uncompressed rows would take more than the limit
};

// The file (described by header, which must be run-length coded) rewritten as an
// uncompressed bitmap with a 40-byte header, the file's palette and the expanded
// rows. maxRowBytes bounds the rows' size.
Result<std::vector<std::uint8_t>> expandRunLengthBitmap(const BitmapHeader& header,
                                                        const std::uint8_t* file, std::size_t size,
                                                        std::uint64_t maxRowBytes);

}  // namespace vm
