#pragma once
// Writing bitmaps: the one writer of the headers of the bitmaps Veilmark makes
// (the 14-byte file header and the 40-byte info header, uncompressed rows), and
// saving a picture as a 24-bit bitmap that keeps every point exactly. Needs no
// image library, so a program that only writes bitmaps does not load the decoders.

#include <cstddef>
#include <cstdint>
#include <functional>
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

// Reads a freshly written picture back from path before it takes the target's
// place; a failure says why it does not hold what it should, in words for the user.
using SavedFileCheck = std::function<Result<void>(const std::string& path)>;

// Writes the picture to path as a bitmap, or says what went wrong. The new file is written and,
// when a check is given, read back in full before it takes the place of an existing file of that
// name, which survives any failure byte for byte (see FileReplacement for how it is replaced).
Result<void> savePicture(const Picture& picture, const std::string& path,
                         const SavedFileCheck& check = {});

}  // namespace vm
