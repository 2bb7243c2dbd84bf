#pragma once
// Reading picture files by their content, whatever their name, and writing
// pictures as uncompressed 24-bit bitmaps that keep every point exactly.

#include <string>

#include "imaging/bitmap_writer.h"  // SavePicture, the counterpart of the readers here
#include "imaging/picture.h"

namespace vm {

struct PictureLoad {
    PictureRef picture;  // set on success
    std::string error;   // a sentence for the user otherwise
    explicit operator bool() const { return picture != nullptr; }
};

// Decodes the whole file into memory (BMP, GIF, JPEG, PNG and whatever else the
// installed image plugins read). An animated picture gives its first frame.
PictureLoad LoadPicture(const std::string& path);

// As LoadPicture, but a plain 24-bit bitmap is read in place instead of decoded.
PictureLoad openPictureFile(const std::string& path);

// The largest decoded picture, in bytes, that opening will allocate.
std::uint64_t decodeMemoryLimit();

}  // namespace vm
