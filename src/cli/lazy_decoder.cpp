#include "cli/lazy_decoder.h"

#include <dlfcn.h>

namespace vm::cli {

Result<PictureRef> LazyDecoder::decode(const PictureInputRef& input) {
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

}  // namespace vm::cli
