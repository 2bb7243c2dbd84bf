#include "imaging/run_length_bitmap.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "imaging/little_endian.h"

namespace vm {

namespace {

constexpr std::size_t kFileHeader = 14, kInfoHeader = 40;
constexpr std::uint32_t kRle8 = 1, kRle4 = 2;

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

bool isRunLengthBitmap(const std::uint8_t* file, std::size_t size) {
    if (size < 34 || file[0] != 'B' || file[1] != 'M') return false;
    const std::uint32_t compression = getLe32(file + 30);
    // The old 12-byte header has no compression field.
    return getLe32(file + kFileHeader) >= kInfoHeader &&
           (compression == kRle8 || compression == kRle4);
}

RunLengthExpansion expandRunLengthBitmap(const std::uint8_t* file, std::size_t size,
                                         std::uint64_t maxRowBytes) {
    RunLengthExpansion result;
    if (!isRunLengthBitmap(file, size)) return result;
    const std::uint32_t compression = getLe32(file + 30);

    result.status = RunLengthExpansion::Damaged;
    if (size < kFileHeader + kInfoHeader) return result;
    const std::uint32_t infoSize = getLe32(file + kFileHeader);
    const auto width = static_cast<std::int32_t>(getLe32(file + 18));
    const auto signedHeight = static_cast<std::int32_t>(getLe32(file + 22));
    const std::uint16_t planes = getLe16(file + 26), bits = getLe16(file + 28);
    const bool fourBits = compression == kRle4;
    if (planes != 1 || bits != (fourBits ? 4 : 8) || width <= 0 || signedHeight == 0 ||
        signedHeight == INT32_MIN)
        return result;
    const auto height = static_cast<std::uint32_t>(signedHeight < 0 ? -signedHeight : signedHeight);

    const std::uint32_t used = getLe32(file + 46);
    const std::uint64_t colours = used != 0 ? used : std::uint64_t{1} << bits;
    if (colours > 256) return result;
    const std::uint64_t tableStart = kFileHeader + std::uint64_t{infoSize};
    const std::uint64_t tableEnd = tableStart + colours * 4;
    if (tableEnd > size) return result;
    // The stream starts where the header says, or after the palette when that
    // points inside the header or the palette.
    const std::uint64_t streamStart = std::max<std::uint64_t>(getLe32(file + 10), tableEnd);
    if (streamStart > size) {
        result.status = RunLengthExpansion::CutShort;
        return result;
    }

    const std::uint64_t stride =
        (std::uint64_t{static_cast<std::uint32_t>(width)} * bits + 31) / 32 * 4;
    if (stride > maxRowBytes / height) {
        result.status = RunLengthExpansion::TooLarge;
        return result;
    }
    const std::uint64_t rowsStart = kFileHeader + kInfoHeader + colours * 4;
    const std::uint64_t total = rowsStart + stride * height;
    try {
        result.bytes.assign(total, 0);
    } catch (const std::bad_alloc&) {
        result.bytes.clear();
        result.status = RunLengthExpansion::TooLarge;
        return result;
    }
    std::uint8_t* out = result.bytes.data();
    Rows rows(out + rowsStart, static_cast<std::uint32_t>(width), height, stride, fourBits);
    if (!expandStream(file + streamStart, size - streamStart, rows)) {
        result.bytes = {};
        result.status = RunLengthExpansion::CutShort;
        return result;
    }

    out[0] = 'B';
    out[1] = 'M';
    putLe32(out + 2, total > UINT32_MAX ? 0 : static_cast<std::uint32_t>(total));
    putLe32(out + 10, static_cast<std::uint32_t>(rowsStart));
    std::memcpy(out + kFileHeader, file + kFileHeader, kInfoHeader);
    putLe32(out + kFileHeader, kInfoHeader);
    putLe32(out + 30, 0);  // no compression
    putLe32(out + 34, 0);  // the size of the rows follows from the picture's size
    putLe32(out + 46, static_cast<std::uint32_t>(colours));
    std::memcpy(out + kFileHeader + kInfoHeader, file + tableStart, colours * 4);
    result.status = RunLengthExpansion::Expanded;
    return result;
}

}  // namespace vm
