#include "cli/bitmap_writer.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>

#include "platform/atomic_file.h"

namespace vm::cli {

namespace {
void putLe16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void putLe32(std::uint8_t* p, std::uint32_t v) {
    putLe16(p, v & 0xFFFF);
    putLe16(p + 2, v >> 16);
}
std::string sizeText(const Picture& picture) {
    return std::to_string(picture.width()) + " x " + std::to_string(picture.height()) + " points";
}
}  // namespace

std::string writeBitmap(const Picture& picture, const std::string& path) {
    const auto width = static_cast<std::uint64_t>(picture.width());
    const auto height = static_cast<std::uint64_t>(picture.height());
    if (width == 0 || height == 0) return "There is no picture to save.";
    const std::uint64_t stride = (width * 3 + 3) & ~std::uint64_t{3};
    const std::uint64_t dataSize = stride * height;
    if (54 + dataSize > 0xFFFFFFFFu)
        return "The picture is too large for a bitmap file (" + sizeText(picture) + ").";

    // BITMAPFILEHEADER and BITMAPINFOHEADER; rows bottom-up, 96 dpi.
    std::uint8_t header[54] = {};
    header[0] = 'B';
    header[1] = 'M';
    putLe32(header + 2, static_cast<std::uint32_t>(54 + dataSize));
    putLe32(header + 10, 54);
    putLe32(header + 14, 40);
    putLe32(header + 18, static_cast<std::uint32_t>(width));
    putLe32(header + 22, static_cast<std::uint32_t>(height));
    putLe16(header + 26, 1);
    putLe16(header + 28, 24);
    putLe32(header + 34, static_cast<std::uint32_t>(dataSize));
    putLe32(header + 38, 3780);
    putLe32(header + 42, 3780);

    AtomicFile file(path);
    if (!file.open() || !file.write(header, sizeof header)) return file.error();

    // Rows go out in blocks of about 256 KiB: as fast to write as larger ones, and
    // small beside a decoded picture that is still in memory. Not zero-filled: every
    // row is read in whole, and only the padding at its end is set here.
    const std::uint64_t rowsPerBlock = std::max<std::uint64_t>(1, (256u << 10) / stride);
    std::unique_ptr<std::uint8_t[]> block(new (std::nothrow) std::uint8_t[rowsPerBlock * stride]);
    if (!block) return "There is not enough memory to save the picture.";
    std::uint64_t filled = 0;
    for (std::uint64_t row = 0; row < height; ++row) {
        std::uint8_t* out = block.get() + filled * stride;
        const auto y = static_cast<std::int32_t>(height - 1 - row);
        if (!picture.readRowBgr(y, out))
            return "Could not read the picture back while saving " + path +
                   ": its file changed or was removed.";
        std::fill(out + width * 3, out + stride, std::uint8_t{0});
        if (++filled == rowsPerBlock || row + 1 == height) {
            if (!file.write(block.get(), static_cast<std::size_t>(filled * stride)))
                return file.error();
            filled = 0;
        }
    }
    if (!file.commit()) return file.error();
    return {};
}

}  // namespace vm::cli
