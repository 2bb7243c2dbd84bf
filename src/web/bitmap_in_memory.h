#pragma once
// Writing a picture as a bitmap in memory, for the page to offer as a download.

#include <cstddef>

#include "imaging/picture.h"
#include "platform/result.h"
#include "web/memory_pictures.h"

namespace vm::web {

struct InMemoryBitmap {
    Bytes bytes;
    std::size_t size = 0;
};

// Stand-in until the saving module has an in-memory entry point: the same headers
// and rows as a bitmap saved to a file (24 bits a point, bottom-up, rows padded
// with zeros), so that the page's file is byte for byte veilmark-cli's.
Result<InMemoryBitmap> writeBitmapInMemory(const Picture& picture);

}  // namespace vm::web
