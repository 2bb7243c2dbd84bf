#pragma once
// Opening pictures with the toolkit's decoders, for callers not yet handed a
// PictureDecoder of their own.

#include <string>

#include "imaging/bitmap_writer.h"
#include "imaging/picture_reader.h"

namespace vm {

struct PictureLoad {
    PictureRef picture;  // set on success
    std::string error;   // a sentence for the user otherwise
    explicit operator bool() const { return picture != nullptr; }
};

PictureLoad LoadPicture(const std::string& path);
PictureLoad openPictureFile(const std::string& path);

}  // namespace vm
