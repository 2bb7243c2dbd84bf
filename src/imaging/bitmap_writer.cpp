#include "imaging/bitmap_writer.h"

#include <algorithm>
#include <new>
#include <vector>

#include "imaging/bitmap_file_picture.h"
#include "imaging/bitmap_header.h"
#include "imaging/layered_picture.h"
#include "imaging/little_endian.h"
#include "platform/file_replacement.h"

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
    const auto* layered = dynamic_cast<const LayeredPicture*>(&picture);
    return dynamic_cast<const BitmapFilePicture*>(layered ? layered->base().get() : &picture);
}

// A bitmap file opened in place whose rows are laid out as ours (bottom-up, no
// padding): its rows are copied file to file and the written points patched in.
// Returns false, with nothing written, when the picture is not such a one, and
// false with the file's error set when writing fails.
bool copyUnchangedBitmap(const Picture& picture, FileReplacement& file, std::uint64_t stride) {
    const auto* layered = dynamic_cast<const LayeredPicture*>(&picture);
    const BitmapFilePicture* source = fileUnder(picture);
    if (!source || source->fd() < 0 || !source->bottomUp() || source->stride() != stride ||
        stride != static_cast<std::uint64_t>(picture.width()) * 3)
        return false;
    const auto height = static_cast<std::uint64_t>(picture.height());
    if (!file.copyFrom(source->fd(), source->pixelOffset(), stride * height)) return false;
    if (!layered) return true;
    for (const ChangedPoint& point : layered->changes()) {
        const auto c = static_cast<std::uint32_t>(point.colour);
        const std::uint8_t bgr[3] = {static_cast<std::uint8_t>(c >> 16),
                                     static_cast<std::uint8_t>(c >> 8),
                                     static_cast<std::uint8_t>(c)};
        const std::uint64_t at = kBitmapHeadersSize +
                                 (height - 1 - static_cast<std::uint64_t>(point.y)) * stride +
                                 static_cast<std::uint64_t>(point.x) * 3;
        if (!file.writeAt(at, bgr, sizeof bgr)) return false;
    }
    return true;
}

// Any other picture: rows go out in blocks of about a megabyte.
Result<void> writeRows(const Picture& picture, const std::string& path, FileReplacement& file,
                       std::uint64_t stride) {
    const auto height = static_cast<std::uint64_t>(picture.height());
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
        if (!picture.readRowBgr(y, block.data() + filled * stride)) {
            const std::string why = "Could not read the picture back while saving " + path +
                                    ": its file changed or was removed.";
            file.abandon(why);
            return failure(why);
        }
        if (++filled == rowsPerBlock || row + 1 == height) {
            if (!file.write(block.data(), static_cast<std::size_t>(filled * stride)))
                return failure(file.error());
            filled = 0;
        }
    }
    return {};
}
}  // namespace

Result<void> savePicture(const Picture& picture, const std::string& path,
                         const SavedFileCheck& check) {
    const auto width = static_cast<std::uint64_t>(picture.width());
    const auto height = static_cast<std::uint64_t>(picture.height());
    if (width == 0 || height == 0) return failure("There is no picture to save.");
    const std::uint64_t stride = bitmapRowStride(width, 24);
    if (kBitmapHeadersSize + stride * height > UINT32_MAX)
        return failure("The picture is too large for a bitmap file (" +
                       std::to_string(picture.width()) + " x " + std::to_string(picture.height()) +
                       " points).");
    std::uint8_t header[kBitmapHeadersSize];
    writeBitmapHeaders(header, static_cast<std::uint32_t>(width),
                       static_cast<std::uint32_t>(height), 24);

    FileReplacement file(path);
    if (!file.open() || !file.write(header, sizeof header)) return failure(file.error());
    const BitmapFilePicture* source = fileUnder(picture);
    const bool sameLayout = source && source->bottomUp() &&
                            source->pixelOffset() == kBitmapHeadersSize &&
                            source->stride() == width * 3;
    // A picture read in place from the very file that is rewritten in place keeps
    // reading it afterwards, so the file may change only where the picture did.
    if (source && !sameLayout && file.rewritesInPlace(source->fd())) {
        const std::string why = "Could not write " + path +
                                ": it is the file the picture was opened from, which can only be "
                                "rewritten in place here, and its layout would change. Save to "
                                "another name.";
        file.abandon(why);
        return failure(why);
    }
    if (!copyUnchangedBitmap(picture, file, stride)) {
        if (!file.error().empty()) return failure(file.error());
        if (Result<void> written = writeRows(picture, path, file, stride); !written) return written;
    }
    if (check) {
        const std::string staged = file.stagedPath();
        if (staged.empty()) return failure(file.error());
        if (Result<void> checked = check(staged); !checked) {
            file.abandon(checked.error());
            return checked;
        }
    }
    if (!file.commit()) return failure(file.error());
    return {};
}

}  // namespace vm
