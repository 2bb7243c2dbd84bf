#include <dlfcn.h>

#include "cli/picture_io.h"
#include "imaging/bitmap_file_picture.h"

namespace vm::cli {

PictureIo* LazyPictureIo::module(std::string& error) {
    if (m_module) return m_module;
    // Never closed: pictures it made point into its code.
    void* handle = ::dlopen(m_modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = ::dlerror();
        error = "the picture decoders could not be loaded (" + std::string(why ? why : "") + ")";
        return nullptr;
    }
    auto entry = reinterpret_cast<PictureModuleEntry>(::dlsym(handle, kPictureModuleEntry));
    if (!entry) {
        error = "the picture decoders could not be loaded (" + m_modulePath + " is not the module)";
        return nullptr;
    }
    m_module = entry();
    return m_module;
}

PictureLoad LazyPictureIo::open(const std::string& path) {
    // A plain 24-bit bitmap needs nothing but the few points a command reads.
    if (auto bitmap = BitmapFilePicture::open(path)) return {std::move(bitmap), {}};
    std::string error;
    PictureIo* decoders = module(error);
    if (!decoders) return {nullptr, error};
    return decoders->open(path);
}

}  // namespace vm::cli
