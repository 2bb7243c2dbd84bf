#include "imaging/bitmap_header.h"

#include <algorithm>
#include <string>

#include "imaging/little_endian.h"

namespace vm {

namespace {

constexpr std::uint32_t kCoreHeader = 12, kInfoHeader = 40, kOs2Header = 64;

Failure damaged() {
    return failure("damaged", kDamagedBitmap);
}
Failure unsupported(std::string variant) {
    return failure(std::move(variant), kUnsupportedBitmap);
}

// Compression codes beyond the four read: valid in some bitmaps, never here. The
// OS/2 header gives two codes other meanings for the depths they apply to.
Result<BitmapCompression> compressionOf(std::uint32_t code, std::uint32_t infoSize,
                                        std::uint16_t bits) {
    if (infoSize == kOs2Header && code == 3 && bits == 1) return unsupported("Huffman coding");
    if (infoSize == kOs2Header && code == 4) return unsupported("24-bit run-length coding");
    switch (code) {
        case 0:
        case 1:
        case 2:
        case 3:
            return static_cast<BitmapCompression>(code);
        case 4:
            return unsupported("a JPEG picture stored inside");
        case 5:
            return unsupported("a PNG picture stored inside");
        case 6:
            return unsupported("colour masks with transparency");
        case 11:
        case 12:
        case 13:
            return unsupported("CMYK colours");
        default:
            return damaged();
    }
}

// Whether the depth goes with the compression (run-length coding has one depth
// each, colour masks need 16 or 32 bits).
Result<void> checkDepth(std::uint16_t bits, BitmapCompression compression) {
    if (bits == 2) return unsupported("2 bits a point");
    if (bits == 64) return unsupported("64 bits a point");
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return damaged();
    switch (compression) {
        case BitmapCompression::RunLength8:
            return bits == 8 ? Result<void>() : damaged();
        case BitmapCompression::RunLength4:
            return bits == 4 ? Result<void>() : damaged();
        case BitmapCompression::BitFields:
            return bits == 16 || bits == 32 ? Result<void>() : damaged();
        case BitmapCompression::None:
            break;
    }
    return {};
}

}  // namespace

std::uint64_t BitmapHeader::tableEnd() const {
    std::uint64_t end = paletteOffset() + std::uint64_t{paletteEntries} * paletteEntrySize;
    if (compression == BitmapCompression::BitFields && infoSize == kInfoHeader) end += 12;
    return end;
}

std::uint64_t BitmapHeader::rowsStart() const {
    return std::max(pixelOffset, tableEnd());
}

Result<BitmapHeader> parseBitmapHeader(const std::uint8_t* bytes, std::size_t size) {
    if (size < 2 || bytes[0] != 'B' || bytes[1] != 'M') return failure("not a bitmap", kNotABitmap);
    if (size < kBitmapFileHeaderSize + 4) return damaged();
    BitmapHeader h;
    h.pixelOffset = getLe32(bytes + 10);
    h.infoSize = getLe32(bytes + 14);
    const std::uint32_t readable[] = {kCoreHeader, kInfoHeader, kOs2Header, 108, 124};
    if (std::find(std::begin(readable), std::end(readable), h.infoSize) == std::end(readable)) {
        // The 52- and 56-byte headers, and the OS/2 header cut after any field
        // from 16 bytes on, are valid but the decoders do not take them.
        if (h.infoSize >= 16 && h.infoSize < kOs2Header)
            return unsupported("a " + std::to_string(h.infoSize) + "-byte header");
        return damaged();
    }
    if (size < kBitmapFileHeaderSize + std::min(h.infoSize, kInfoHeader)) return damaged();
    const std::uint8_t* info = bytes + kBitmapFileHeaderSize;

    std::uint16_t planes = 0;
    std::uint32_t used = 0;
    if (h.infoSize == kCoreHeader) {
        h.width = getLe16(info + 4);
        h.height = getLe16(info + 6);
        planes = getLe16(info + 8);
        h.bitsPerPoint = getLe16(info + 10);
        h.paletteEntrySize = 3;
    } else {
        const auto width = static_cast<std::int32_t>(getLe32(info + 4));
        const auto height = static_cast<std::int32_t>(getLe32(info + 8));
        if (width <= 0 || height == INT32_MIN) return damaged();
        h.width = static_cast<std::uint32_t>(width);
        h.height = static_cast<std::uint32_t>(height < 0 ? -height : height);
        h.bottomUp = height > 0;
        planes = getLe16(info + 12);
        h.bitsPerPoint = getLe16(info + 14);
        Result<BitmapCompression> compression =
            compressionOf(getLe32(info + 16), h.infoSize, h.bitsPerPoint);
        if (!compression) return compression.why();
        h.compression = *compression;
        used = getLe32(info + 32);
    }
    if (h.width == 0 || h.height == 0 || planes != 1) return damaged();
    if (Result<void> depth = checkDepth(h.bitsPerPoint, h.compression); !depth) return depth.why();
    if (h.bitsPerPoint <= 8) {
        if (used > 256) return damaged();
        h.paletteEntries = used != 0 ? used : 1u << h.bitsPerPoint;
    }
    h.rowStride = bitmapRowStride(h.width, h.bitsPerPoint);
    return h;
}

}  // namespace vm
