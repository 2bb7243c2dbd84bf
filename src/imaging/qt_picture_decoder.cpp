#include "imaging/qt_picture_decoder.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QTransform>

#include <unistd.h>
#include <algorithm>
#include <new>
#include <optional>
#include <vector>

#include "imaging/bitmap_file_picture.h"
#include "imaging/bitmap_header.h"
#include "imaging/decoded_picture.h"
#include "imaging/exif_orientation.h"
#include "imaging/picture_refusals.h"
#include "imaging/png_chunks.h"
#include "imaging/run_length_bitmap.h"

namespace vm {

namespace {

// The bytes a decoder needs at its peak for a picture of width x height points: the
// image it makes in its own format, and our 32-bit copy when that format cannot be
// converted where it lies. A 16-bit PNG, say, decodes to 8 bytes a point and is then
// copied to 4; an 8-bit one with transparency decodes to 4 and is converted in place.
// A picture to be turned upright takes one more image of its own format.
std::uint64_t decodingNeed(std::uint64_t width, std::uint64_t height, QImage::Format format,
                           bool turned = false) {
    const std::uint64_t own =
        format == QImage::Format_Invalid
            ? 4
            : (std::uint64_t{QImage::toPixelFormat(format).bitsPerPixel()} + 7) / 8;
    const bool convertsInPlace = format == QImage::Format_RGB32 || format == QImage::Format_ARGB32;
    const std::uint64_t perPoint = own * (turned ? 2 : 1) + (convertsInPlace ? 0 : 4);
    if (width == 0 || height == 0) return 0;
    if (width > UINT64_MAX / height / perPoint) return UINT64_MAX;
    return width * height * perPoint;
}

// What libjpeg holds besides the image for a progressive JPEG: the whole picture's
// coefficients, 64 of 2 bytes for each 8 x 8 block of each component, blocks
// rounded up to whole units of the component's sampling. 0 for a baseline JPEG,
// or for anything that is not a JPEG.
std::uint64_t jpegCoefficientBytes(const PictureInput& input) {
    std::uint8_t b[10];
    if (!input.readAt(0, b, 2) || b[0] != 0xFF || b[1] != 0xD8) return 0;
    std::uint64_t at = 2;
    for (int segments = 0; segments < 1000 && input.readAt(at, b, 4); ++segments) {
        if (b[0] != 0xFF) return 0;
        if (b[1] == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        const unsigned marker = b[1], length = unsigned{b[2]} << 8 | b[3];
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (!frame) {
            if (marker == 0xDA || marker == 0xD9 || length < 2) return 0;
            at += 2 + length;
            continue;
        }
        // A progressive frame keeps every coefficient until the last scan.
        const bool progressive =
            marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
        if (!progressive || !input.readAt(at + 4, b, 6)) return 0;
        const std::uint64_t height = unsigned{b[1]} << 8 | b[2], width = unsigned{b[3]} << 8 | b[4];
        const unsigned components = b[5];
        std::vector<std::uint8_t> sampling(std::size_t{components} * 3);
        if (!input.readAt(at + 10, sampling.data(), sampling.size())) return 0;
        unsigned hMax = 1, vMax = 1;
        for (unsigned c = 0; c < components; ++c) {
            hMax = std::max(hMax, unsigned{sampling[c * 3 + 1]} >> 4);
            vMax = std::max(vMax, unsigned{sampling[c * 3 + 1]} & 15u);
        }
        const auto ceilDiv = [](std::uint64_t a, std::uint64_t d) { return (a + d - 1) / d; };
        std::uint64_t blocks = 0;
        for (unsigned c = 0; c < components; ++c) {
            const std::uint64_t h = std::max(1u, unsigned{sampling[c * 3 + 1]} >> 4);
            const std::uint64_t v = std::max(1u, unsigned{sampling[c * 3 + 1]} & 15u);
            const std::uint64_t across = ceilDiv(ceilDiv(width * h, hMax), 8);
            const std::uint64_t down = ceilDiv(ceilDiv(height * v, vMax), 8);
            blocks += ceilDiv(across, h) * h * ceilDiv(down, v) * v;
        }
        return blocks * 128;
    }
    return 0;
}

// The size a GIF or PNG header claims, and the form its decoder will give, read
// before any decoder allocates for it; nothing when the header says nothing we can use.
struct Claim {
    std::uint64_t width, height;
    QImage::Format format;
};
std::optional<Claim> claimedSize(const std::vector<std::uint8_t>& h) {
    auto starts = [&h](const char* signature, std::size_t length) {
        return h.size() >= length &&
               std::equal(h.begin(), h.begin() + static_cast<std::ptrdiff_t>(length),
                          reinterpret_cast<const std::uint8_t*>(signature));
    };
    auto be32 = [&h](std::size_t at) {
        return std::uint64_t{h[at]} << 24 | std::uint64_t{h[at + 1]} << 16 |
               std::uint64_t{h[at + 2]} << 8 | h[at + 3];
    };
    if (h.size() >= 10 && (starts("GIF87a", 6) || starts("GIF89a", 6)))
        return Claim{std::uint64_t{h[6]} | std::uint64_t{h[7]} << 8,
                     std::uint64_t{h[8]} | std::uint64_t{h[9]} << 8, QImage::Format_RGB32};
    if (h.size() >= 26 && starts("\x89PNG\r\n\x1a\n", 8)) {
        // 16 bits a channel decode to 16 bits a channel (8 bytes a point in colour).
        const bool deep = h[24] == 16, grey = h[25] == 0;
        const QImage::Format format = !deep  ? QImage::Format_RGB32
                                      : grey ? QImage::Format_Grayscale16
                                             : QImage::Format_RGBA64;
        return Claim{be32(16), be32(20), format};
    }
    return std::nullopt;
}

// A plain bitmap read by our own reader, copied into our 32-bit form.
Result<PictureRef> decodedCopy(const BitmapFilePicture& picture, const PictureRefusals& refuse) {
    QImage image(picture.width(), picture.height(), QImage::Format_RGB32);
    if (image.isNull()) return refuse.noMemory();
    std::vector<std::uint8_t> row(static_cast<std::size_t>(picture.width()) * 3);
    for (std::int32_t y = 0; y < picture.height(); ++y) {
        if (!picture.readRowBgr(y, row.data())) {
            if (Result<void> whole = checkReadWhole(picture); !whole) return whole.why();
            return refuse.cutShort();
        }
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (std::size_t x = 0; x < row.size() / 3; ++x)
            out[x] = qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    }
    return PictureRef(std::make_shared<DecodedPicture>(std::move(image)));
}

// How a file reaches the decoder: as it is, or as the uncompressed bitmap its
// run-length coding expands to. A bitmap the decoder would misread ends here.
struct Route {
    std::vector<std::uint8_t> expanded;  // empty: the file as it is
    PictureRef picture;                  // set when the file was read another way
    std::uint64_t decoderHolds = 0;      // what the decoder keeps besides the image
};

// Bitmaps: whether their headers, size and rows allow decoding, and how.
Result<Route> routeBitmap(const PictureInputRef& input, const BitmapHeader& h, std::uint64_t limit,
                          const PictureRefusals& refuse) {
    if (decodingNeed(h.width, h.height, QImage::Format_RGB32) > limit)
        return refuse.tooLarge(h.width, h.height);
    if (h.runLength()) {
        const std::uint8_t* bytes = input->contents();
        std::vector<std::uint8_t> copy;  // the file, where it cannot be mapped
        if (!bytes) {
            try {
                copy.resize(static_cast<std::size_t>(input->size()));
            } catch (const std::bad_alloc&) {
                return refuse.noMemory();
            }
            if (Result<void> read = input->readAt(0, copy.data(), copy.size()); !read)
                return read.why();
            bytes = copy.data();
        }
        Result<std::vector<std::uint8_t>> expanded =
            expandRunLengthBitmap(h, bytes, static_cast<std::size_t>(input->size()), limit / 4);
        if (!input->intact()) return input->changedWhileRead();
        if (expanded) return Route{expanded.take(), nullptr};
        switch (expanded.kind().as<RunLengthProblem>().value_or(kRunLengthDamaged)) {
            case kRunLengthCutShort:
                return refuse.cutShort();
            case kRunLengthTooLarge:
                return refuse.noMemory();
            default:
                return refuse.damaged();
        }
    }
    // A plain 24-bit bitmap is read by the program's own reader, even when its last
    // row lacks its padding.
    if (auto bitmap = BitmapFilePicture::open(input)) {
        Result<PictureRef> copy = decodedCopy(**bitmap, refuse);
        if (!copy) return copy.why();
        return Route{{}, copy.take()};
    }
    // Uncompressed rows that end past the end of the file: the decoder would hand
    // back the rows it never read as whatever memory held.
    const std::uint64_t start = h.rowsStart();
    if (start <= input->size() && h.height <= (input->size() - start) / h.rowStride) return Route{};
    return refuse.cutShort();
}

// Checks what the file claims before a decoder sees it, and picks the route.
Result<Route> guardAndRoute(const PictureInputRef& input, std::uint64_t limit,
                            const PictureRefusals& refuse) {
    const Result<std::vector<std::uint8_t>> head = input->head(kBitmapHeadersMaxSize);
    if (!head) return head.why();
    const Result<BitmapHeader> bitmap = parseBitmapHeader(head->data(), head->size());
    if (bitmap) return routeBitmap(input, *bitmap, limit, refuse);
    if (bitmap.kind() == kDamagedBitmap) return refuse.damaged();
    if (bitmap.kind() == kUnsupportedBitmap) return refuse.unsupported(bitmap.error());
    if (const auto claim = claimedSize(*head);
        claim && decodingNeed(claim->width, claim->height, claim->format) > limit)
        return refuse.tooLarge(claim->width, claim->height);
    return Route{{}, nullptr, jpegCoefficientBytes(*input)};
}

// Pictures are used upright, as viewers show them (a portrait photograph whose
// camera stored it on its side, say): the EXIF orientation as Qt numbers its turns.
QImageIOHandler::Transformations exifTurn(const PictureInput& input) {
    using T = QImageIOHandler::Transformation;
    static constexpr T kTurns[] = {T::TransformationNone,     T::TransformationNone,
                                   T::TransformationMirror,   T::TransformationRotate180,
                                   T::TransformationFlip,     T::TransformationFlipAndRotate90,
                                   T::TransformationRotate90, T::TransformationMirrorAndRotate90,
                                   T::TransformationRotate270};
    return kTurns[exifOrientation(input)];
}

// Mirrored or flipped first, then turned a quarter, as Qt's decoders would do it.
QImage turnedUpright(QImage image, QImageIOHandler::Transformations turn) {
    if (turn == QImageIOHandler::TransformationNone) return image;
    if (turn == QImageIOHandler::TransformationRotate270)
        return image.transformed(QTransform().rotate(270));
    image = std::move(image).mirrored((turn & QImageIOHandler::TransformationMirror) != 0,
                                      (turn & QImageIOHandler::TransformationFlip) != 0);
    if ((turn & QImageIOHandler::TransformationRotate90) != 0)
        image = image.transformed(QTransform().rotate(90));
    return image;
}

// Decodes from the device, refusing before decoding what would take more than the
// limit (extra: bytes already held for this picture, or that the decoder holds
// besides the image).
Result<PictureRef> decodeFrom(QIODevice& device, bool asBitmap, std::uint64_t limit,
                              std::uint64_t extra, const PictureRefusals& refuse,
                              QImageIOHandler::Transformations turn = {}) {
    QImageReader reader(&device, asBitmap ? QByteArray("bmp") : QByteArray());
    reader.setDecideFormatFromContent(!asBitmap);
    // Turned by the caller as browsers turn it, not as Qt's decoders would.
    reader.setAutoTransform(false);
    if (!reader.canRead()) return refuse.notAPicture();
    const QSize size = reader.size();
    if (size.isValid()) {
        const auto w = static_cast<std::uint64_t>(size.width());
        const auto h = static_cast<std::uint64_t>(size.height());
        const bool turned = turn != QImageIOHandler::TransformationNone;
        const std::uint64_t need = decodingNeed(w, h, reader.imageFormat(), turned);
        if (need > limit || extra > limit - need) return refuse.tooLarge(w, h);
    }
    try {
        QImage image = reader.read();
        if (image.isNull()) return refuse.damaged();
        image = turnedUpright(std::move(image), turn);
        if (image.isNull()) return refuse.noMemory();
        if (image.format() != QImage::Format_RGB32) {
            // In place where the depth allows it (32-bit formats with transparency).
            image = std::move(image).convertToFormat(QImage::Format_RGB32);
            if (image.isNull()) return refuse.noMemory();
        }
        return PictureRef(std::make_shared<DecodedPicture>(std::move(image)));
    } catch (const std::bad_alloc&) {
        return refuse.noMemory();
    }
}

}  // namespace

Result<PictureRef> QtPictureDecoder::decode(const PictureInputRef& input) {
    const PictureRefusals refuse{input->path()};
    if (!pngChunksFit(*input)) return refuse.damaged();
    const std::uint64_t limit = decodeMemoryLimit();
    QImageReader::setAllocationLimit(
        static_cast<int>(std::min<std::uint64_t>(limit >> 20, 1u << 30)));
    Result<Route> route = guardAndRoute(input, limit, refuse);
    if (!route) return route.why();
    if (route->picture) return route->picture;

    if (!route->expanded.empty()) {
        const QByteArray bytes =
            QByteArray::fromRawData(reinterpret_cast<const char*>(route->expanded.data()),
                                    static_cast<qsizetype>(route->expanded.size()));
        QBuffer device;
        device.setData(bytes);
        device.open(QIODevice::ReadOnly);
        return decodeFrom(device, true, limit, route->expanded.size(), refuse);
    }
    if (!input->seekable()) {
        QBuffer device;
        device.setData(QByteArray::fromRawData(reinterpret_cast<const char*>(input->contents()),
                                               static_cast<qsizetype>(input->size())));
        device.open(QIODevice::ReadOnly);
        return decodeFrom(device, false, limit, input->size() + route->decoderHolds, refuse,
                          exifTurn(*input));
    }
    // The descriptor opened once, by the bytes of its name: read from the start.
    ::lseek(input->fd(), 0, SEEK_SET);
    QFile device;
    if (!device.open(input->fd(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        return refuse.damaged();
    return decodeFrom(device, false, limit, route->decoderHolds, refuse, exifTurn(*input));
}

}  // namespace vm
