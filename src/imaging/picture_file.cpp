#include "imaging/picture_file.h"

#include <QFileInfo>
#include <QImageReader>

#include <algorithm>
#include <new>
#include <unistd.h>
#include <vector>

#include "imaging/bitmap_file_picture.h"
#include "imaging/decoded_picture.h"
#include "platform/atomic_file.h"

namespace vm {

namespace {
std::string sizeText(std::int64_t w, std::int64_t h) {
    return std::to_string(w) + " x " + std::to_string(h) + " points";
}

void putLe16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void putLe32(std::uint8_t* p, std::uint32_t v) {
    putLe16(p, v & 0xFFFF);
    putLe16(p + 2, v >> 16);
}
}  // namespace

std::uint64_t decodeMemoryLimit() {
    // Half of the machine's memory, so that an opened picture never starves the system.
    const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGESIZE);
    const std::uint64_t physical = pages > 0 && pageSize > 0
                                       ? static_cast<std::uint64_t>(pages) *
                                             static_cast<std::uint64_t>(pageSize)
                                       : (std::uint64_t{4} << 30);
    return std::max<std::uint64_t>(physical / 2, std::uint64_t{512} << 20);
}

PictureLoad LoadPicture(const std::string& path) {
    const QString qpath = QString::fromStdString(path);
    const QFileInfo info(qpath);
    if (!info.exists()) return {nullptr, "The file " + path + " does not exist."};
    if (info.isDir()) return {nullptr, path + " is a folder, not a picture."};
    if (!info.isReadable()) return {nullptr, "The file " + path + " cannot be read: permission denied."};
    if (info.size() == 0) return {nullptr, "The file " + path + " is empty."};

    const std::uint64_t limit = decodeMemoryLimit();
    QImageReader::setAllocationLimit(static_cast<int>(std::min<std::uint64_t>(limit >> 20, 1u << 30)));
    QImageReader reader(qpath);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    if (!reader.canRead())
        return {nullptr, "The file " + path +
                             " is not a picture Veilmark can read (bitmap, GIF, JPEG, PNG and the like)."};
    const QSize claimed = reader.size();
    if (claimed.isValid()) {
        const auto bytes = static_cast<std::uint64_t>(claimed.width()) *
                           static_cast<std::uint64_t>(claimed.height()) * 4;
        if (bytes > limit)
            return {nullptr, "The picture in " + path + " is too large to open (" +
                                 sizeText(claimed.width(), claimed.height()) + ")."};
    }
    QImage image;
    try {
        image = reader.read();
        if (!image.isNull() && image.format() != QImage::Format_RGB32)
            image = image.convertToFormat(QImage::Format_RGB32);
    } catch (const std::bad_alloc&) {
        return {nullptr, "There is not enough memory to open the picture in " + path + "."};
    }
    if (image.isNull()) {
        const bool tooLarge = reader.error() == QImageReader::InvalidDataError &&
                              reader.errorString().contains(QStringLiteral("limit"));
        if (tooLarge || (claimed.isValid() && claimed.width() > 0 && claimed.height() > 0 &&
                         reader.error() == QImageReader::UnknownError))
            return {nullptr, "The picture in " + path + " is too large or damaged to open" +
                                 (claimed.isValid() ? " (" + sizeText(claimed.width(), claimed.height()) + ")" : std::string()) + "."};
        return {nullptr, "The picture in " + path + " is damaged or incomplete and cannot be opened."};
    }
    return {std::make_shared<DecodedPicture>(std::move(image)), {}};
}

PictureLoad openPictureFile(const std::string& path) {
    if (auto bitmap = BitmapFilePicture::open(path)) return {std::move(bitmap), {}};
    return LoadPicture(path);
}

std::string SavePicture(const Picture& picture, const std::string& path) {
    const auto width = static_cast<std::uint64_t>(picture.width());
    const auto height = static_cast<std::uint64_t>(picture.height());
    if (width == 0 || height == 0) return "There is no picture to save.";
    const std::uint64_t stride = (width * 3 + 3) & ~std::uint64_t{3};
    const std::uint64_t dataSize = stride * height;
    if (54 + dataSize > 0xFFFFFFFFu)
        return "The picture is too large for a bitmap file (" +
               sizeText(picture.width(), picture.height()) + ").";

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

    AtomicFile file(path);
    if (!file.open() || !file.write(header, sizeof header)) return file.error();

    // Rows go out in blocks of about a megabyte.
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
        if (!picture.readRowBgr(y, block.data() + filled * stride))
            return "Could not read the picture back while saving " + path +
                   ": its file changed or was removed.";
        if (++filled == rowsPerBlock || row + 1 == height) {
            if (!file.write(block.data(), static_cast<std::size_t>(filled * stride))) return file.error();
            filled = 0;
        }
    }
    if (!file.commit()) return file.error();
    return {};
}

}  // namespace vm
