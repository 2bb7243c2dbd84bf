#pragma once
// The headers of a bitmap file, read once: every info header a bitmap can carry
// (the 12-byte core header with 16-bit sizes, and the 40- to 124-byte ones), with
// where the palette, the colour masks and the rows lie. Variants that are valid
// but that Veilmark does not read are told apart from damaged headers, so the user
// learns which is which.

#include <cstddef>
#include <cstdint>

#include "platform/result.h"

namespace vm {

inline constexpr std::size_t kBitmapFileHeaderSize = 14;
// Enough of a file to parse any of its headers: the file header and the largest info header.
inline constexpr std::size_t kBitmapHeadersMaxSize = kBitmapFileHeaderSize + 124;

enum class BitmapCompression : std::uint32_t {
    None = 0,
    RunLength8 = 1,
    RunLength4 = 2,
    BitFields = 3,
};

// Bytes in one row of points, padded to a whole number of 32-bit words.
constexpr std::uint64_t bitmapRowStride(std::uint64_t width, std::uint64_t bitsPerPoint) {
    return (width * bitsPerPoint + 31) / 32 * 4;
}

struct BitmapHeader {
    std::uint32_t infoSize = 0;      // 12, 40, 52, 56, 64, 108 or 124
    std::uint32_t width = 0;         // points, never 0
    std::uint32_t height = 0;        // points, never 0
    bool bottomUp = true;            // the bottom row comes first in the file
    std::uint16_t bitsPerPoint = 0;  // 1, 4, 8, 16, 24 or 32
    BitmapCompression compression = BitmapCompression::None;
    std::uint64_t pixelOffset = 0;       // where the file header says the rows start
    std::uint32_t paletteEntries = 0;    // colours in the palette (8 bits a point or fewer)
    std::uint32_t paletteEntrySize = 4;  // bytes a colour: 3 after the core header
    std::uint64_t rowStride = 0;

    std::uint64_t paletteOffset() const { return kBitmapFileHeaderSize + infoSize; }
    // The end of the palette, or of the colour masks that follow a 40-byte header.
    std::uint64_t tableEnd() const;
    // Where the rows really start: where the file header says, or after the palette
    // or masks when it points inside them.
    std::uint64_t rowsStart() const;
    bool runLength() const {
        return compression == BitmapCompression::RunLength8 ||
               compression == BitmapCompression::RunLength4;
    }
    // Uncompressed, 24 bits a point: the layout read in place.
    bool plain24() const { return bitsPerPoint == 24 && compression == BitmapCompression::None; }
};

// Why a file's headers gave no BitmapHeader: the failure's kind.
enum BitmapProblem : int {
    kNotABitmap = 1,    // no "BM" signature: some other format, or none
    kDamagedBitmap,     // cut short, or fields that make no sense
    kUnsupportedBitmap  // a valid variant we do not read; the message names it
};

// Parses the first bytes of a file (kBitmapHeadersMaxSize are always enough).
// An unsupported variant's message is a short phrase naming it ("2 bits a point").
Result<BitmapHeader> parseBitmapHeader(const std::uint8_t* bytes, std::size_t size);

}  // namespace vm
