#include "imaging/picture_file.h"

#include "imaging/qt_picture_decoder.h"

namespace vm {

namespace {
PictureLoad asLoad(Result<PictureRef> result) {
    if (!result) return {nullptr, result.error()};
    return {result.take(), {}};
}
}  // namespace

PictureLoad LoadPicture(const std::string& path) {
    QtPictureDecoder decoder;
    return asLoad(LoadPicture(path, decoder));
}

PictureLoad openPictureFile(const std::string& path) {
    QtPictureDecoder decoder;
    return asLoad(openPictureFile(path, decoder));
}

}  // namespace vm
