#pragma once
// Reading picture files by their content, whatever their name. Plain 24-bit
// bitmaps are read here, in place; every other format goes to a PictureDecoder,
// which the pictures library implements with the toolkit's decoders. Programs
// hand one to whatever opens pictures, as they hand over message boxes and dialogs.

#include <cstdint>
#include <string>

#include "imaging/picture.h"
#include "imaging/picture_input.h"
#include "platform/result.h"

namespace vm {

class PictureDecoder {
  public:
    virtual ~PictureDecoder() = default;
    // The whole picture, decoded into memory (BMP, GIF, JPEG, PNG and whatever else
    // the installed decoders read; an animated picture gives its first frame), or
    // why not, naming the file.
    virtual Result<PictureRef> decode(const PictureInputRef& input) = 0;
};

// The most memory, in bytes, that decoding one picture may take: half of what this
// process may use (the machine's memory, or its control group's limit, if smaller),
// so that an opened picture never starves the system nor gets the program killed.
std::uint64_t decodeMemoryLimit();

// Opens the file and decodes all of it.
Result<PictureRef> decodePictureFile(const std::string& path, PictureDecoder& decoder);

// As decodePictureFile, but a plain 24-bit bitmap is read in place instead of decoded.
Result<PictureRef> openPictureFile(const std::string& path, PictureDecoder& decoder);
// The same for the picture on standard input (descriptor 0).
Result<PictureRef> openStandardInputPicture(PictureDecoder& decoder);

}  // namespace vm
