#include "imaging/bitmap_writer.h"

#include <algorithm>
#include <new>
#include <vector>

#include "imaging/bitmap_file_picture.h"
#include "imaging/layered_picture.h"
#include "imaging/little_endian.h"
#include "platform/file_replacement.h"

namespace vm {

namespace {
// A bitmap file opened in place, with or without written points over it, whose rows
// are laid out as ours (bottom-up, no padding): its rows are copied file to file and
// the written points patched in. Returns false, with nothing written, when the
// picture is not such a one, and false with the file's error set when writing fails.
const BitmapFilePicture* fileUnder(const Picture& picture) {
    const auto* layered = dynamic_cast<const LayeredPicture*>(&picture);
    return dynamic_cast<const BitmapFilePicture*>(layered ? layered->base().get() : &picture);
}

bool copyUnchangedBitmap(const Picture& picture, FileReplacement& file, std::uint64_t stride) {
    const auto* layered = dynamic_cast<const LayeredPicture*>(&picture);
    const BitmapFilePicture* source = fileUnder(picture);
    if (!source || !source->bottomUp() || source->stride() != stride ||
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
        const std::uint64_t at = 54 + (height - 1 - static_cast<std::uint64_t>(point.y)) * stride +
                                 static_cast<std::uint64_t>(point.x) * 3;
        if (!file.writeAt(at, bgr, sizeof bgr)) return false;
    }
    return true;
}

// Any other picture: rows go out in blocks of about a megabyte. The empty text, or
// why not.
std::string writeRows(const Picture& picture, const std::string& path, FileReplacement& file,
                      std::uint64_t stride) {
    const auto height = static_cast<std::uint64_t>(picture.height());
    const std::uint64_t rowsPerBlock = std::max<std::uint64_t>(1, (1u << 20) / stride);
    std::vector<std::uint8_t> block;
    try {
        block.assign(static_cast<std::size_t>(rowsPerBlock * stride), 0);
    } catch (const std::bad_alloc&) {
        return "There is not enough memory to save the picture.";
    }
    std::uint64_t filled = 0;
    for (std::uint64_t row = 0; row < height; ++row) {
        const auto y = static_cast<std::int32_t>(height - 1 - row);
        if (!picture.readRowBgr(y, block.data() + filled * stride)) {
            const std::string why = "Could not read the picture back while saving " + path +
                                    ": its file changed or was removed.";
            file.abandon(why);
            return why;
        }
        if (++filled == rowsPerBlock || row + 1 == height) {
            if (!file.write(block.data(), static_cast<std::size_t>(filled * stride)))
                return file.error();
            filled = 0;
        }
    }
    return {};
}
}  // namespace

std::string SavePicture(const Picture& picture, const std::string& path,
                        const SavedFileCheck& check) {
    const auto width = static_cast<std::uint64_t>(picture.width());
    const auto height = static_cast<std::uint64_t>(picture.height());
    if (width == 0 || height == 0) return "There is no picture to save.";
    const std::uint64_t stride = (width * 3 + 3) & ~std::uint64_t{3};
    const std::uint64_t dataSize = stride * height;
    if (54 + dataSize > 0xFFFFFFFFu)
        return "The picture is too large for a bitmap file (" + std::to_string(picture.width()) +
               " x " + std::to_string(picture.height()) + " points).";

    std::uint8_t header[54] = {};
    header[0] = 'B';
    header[1] = 'M';
    putLe32(header + 2, static_cast<std::uint32_t>(54 + dataSize));
    putLe32(header + 10, 54);
    putLe32(header + 14, 40);
    putLe32(header + 18, static_cast<std::uint32_t>(width));
    putLe32(header + 22, static_cast<std::uint32_t>(height));  // positive: bottom-up rows
    putLe16(header + 26, 1);
    putLe16(header + 28, 24);
    putLe32(header + 34, static_cast<std::uint32_t>(dataSize));
    putLe32(header + 38, 3780);  // 96 dpi
    putLe32(header + 42, 3780);

    FileReplacement file(path);
    if (!file.open() || !file.write(header, sizeof header)) return file.error();
    const BitmapFilePicture* source = fileUnder(picture);
    const bool sameLayout = source && source->bottomUp() && source->pixelOffset() == 54 &&
                            source->stride() == width * 3;
    // A picture read in place from the very file that is rewritten in place keeps
    // reading it afterwards, so the file may change only where the picture did.
    if (source && !sameLayout && file.rewritesInPlace(source->fd())) {
        const std::string why = "Could not write " + path +
                                ": it is the file the picture was opened from, which can only be "
                                "rewritten in place here, and its layout would change. Save to "
                                "another name.";
        file.abandon(why);
        return why;
    }
    if (!copyUnchangedBitmap(picture, file, stride)) {
        if (!file.error().empty()) return file.error();
        if (std::string error = writeRows(picture, path, file, stride); !error.empty())
            return error;
    }
    if (check) {
        const std::string staged = file.stagedPath();
        if (staged.empty()) return file.error();
        if (std::string why = check(staged); !why.empty()) {
            file.abandon(why);
            return why;
        }
    }
    if (!file.commit()) return file.error();
    return {};
}

}  // namespace vm
