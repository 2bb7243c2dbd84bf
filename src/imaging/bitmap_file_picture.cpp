#include "imaging/bitmap_file_picture.h"

#include <cstring>

#include "imaging/picture_reader.h"
#include "imaging/picture_refusals.h"

namespace vm {

Result<std::shared_ptr<BitmapFilePicture>> BitmapFilePicture::open(PictureInputRef input) {
    const Result<std::vector<std::uint8_t>> head = input->head(kBitmapHeadersMaxSize);
    if (!head) return head.why();
    const Result<BitmapHeader> header = parseBitmapHeader(head->data(), head->size());
    if (!header) return header.why();
    const PictureRefusals refuse{input->path()};
    if (!header->plain24()) return refuse.unsupported("not an uncompressed 24-bit bitmap");
    if (header->width > INT32_MAX || header->height > INT32_MAX)
        return refuse.tooLarge(header->width, header->height);
    // Every point must be there; the last row need not be padded.
    const std::uint64_t need = header->rowsStart() + header->rowStride * (header->height - 1) +
                               std::uint64_t{header->width} * 3;
    if (need > input->size()) return refuse.cutShort();
    return std::shared_ptr<BitmapFilePicture>(new BitmapFilePicture(std::move(input), *header));
}

Result<std::shared_ptr<BitmapFilePicture>> BitmapFilePicture::open(const std::string& path) {
    Result<PictureInputRef> input = PictureInput::open(path, decodeMemoryLimit());
    if (!input) return input.why();
    return open(input.take());
}

BitmapFilePicture::BitmapFilePicture(PictureInputRef input, const BitmapHeader& header)
    : Picture(static_cast<std::int32_t>(header.width), static_cast<std::int32_t>(header.height)),
      m_input(std::move(input)),
      m_header(header),
      m_rowsStart(header.rowsStart()) {}

void BitmapFilePicture::readScattered() const {
    if (!m_bytes) m_bytes = m_input->contents();
}

std::uint64_t BitmapFilePicture::rowOffset(std::int32_t y) const {
    const auto row = static_cast<std::uint64_t>(m_header.bottomUp ? height() - 1 - y : y);
    return m_rowsStart + row * m_header.rowStride;
}

Colour BitmapFilePicture::colourAt(std::int32_t x, std::int32_t y) const {
    const std::uint64_t at = rowOffset(y) + static_cast<std::uint64_t>(x) * 3;
    unsigned char buffer[3];
    const unsigned char* bgr = m_bytes ? m_bytes + at : buffer;
    if (!m_bytes && !m_input->readAt(at, buffer, 3)) return 0;
    return makeColour(bgr[2], bgr[1], bgr[0]);
}

Result<void> BitmapFilePicture::readRowBgr(std::int32_t y, std::uint8_t* out) const {
    const auto size = static_cast<std::size_t>(width()) * 3;
    if (!m_bytes) return m_input->readAt(rowOffset(y), out, size);
    std::memcpy(out, m_bytes + rowOffset(y), size);
    if (!m_input->intact()) return m_input->changedWhileRead();
    return {};
}

Result<void> checkReadWhole(const Picture& picture) {
    const BitmapFilePicture* file = picture.bitmapFile();
    if (file && !file->input().intact()) return file->input().changedWhileRead();
    return {};
}

}  // namespace vm
