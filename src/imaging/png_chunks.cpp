#include "imaging/png_chunks.h"

#include <cstring>

namespace vm {

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

// Walks the chunks up to the image data; read(at, out, n) reads n bytes at `at`,
// false past the end.
template <typename Read>
bool chunksFit(std::uint64_t size, Read read) {
    std::uint8_t head[8];
    if (!read(0, head, 8) || std::memcmp(head, kSignature, 8) != 0) return true;
    std::uint64_t at = 8;
    while (read(at, head, 8)) {
        const std::uint64_t length = (std::uint64_t{head[0]} << 24) |
                                     (std::uint64_t{head[1]} << 16) |
                                     (std::uint64_t{head[2]} << 8) | head[3];
        // The image data may be cut short: the decoder reads it a row at a time and
        // makes what it can of the rest.
        if (std::memcmp(head + 4, "IDAT", 4) == 0 || std::memcmp(head + 4, "IEND", 4) == 0)
            return true;
        at += 12 + length;  // length, type, data and CRC
        if (at > size) return false;
    }
    return true;
}

}  // namespace

bool pngChunksFit(const PictureInput& input) {
    return chunksFit(input.size(), [&input](std::uint64_t at, std::uint8_t* out, std::size_t n) {
        return static_cast<bool>(input.readAt(at, out, n));
    });
}

bool pngChunksFit(const std::uint8_t* bytes, std::size_t size) {
    return chunksFit(size, [bytes, size](std::uint64_t at, std::uint8_t* out, std::size_t n) {
        if (at > size || n > size - at) return false;
        std::memcpy(out, bytes + at, n);
        return true;
    });
}

}  // namespace vm
