#include "imaging/picture_reader.h"

#include <unistd.h>
#include <algorithm>

#include "imaging/bitmap_file_picture.h"

namespace vm {

std::uint64_t decodeMemoryLimit() {
    const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGESIZE);
    const std::uint64_t physical =
        pages > 0 && pageSize > 0
            ? static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize)
            : (std::uint64_t{4} << 30);
    return std::max<std::uint64_t>(physical / 2, std::uint64_t{512} << 20);
}

Result<PictureRef> decodePictureFile(const std::string& path, PictureDecoder& decoder) {
    Result<PictureInputRef> input = PictureInput::open(path, decodeMemoryLimit());
    if (!input) return input.why();
    return decoder.decode(*input);
}

Result<PictureRef> openPictureFile(const std::string& path, PictureDecoder& decoder) {
    Result<PictureInputRef> input = PictureInput::open(path, decodeMemoryLimit());
    if (!input) return input.why();
    if (auto bitmap = BitmapFilePicture::open(*input)) return PictureRef(bitmap.take());
    return decoder.decode(*input);
}

}  // namespace vm
