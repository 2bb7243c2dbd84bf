#pragma once
// Writes a picture as an uncompressed 24-bit bitmap, byte for byte the file the
// core's SavePicture writes. It lives here, apart from the decoders, so that the
// program can save without loading the toolkit.

#include <string>

#include "imaging/picture.h"

namespace vm::cli {

// Atomically, through AtomicFile: the empty text on success, otherwise what went
// wrong, and an existing file of that name is left as it was.
std::string writeBitmap(const Picture& picture, const std::string& path);

}  // namespace vm::cli
