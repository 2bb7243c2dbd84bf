#include "cli/picture_io.h"

namespace vm::cli {

PictureLoad DirectPictureIo::open(const std::string& path) {
    return openPictureFile(path);
}

}  // namespace vm::cli
