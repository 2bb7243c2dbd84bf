#include "imaging/picture_file.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <unistd.h>
#include <algorithm>
#include <new>
#include <vector>

#include "imaging/bitmap_file_picture.h"
#include "imaging/decoded_picture.h"
#include "imaging/little_endian.h"
#include "imaging/run_length_bitmap.h"

namespace vm {

namespace {
std::string sizeText(std::int64_t w, std::int64_t h) {
    return std::to_string(w) + " x " + std::to_string(h) + " points";
}

// Little- and big-endian fields of a header; the caller checks the length.
std::uint64_t le16(const QByteArray& h, int at) {
    return getLe16(reinterpret_cast<const std::uint8_t*>(h.constData()) + at);
}
std::uint64_t le32(const QByteArray& h, int at) {
    return getLe32(reinterpret_cast<const std::uint8_t*>(h.constData()) + at);
}
std::uint64_t be32(const QByteArray& h, int at) {
    std::uint64_t v = 0;
    for (int k = 0; k < 4; ++k) v = (v << 8) | static_cast<unsigned char>(h[at + k]);
    return v;
}
std::uint64_t magnitude(std::uint64_t field32) {
    const auto v = static_cast<std::int32_t>(field32);
    return static_cast<std::uint64_t>(v < 0 ? -static_cast<std::int64_t>(v) : v);
}

// The size a bitmap, GIF or PNG header claims, read before any decoder allocates
// for it; (0, 0) when the header says nothing we can use.
std::pair<std::uint64_t, std::uint64_t> claimedSize(const QByteArray& h) {
    if (h.size() >= 26 && h.startsWith("BM"))
        return {magnitude(le32(h, 18)), magnitude(le32(h, 22))};
    if (h.size() >= 10 && (h.startsWith("GIF87a") || h.startsWith("GIF89a")))
        return {le16(h, 6), le16(h, 8)};
    if (h.size() >= 24 && h.startsWith("\x89PNG\r\n\x1a\n")) return {be32(h, 16), be32(h, 20)};
    return {0, 0};
}

// Whether an uncompressed bitmap's rows end past the end of its file. The decoder
// stops at the end of the data and hands back the rows it never read as whatever
// the memory held, so such a file must be refused before decoding.
bool bitmapCutShort(const QByteArray& h, std::uint64_t fileSize) {
    if (h.size() < 26 || !h.startsWith("BM")) return false;
    const std::uint64_t offset = le32(h, 10), infoSize = le32(h, 14);
    std::uint64_t width, height, bits, compression = 0;
    if (infoSize == 12) {  // the old core header: 16-bit sizes, no compression
        width = le16(h, 18);
        height = le16(h, 20);
        bits = le16(h, 24);
    } else {
        if (h.size() < 34) return false;
        width = magnitude(le32(h, 18));
        height = magnitude(le32(h, 22));
        bits = le16(h, 28);
        compression = le32(h, 30);
    }
    constexpr std::uint64_t kRgb = 0, kBitFields = 3;
    if (compression != kRgb && compression != kBitFields) return false;  // run-length coded
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return false;  // no bitmap at all: the decoder refuses it
    // The rows start at the offset the header gives, or after the colour table or
    // the colour masks when the offset points inside those.
    std::uint64_t tableEnd = 14 + infoSize;
    if (bits <= 8) {
        const std::uint64_t used = infoSize >= 36 && h.size() >= 50 ? le32(h, 46) : 0;
        tableEnd += (used != 0 ? used : std::uint64_t{1} << bits) * (infoSize == 12 ? 3 : 4);
    } else if (compression == kBitFields && infoSize == 40) {
        tableEnd += 12;
    }
    const std::uint64_t stride = (width * bits + 31) / 32 * 4;
    const std::uint64_t start = std::max(offset, tableEnd);
    return start > fileSize || (stride != 0 && height > (fileSize - start) / stride);
}

// Whether a picture of this size, 4 bytes a point, would take more than limit bytes.
bool exceeds(std::uint64_t width, std::uint64_t height, std::uint64_t limit) {
    return width != 0 && height != 0 && (width > limit / 4 || height > limit / 4 / width);
}
}  // namespace

std::uint64_t decodeMemoryLimit() {
    // Half of the machine's memory, so that an opened picture never starves the system.
    const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGESIZE);
    const std::uint64_t physical =
        pages > 0 && pageSize > 0
            ? static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize)
            : (std::uint64_t{4} << 30);
    return std::max<std::uint64_t>(physical / 2, std::uint64_t{512} << 20);
}

PictureLoad LoadPicture(const std::string& path) {
    const QString qpath = QString::fromStdString(path);
    const QFileInfo info(qpath);
    if (!info.exists()) return {nullptr, "The file " + path + " does not exist."};
    if (info.isDir()) return {nullptr, path + " is a folder, not a picture."};
    if (!info.isReadable())
        return {nullptr, "The file " + path + " cannot be read: permission denied."};
    if (info.size() == 0) return {nullptr, "The file " + path + " is empty."};

    const std::uint64_t limit = decodeMemoryLimit();
    QImageReader::setAllocationLimit(
        static_cast<int>(std::min<std::uint64_t>(limit >> 20, 1u << 30)));
    auto tooLarge = [&](std::uint64_t w, std::uint64_t h) {
        return PictureLoad{
            nullptr, "The picture in " + path + " is too large to open (" +
                         sizeText(static_cast<std::int64_t>(w), static_cast<std::int64_t>(h)) +
                         ")."};
    };
    QFile file(qpath);
    const QByteArray header = file.open(QIODevice::ReadOnly) ? file.read(54) : QByteArray();
    const auto [headerWidth, headerHeight] = claimedSize(header);
    if (exceeds(headerWidth, headerHeight, limit)) return tooLarge(headerWidth, headerHeight);
    const auto fileSize = static_cast<std::uint64_t>(info.size());
    const std::string cutShort =
        "The picture in " + path + " is incomplete: the file ends too early.";
    const std::string damaged =
        "The picture in " + path + " is damaged or incomplete and cannot be opened.";
    const std::string noMemory = "There is not enough memory to open the picture in " + path + ".";
    if (bitmapCutShort(header, fileSize)) {
        // A 24-bit bitmap whose last row lacks only its padding still holds every
        // point; the decoder would drop that row, the in-place reader does not.
        const auto bitmap = BitmapFilePicture::open(path);
        if (!bitmap) return {nullptr, cutShort};
        QImage image = toQImage(bitmap).convertToFormat(QImage::Format_RGB32);
        if (image.isNull()) return {nullptr, noMemory};
        return {std::make_shared<DecodedPicture>(std::move(image)), {}};
    }

    // Run-length coded bitmaps are expanded here and the decoder reads the result.
    RunLengthExpansion expanded;
    if (isRunLengthBitmap(reinterpret_cast<const std::uint8_t*>(header.constData()),
                          static_cast<std::size_t>(header.size()))) {
        const uchar* bytes = file.map(0, static_cast<qint64>(fileSize));
        if (!bytes) return {nullptr, damaged};
        expanded = expandRunLengthBitmap(bytes, fileSize, limit / 4);
    }
    switch (expanded.status) {
        case RunLengthExpansion::Damaged:
            return {nullptr, damaged};
        case RunLengthExpansion::CutShort:
            return {nullptr, cutShort};
        case RunLengthExpansion::TooLarge:
            return {nullptr, noMemory};
        case RunLengthExpansion::NotRunLength:
        case RunLengthExpansion::Expanded:
            break;
    }
    const QByteArray expandedFile =
        QByteArray::fromRawData(reinterpret_cast<const char*>(expanded.bytes.data()),
                                static_cast<qsizetype>(expanded.bytes.size()));
    QBuffer expandedDevice;
    QImageReader reader;
    if (expanded.status == RunLengthExpansion::Expanded) {
        expandedDevice.setData(expandedFile);
        expandedDevice.open(QIODevice::ReadOnly);
        reader.setDevice(&expandedDevice);
        reader.setFormat("bmp");
    } else {
        reader.setFileName(qpath);
        reader.setDecideFormatFromContent(true);
    }
    reader.setAutoTransform(false);
    if (!reader.canRead())
        return {nullptr,
                "The file " + path +
                    " is not a picture Veilmark can read (bitmap, GIF, JPEG, PNG and the like)."};
    const QSize claimed = reader.size();
    if (claimed.isValid() && exceeds(static_cast<std::uint64_t>(claimed.width()),
                                     static_cast<std::uint64_t>(claimed.height()), limit))
        return tooLarge(static_cast<std::uint64_t>(claimed.width()),
                        static_cast<std::uint64_t>(claimed.height()));
    QImage image;
    try {
        image = reader.read();
        if (image.isNull()) return {nullptr, damaged};
        if (image.format() != QImage::Format_RGB32) {
            image = image.convertToFormat(QImage::Format_RGB32);
            if (image.isNull()) return {nullptr, noMemory};
        }
    } catch (const std::bad_alloc&) {
        return {nullptr, noMemory};
    }
    return {std::make_shared<DecodedPicture>(std::move(image)), {}};
}

PictureLoad openPictureFile(const std::string& path) {
    if (auto bitmap = BitmapFilePicture::open(path)) return {std::move(bitmap), {}};
    return LoadPicture(path);
}

}  // namespace vm
