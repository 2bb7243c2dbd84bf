#include "imaging/exif_orientation.h"

#include <cstring>
#include <vector>

namespace vm {

namespace {

constexpr std::size_t kMostExif = 1 << 20;  // more is no camera's

std::uint32_t bigEndian(const std::uint8_t* b, int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = v << 8 | b[i];
    return v;
}

// The orientation tag (0x0112, one SHORT) of the first IFD of a TIFF structure.
int orientationInTiff(const std::vector<std::uint8_t>& t) {
    if (t.size() < 8) return 1;
    const bool little = t[0] == 'I' && t[1] == 'I';
    if (!little && !(t[0] == 'M' && t[1] == 'M')) return 1;
    const auto read = [&](std::size_t at, int n) -> std::uint32_t {
        if (little) {
            std::uint32_t v = 0;
            for (int i = n - 1; i >= 0; --i) v = v << 8 | t[at + static_cast<std::size_t>(i)];
            return v;
        }
        return bigEndian(t.data() + at, n);
    };
    if (read(2, 2) != 42) return 1;
    const std::size_t ifd = read(4, 4);
    if (ifd > t.size() - 2) return 1;
    const std::size_t count = read(ifd, 2);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = ifd + 2 + i * 12;
        if (entry > t.size() - 12) return 1;
        if (read(entry, 2) != 0x0112) continue;
        const std::uint32_t value = read(entry + 8, 2);
        return read(entry + 2, 2) == 3 && read(entry + 4, 4) == 1 && value >= 1 && value <= 8
                   ? static_cast<int>(value)
                   : 1;
    }
    return 1;
}

std::vector<std::uint8_t> bytesAt(const PictureInput& input, std::uint64_t at, std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    if (!input.readAt(at, bytes.data(), n)) bytes.clear();
    return bytes;
}

// The first Exif segment before the scan.
int jpegOrientation(const PictureInput& input) {
    std::uint64_t at = 2;
    std::uint8_t marker[4];
    while (input.readAt(at, marker, 4) && marker[0] == 0xff) {
        if (marker[1] == 0xff) {  // fill
            ++at;
            continue;
        }
        if (marker[1] == 0xda || marker[1] == 0xd9) return 1;
        const std::uint32_t length = bigEndian(marker + 2, 2);
        if (length < 2) return 1;
        if (marker[1] == 0xe1 && length >= 8 + 8) {
            const std::vector<std::uint8_t> segment = bytesAt(input, at + 4, length - 2);
            if (segment.size() >= 6 && std::memcmp(segment.data(), "Exif\0\0", 6) == 0)
                return orientationInTiff({segment.begin() + 6, segment.end()});
        }
        at += 2 + length;
    }
    return 1;
}

// The eXIf chunk before the image data.
int pngOrientation(const PictureInput& input) {
    std::uint64_t at = 8;
    std::uint8_t chunk[8];
    while (input.readAt(at, chunk, 8)) {
        const std::uint32_t length = bigEndian(chunk, 4);
        if (std::memcmp(chunk + 4, "IDAT", 4) == 0 || std::memcmp(chunk + 4, "IEND", 4) == 0)
            return 1;
        if (std::memcmp(chunk + 4, "eXIf", 4) == 0)
            return length <= kMostExif ? orientationInTiff(bytesAt(input, at + 8, length)) : 1;
        at += 12 + std::uint64_t{length};
    }
    return 1;
}

}  // namespace

int exifOrientation(const PictureInput& input) {
    // A start that cannot be read holds no orientation; the reading itself says why.
    const Result<std::vector<std::uint8_t>> read = input.head(8);
    if (!read) return 1;
    const std::vector<std::uint8_t>& head = *read;
    if (head.size() >= 3 && head[0] == 0xff && head[1] == 0xd8 && head[2] == 0xff)
        return jpegOrientation(input);
    if (head.size() == 8 && std::memcmp(head.data(), "\x89PNG\r\n\x1a\n", 8) == 0)
        return pngOrientation(input);
    return 1;
}

}  // namespace vm
