#include "imaging/run_length_bitmap.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "imaging/bitmap_writer.h"

namespace vm {

namespace {

// Writes colour indexes into uncompressed rows, dropping what falls outside.
class Rows {
  public:
    Rows(std::uint8_t* data, std::uint32_t width, std::uint32_t height, std::uint64_t stride,
         bool fourBits)
        : m_data(data), m_width(width), m_height(height), m_stride(stride), m_fourBits(fourBits) {}

    std::uint32_t height() const { return m_height; }
    bool fourBits() const { return m_fourBits; }

    void put(std::uint64_t x, std::uint64_t y, std::uint8_t index) {
        if (x >= m_width || y >= m_height) return;
        std::uint8_t* row = m_data + y * m_stride;
        if (!m_fourBits) {
            row[x] = index;
            return;
        }
        std::uint8_t& pair = row[x / 2];
        pair = x % 2 == 0 ? static_cast<std::uint8_t>((pair & 0x0F) | (index << 4))
                          : static_cast<std::uint8_t>((pair & 0xF0) | (index & 0x0F));
    }

  private:
    std::uint8_t* m_data;
    std::uint32_t m_width, m_height;
    std::uint64_t m_stride;
    bool m_fourBits;
};

// Follows the stream from its first byte; false when it runs out before the end
// of the picture.
bool expandStream(const std::uint8_t* p, std::size_t size, Rows& rows) {
    const bool fourBits = rows.fourBits();
    std::size_t at = 0;
    std::uint64_t x = 0, y = 0;
    auto index = [fourBits](std::uint8_t value, std::uint64_t k) {
        if (!fourBits) return value;
        return static_cast<std::uint8_t>(k % 2 == 0 ? value >> 4 : value & 0x0F);
    };
    while (y < rows.height()) {
        if (size - at < 2) return false;
        const std::uint8_t count = p[at], value = p[at + 1];
        at += 2;
        if (count > 0) {  // a run of one value, or of two alternating halves
            for (std::uint64_t k = 0; k < count; ++k) rows.put(x + k, y, index(value, k));
            x += count;
        } else if (value == 0) {  // the end of a row
            x = 0;
            ++y;
        } else if (value == 1) {  // the end of the picture
            return true;
        } else if (value == 2) {  // a jump right and up
            if (size - at < 2) return false;
            x += p[at];
            y += p[at + 1];
            at += 2;
        } else {  // points given one by one, padded to a whole number of 16-bit words
            const std::size_t bytes = fourBits ? (value + 1u) / 2 : value;
            if (size - at < bytes) return false;
            for (std::uint64_t k = 0; k < value; ++k)
                rows.put(x + k, y, index(p[at + (fourBits ? k / 2 : k)], k));
            x += value;
            at += std::min(bytes + (bytes & 1), size - at);
        }
    }
    return true;
}

}  // namespace

Result<std::vector<std::uint8_t>> expandRunLengthBitmap(const BitmapHeader& header,
                                                        const std::uint8_t* file, std::size_t size,
                                                        std::uint64_t maxRowBytes) {
    const std::uint64_t colours = header.paletteEntries;
    if (!header.runLength() || header.paletteEntrySize != 4 || header.tableEnd() > size)
        return failure("damaged", kRunLengthDamaged);
    const std::uint64_t streamStart = header.rowsStart();
    if (streamStart > size) return failure("cut short", kRunLengthCutShort);
    if (header.rowStride > maxRowBytes / header.height)
        return failure("too large", kRunLengthTooLarge);

    const std::uint64_t rowsStart = kBitmapHeadersSize + colours * 4;
    std::vector<std::uint8_t> bytes;
    try {
        bytes.assign(rowsStart + header.rowStride * header.height, 0);
    } catch (const std::bad_alloc&) {
        return failure("too large", kRunLengthTooLarge);
    }
    const bool fourBits = header.compression == BitmapCompression::RunLength4;
    Rows rows(bytes.data() + rowsStart, header.width, header.height, header.rowStride, fourBits);
    if (!expandStream(file + streamStart, size - streamStart, rows))
        return failure("cut short", kRunLengthCutShort);
    writeBitmapHeaders(bytes.data(), header.width, header.height, header.bitsPerPoint,
                       header.paletteEntries, header.bottomUp);
    std::memcpy(bytes.data() + kBitmapHeadersSize, file + header.paletteOffset(), colours * 4);
    return bytes;
}

}  // namespace vm
