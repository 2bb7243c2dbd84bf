#pragma once
// Writing a picture as an uncompressed 24-bit bitmap that keeps every point
// exactly. Needs no image library, so a program that only writes bitmaps does not
// load the decoders.

#include <functional>
#include <string>

#include "imaging/picture.h"

namespace vm {

// Reads a freshly written picture back from path before it takes the target's
// place; the empty text when it holds what it should, otherwise why not, in words
// for the user.
using SavedFileCheck = std::function<std::string(const std::string& path)>;

// Writes the picture to path as a bitmap; the empty text on success, otherwise
// what went wrong. The new file is written and, when a check is given, read back
// in full before it takes the place of an existing file of that name, which
// survives any failure byte for byte (see FileReplacement for how it is replaced).
std::string SavePicture(const Picture& picture, const std::string& path,
                        const SavedFileCheck& check = {});

}  // namespace vm
