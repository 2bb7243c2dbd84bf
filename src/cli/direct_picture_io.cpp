#include "cli/picture_io.h"

namespace vm::cli {

PictureLoad DirectPictureIo::open(const std::string& path) {
    return openPictureFile(path);
}

std::string DirectPictureIo::save(const Picture& picture, const std::string& path) {
    return SavePicture(picture, path);
}

}  // namespace vm::cli
