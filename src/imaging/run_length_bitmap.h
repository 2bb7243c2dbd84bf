#pragma once
// Run-length coded bitmaps (4 or 8 bits a point) rewritten as the same bitmap
// without compression. A stream may end its picture early, end rows early or jump
// over points; the points it never reaches take colour 0 of the palette, so the
// picture is the same every time it is opened.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vm {

struct RunLengthExpansion {
    enum Status {
        NotRunLength,  // not a run-length coded bitmap: leave the file to the decoder
        Expanded,      // bytes holds the uncompressed bitmap
        Damaged,       // the header, colours or sizes make no sense
        CutShort,      // the stream runs out before the end of the picture
        TooLarge,      // the uncompressed rows would take more than the limit
    };
    Status status = NotRunLength;
    std::vector<std::uint8_t> bytes;
};

// Whether a file starting with these bytes is a run-length coded bitmap; the first
// 34 bytes are enough to tell.
bool isRunLengthBitmap(const std::uint8_t* file, std::size_t size);

// The file's bytes rewritten as an uncompressed bitmap with a 40-byte header, the
// file's palette and the expanded rows. maxRowBytes bounds the rows' size.
RunLengthExpansion expandRunLengthBitmap(const std::uint8_t* file, std::size_t size,
                                         std::uint64_t maxRowBytes);

}  // namespace vm
