#include "imaging/bitmap_writer.h"

#include <algorithm>
#include <new>
#include <vector>

#include "imaging/bitmap_file_picture.h"
#include "imaging/bitmap_header.h"
#include "imaging/little_endian.h"

namespace vm {

void writeBitmapHeaders(std::uint8_t* out, std::uint32_t width, std::uint32_t height,
                        std::uint16_t bitsPerPoint, std::uint32_t colours, bool bottomUp) {
    const std::uint64_t rowsStart = kBitmapHeadersSize + std::uint64_t{colours} * 4;
    const std::uint64_t rows = bitmapRowStride(width, bitsPerPoint) * height;
    const std::uint64_t total = rowsStart + rows;
    std::fill(out, out + kBitmapHeadersSize, std::uint8_t{0});
    out[0] = 'B';
    out[1] = 'M';
    putLe32(out + 2, total > UINT32_MAX ? 0 : static_cast<std::uint32_t>(total));
    putLe32(out + 10, static_cast<std::uint32_t>(rowsStart));
    putLe32(out + 14, kBitmapHeadersSize - kBitmapFileHeaderSize);
    putLe32(out + 18, width);
    putLe32(out + 22, bottomUp ? height : 0u - height);  // negative: top-down rows
    putLe16(out + 26, 1);
    putLe16(out + 28, bitsPerPoint);
    putLe32(out + 34, rows > UINT32_MAX ? 0 : static_cast<std::uint32_t>(rows));
    putLe32(out + 38, 3780);  // 96 dpi
    putLe32(out + 42, 3780);
    putLe32(out + 46, colours);
}

namespace {
// The bitmap file a picture was opened from in place, with or without written
// points over it; nullptr for a picture that is not backed by such a file.
const BitmapFilePicture* fileUnder(const Picture& picture) {
    return picture.bitmapFile();
}

// A picture read in place from a bitmap laid out as ours: its rows are copied file
// to file and the written points patched in.
Result<void> copyUnchangedBitmap(const Picture& picture, int fd, BitmapSink& sink) {
    const auto height = static_cast<std::uint64_t>(picture.height());
    const std::uint64_t stride = bitmapRowStride(static_cast<std::uint64_t>(picture.width()), 24);
    // The source's last row may lack its padding: that is written as zeros.
    const std::uint64_t points = static_cast<std::uint64_t>(picture.width()) * 3;
    if (Result<void> copied = sink.copyFrom(fd, kBitmapHeadersSize, stride * (height - 1) + points);
        !copied)
        return copied;
    const std::uint8_t padding[4] = {};
    if (stride > points) {
        if (Result<void> padded = sink.write(padding, static_cast<std::size_t>(stride - points));
            !padded)
            return padded;
    }
    for (const ChangedPoint& point : picture.changes()) {
        std::uint8_t bgr[3];
        putBgr(point.colour, bgr);
        const std::uint64_t at = kBitmapHeadersSize +
                                 (height - 1 - static_cast<std::uint64_t>(point.y)) * stride +
                                 static_cast<std::uint64_t>(point.x) * 3;
        if (Result<void> patched = sink.writeAt(at, bgr, sizeof bgr); !patched) return patched;
    }
    return {};
}

// Any other picture: rows go out in blocks of about a megabyte.
Result<void> writeRows(const Picture& picture, BitmapSink& sink, const std::string& name) {
    const auto height = static_cast<std::uint64_t>(picture.height());
    const std::uint64_t stride = bitmapRowStride(static_cast<std::uint64_t>(picture.width()), 24);
    const std::uint64_t rowsPerBlock = std::max<std::uint64_t>(1, (1u << 20) / stride);
    std::vector<std::uint8_t> block;
    try {
        block.assign(static_cast<std::size_t>(rowsPerBlock * stride), 0);
    } catch (const std::bad_alloc&) {
        return failure("There is not enough memory to save the picture.");
    }
    std::uint64_t filled = 0;
    for (std::uint64_t row = 0; row < height; ++row) {
        const auto y = static_cast<std::int32_t>(height - 1 - row);
        if (!picture.readRowBgr(y, block.data() + filled * stride))
            return failure("Could not read the picture back while saving " + name +
                           ": its file changed or was removed.");
        if (++filled == rowsPerBlock || row + 1 == height) {
            const Result<void> written =
                sink.write(block.data(), static_cast<std::size_t>(filled * stride));
            if (!written) return written;
            filled = 0;
        }
    }
    return {};
}
}  // namespace

Result<std::uint64_t> bitmapFileSize(const Picture& picture) {
    const auto width = static_cast<std::uint64_t>(picture.width());
    const auto height = static_cast<std::uint64_t>(picture.height());
    if (width == 0 || height == 0) return failure("There is no picture to save.");
    const std::uint64_t size = kBitmapHeadersSize + bitmapRowStride(width, 24) * height;
    if (size > UINT32_MAX)
        return failure("The picture is too large for a bitmap file (" +
                       std::to_string(picture.width()) + " x " + std::to_string(picture.height()) +
                       " points).");
    return size;
}

std::optional<int> sourceFile(const Picture& picture) {
    const BitmapFilePicture* source = fileUnder(picture);
    if (!source || source->fd() < 0) return std::nullopt;
    return source->fd();
}

std::optional<int> sameLayoutFile(const Picture& picture) {
    const BitmapFilePicture* source = fileUnder(picture);
    // Padded rows (an odd width) are laid out alike too: the stride is what matters.
    const bool same =
        source && source->fd() >= 0 && source->bottomUp() &&
        source->pixelOffset() == kBitmapHeadersSize &&
        source->stride() == bitmapRowStride(static_cast<std::uint64_t>(picture.width()), 24);
    if (!same) return std::nullopt;
    return source->fd();
}

Result<void> writeBitmap(const Picture& picture, BitmapSink& sink, const std::string& name) {
    const Result<std::uint64_t> size = bitmapFileSize(picture);
    if (!size) return size.why();
    std::uint8_t header[kBitmapHeadersSize];
    writeBitmapHeaders(header, static_cast<std::uint32_t>(picture.width()),
                       static_cast<std::uint32_t>(picture.height()), 24);
    if (Result<void> written = sink.write(header, sizeof header); !written) return written;
    if (const std::optional<int> fd = sameLayoutFile(picture))
        return copyUnchangedBitmap(picture, *fd, sink);
    return writeRows(picture, sink, name);
}

}  // namespace vm
