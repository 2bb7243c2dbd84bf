#include "imaging/picture_reader.h"

#include <algorithm>

#include "imaging/bitmap_file_picture.h"
#include "platform/memory_budget.h"

namespace vm {

namespace {
// A plain 24-bit bitmap in place, anything else decoded.
Result<PictureRef> openPictureInput(Result<PictureInputRef> input, PictureDecoder& decoder) {
    if (!input) return input.why();
    if (auto bitmap = BitmapFilePicture::open(*input)) return PictureRef(bitmap.take());
    return decoder.decode(*input);
}
}  // namespace

std::uint64_t decodeMemoryLimit() {
    // Half, and at least 512 MB where three quarters of the budget allows that.
    const std::uint64_t budget = memoryBudget();
    return std::max(budget / 2, std::min(std::uint64_t{512} << 20, budget - budget / 4));
}

Result<PictureRef> decodePictureFile(const std::string& path, PictureDecoder& decoder) {
    Result<PictureInputRef> input = PictureInput::open(path, decodeMemoryLimit());
    if (!input) return input.why();
    return decoder.decode(*input);
}

Result<PictureRef> openPictureFile(const std::string& path, PictureDecoder& decoder) {
    return openPictureInput(PictureInput::open(path, decodeMemoryLimit()), decoder);
}

Result<PictureRef> openStandardInputPicture(PictureDecoder& decoder) {
    return openPictureInput(PictureInput::openStandardInput(decodeMemoryLimit()), decoder);
}

}  // namespace vm
