#include "web/bitmap_in_memory.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "imaging/bitmap_header.h"
#include "imaging/bitmap_writer.h"

namespace vm::web {

Result<InMemoryBitmap> writeBitmapInMemory(const Picture& picture) {
    const auto width = static_cast<std::uint64_t>(picture.width());
    const auto height = static_cast<std::uint64_t>(picture.height());
    if (width == 0 || height == 0) return failure("There is no picture to save.");
    const std::uint64_t stride = bitmapRowStride(width, 24);
    const std::uint64_t total = kBitmapHeadersSize + stride * height;
    if (total > UINT32_MAX)
        return failure("The picture is too large for a bitmap file (" +
                       std::to_string(picture.width()) + " x " + std::to_string(picture.height()) +
                       " points).");
    const auto size = static_cast<std::size_t>(total);  // fits: a module's memory is 32-bit
    InMemoryBitmap out{Bytes(new std::uint8_t[size]), size};
    std::uint8_t* bytes = out.bytes.get();
    writeBitmapHeaders(bytes, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height),
                       24);
    for (std::uint64_t row = 0; row < height; ++row) {
        std::uint8_t* at = bytes + kBitmapHeadersSize + row * stride;
        if (!picture.readRowBgr(static_cast<std::int32_t>(height - 1 - row), at))
            return failure("Could not read the picture back while saving it.");
        std::fill(at + width * 3, at + stride, std::uint8_t{0});
    }
    return out;
}

}  // namespace vm::web
