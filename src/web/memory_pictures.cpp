#include "web/memory_pictures.h"

#include <algorithm>
#include <climits>

#include "imaging/picture_refusals.h"

namespace vm::web {

namespace {
// Every point must be there; the last row need not be padded.
bool holdsEveryPoint(const BitmapHeader& header, std::size_t size) {
    return header.rowsStart() + header.rowStride * (header.height - 1) +
               std::uint64_t{header.width} * 3 <=
           size;
}
bool readHere(const BitmapHeader& header) {
    return header.plain24() && header.width <= INT32_MAX && header.height <= INT32_MAX;
}
}  // namespace

Result<std::shared_ptr<const BitmapBytesPicture>> BitmapBytesPicture::open(
    Bytes bytes, std::size_t size, const std::string& name) {
    const Result<BitmapHeader> header = parseBitmapHeader(bytes.get(), size);
    // The sentences the desktop's decoder gives for the same files.
    const PictureRefusals refuse{name};
    if (!header && header.kind() == kDamagedBitmap)
        return failure(refuse.damaged().message, kRefusedBitmap);
    if (!header && header.kind() == kUnsupportedBitmap)
        return failure(refuse.unsupported(header.error()).message, kRefusedBitmap);
    if (!header || !readHere(*header)) return failure("not a plain bitmap", kForBrowser);
    if (!holdsEveryPoint(*header, size)) return failure(refuse.cutShort().message, kRefusedBitmap);
    return std::shared_ptr<const BitmapBytesPicture>(
        new BitmapBytesPicture(std::move(bytes), *header));
}

BitmapBytesPicture::BitmapBytesPicture(Bytes bytes, const BitmapHeader& header)
    : Picture(static_cast<std::int32_t>(header.width), static_cast<std::int32_t>(header.height)),
      m_bytes(std::move(bytes)),
      m_header(header),
      m_rowsStart(header.rowsStart()) {}

const std::uint8_t* BitmapBytesPicture::row(std::int32_t y) const {
    const auto stored = static_cast<std::uint64_t>(m_header.bottomUp ? height() - 1 - y : y);
    return m_bytes.get() + m_rowsStart + stored * m_header.rowStride;
}

Colour BitmapBytesPicture::colourAt(std::int32_t x, std::int32_t y) const {
    const std::uint8_t* bgr = row(y) + static_cast<std::size_t>(x) * 3;
    return makeColour(bgr[2], bgr[1], bgr[0]);
}

Result<void> BitmapBytesPicture::readRowBgr(std::int32_t y, std::uint8_t* out) const {
    const std::uint8_t* in = row(y);
    std::copy(in, in + static_cast<std::size_t>(width()) * 3, out);
    return {};
}

Colour DecodedPointsPicture::colourAt(std::int32_t x, std::int32_t y) const {
    const std::uint8_t* p = at(x, y);
    return m_order == ChannelOrder::RedFirst ? makeColour(p[0], p[1], p[2])
                                             : makeColour(p[2], p[1], p[0]);
}

Result<void> DecodedPointsPicture::readRowBgr(std::int32_t y, std::uint8_t* out) const {
    const std::uint8_t* p = at(0, y);
    const int blue = m_order == ChannelOrder::RedFirst ? 2 : 0;
    for (std::int32_t x = 0; x < width(); ++x, p += 4) {
        *out++ = p[blue];
        *out++ = p[1];
        *out++ = p[2 - blue];
    }
    return {};
}

}  // namespace vm::web
