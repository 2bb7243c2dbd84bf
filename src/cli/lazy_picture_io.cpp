#include <dlfcn.h>

#include "cli/picture_io.h"

namespace vm::cli {

Result<PictureRef> LazyPictureIo::decode(const PictureInputRef& input) {
    if (!m_module) {
        // Never closed: pictures it made point into its code.
        void* handle = ::dlopen(m_modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* why = ::dlerror();
            return failure("the picture decoders could not be loaded (" +
                           std::string(why ? why : "") + ")");
        }
        auto entry = reinterpret_cast<PictureModuleEntry>(::dlsym(handle, kPictureModuleEntry));
        if (!entry)
            return failure("the picture decoders could not be loaded (" + m_modulePath +
                           " is not the module)");
        m_module = entry();
    }
    return m_module->decode(input);
}

PictureLoad LazyPictureIo::open(const std::string& path) {
    // A plain 24-bit bitmap needs nothing but the few points a command reads.
    Result<PictureRef> opened = openPictureFile(path, *this);
    if (!opened) return {nullptr, opened.error()};
    return {opened.take(), {}};
}

}  // namespace vm::cli
