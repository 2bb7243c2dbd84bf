#pragma once
// Whether the chunks of a PNG before its image data all end within the file. The
// PNG decoder sets aside what a chunk's length claims before it reads the chunk, so
// a damaged length in a file of a few bytes would claim up to 2 GB; such a file is
// refused as damaged before the decoder sees it.

#include <cstddef>
#include <cstdint>

#include "imaging/picture_input.h"

namespace vm {

// True for anything that is not a PNG.
bool pngChunksFit(const PictureInput& input);
// The same over bytes in memory.
bool pngChunksFit(const std::uint8_t* bytes, std::size_t size);

}  // namespace vm
