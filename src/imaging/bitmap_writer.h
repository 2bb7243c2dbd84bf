#pragma once
// Writing bitmaps: the one writer of the headers of the bitmaps Veilmark makes
// (the 14-byte file header and the 40-byte info header, uncompressed rows), and of
// a picture as a 24-bit bitmap that keeps every point exactly. Needs no image
// library, so a program that only writes bitmaps does not load the decoders.
// Where the bytes go (a staged file, memory) is the caller's: see picture_saving.h.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "imaging/picture.h"
#include "platform/result.h"

namespace vm {

// The file header and the 40-byte info header together.
inline constexpr std::size_t kBitmapHeadersSize = 54;

// Fills out[0, 54) for a bitmap of width x height points at bitsPerPoint, whose
// palette of `colours` entries (4 bytes each) follows the headers, then the rows.
// The sizes the headers give stop at 4 GB; a larger total is written as 0, which
// readers take as "follows from the picture's size". Rows run bottom-up unless
// bottomUp is false.
void writeBitmapHeaders(std::uint8_t* out, std::uint32_t width, std::uint32_t height,
                        std::uint16_t bitsPerPoint, std::uint32_t colours = 0,
                        bool bottomUp = true);

// Where the bytes of a bitmap go. Each call says why it failed, in words for the user.
class BitmapSink {
  public:
    virtual ~BitmapSink() = default;
    virtual Result<void> write(const void* data, std::size_t size) = 0;
    // Appends length bytes of the file fd from offset, inside the kernel where it can.
    virtual Result<void> copyFrom(int fd, std::uint64_t offset, std::uint64_t length) = 0;
    // Overwrites bytes already written.
    virtual Result<void> writeAt(std::uint64_t offset, const void* data, std::size_t size) = 0;
};

// The size of the 24-bit bitmap of the picture, or why it has none (no points, or
// more than a bitmap's 4 GB).
Result<std::uint64_t> bitmapFileSize(const Picture& picture);

// Whether the picture is read in place from a plain bitmap laid out exactly as the
// one written for it (bottom-up, 24 bits, rows at byte 54), and if so, its file.
// Such a picture may be written over its own file: only the changed points move.
std::optional<int> sameLayoutFile(const Picture& picture);
// The file a picture is read from in place, whatever its layout; nothing for none.
std::optional<int> sourceFile(const Picture& picture);

// Writes the picture into the sink as a 24-bit bitmap. `name` names the target in
// the sentence of a failure.
Result<void> writeBitmap(const Picture& picture, BitmapSink& sink, const std::string& name);

}  // namespace vm
