#include "cli/lazy_decoder.h"

#include <dlfcn.h>
#include <unistd.h>
#include <climits>
#include <cstring>

#ifndef VEILMARK_VERSION
#define VEILMARK_VERSION "0.0.0"
#endif

namespace vm::cli {

std::optional<std::string> programFolder() {
    char self[PATH_MAX + 1];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self);
    // A full buffer may be a cut path; anything not absolute is no location at all.
    if (n <= 0 || static_cast<std::size_t>(n) >= sizeof self || self[0] != '/') return std::nullopt;
    std::string folder(self, static_cast<std::size_t>(n));
    folder.erase(folder.find_last_of('/') + 1);
    return folder;
}

Result<PictureDecoder*> LazyDecoder::load() const {
    const std::string cannot = "the picture decoders could not be loaded: ";
    if (m_modulePath.empty() || m_modulePath[0] != '/')
        return failure(cannot +
                       "the program's own location cannot be found (/proc/self/exe cannot be "
                       "read), and the decoders are loaded only from beside it");
    // Never closed: pictures it made point into its code.
    void* handle = ::dlopen(m_modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = ::dlerror();
        return failure(cannot + (why ? why : m_modulePath));
    }
    const std::string notOurs = cannot + m_modulePath + " is not Veilmark's decoder module";
    auto version = reinterpret_cast<PictureModuleVersion>(::dlsym(handle, kPictureModuleVersion));
    auto entry = reinterpret_cast<PictureModuleEntry>(::dlsym(handle, kPictureModuleEntry));
    if (!version || !entry) return failure(notOurs);
    const char* theirs = version();
    if (!theirs || std::strcmp(theirs, VEILMARK_VERSION) != 0)
        return failure(notOurs + " of this version (" + VEILMARK_VERSION + "; it belongs to " +
                       (theirs ? theirs : "none") + ")");
    PictureDecoder* module = entry();
    if (!module) return failure(notOurs + " (it gave no decoders)");
    return module;
}

Result<PictureRef> LazyDecoder::decode(const PictureInputRef& input) {
    if (!m_module) {
        Result<PictureDecoder*> loaded = load();
        if (!loaded) return loaded.why();
        m_module = *loaded;
    }
    return m_module->decode(input);
}

}  // namespace vm::cli
