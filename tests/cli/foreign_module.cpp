// Stand-ins for decoder modules that are not veilmark-cli's own, built three ways:
// exporting nothing, an entry that gives no decoders, and another version's.

#include "cli/lazy_decoder.h"

#if defined(FOREIGN_NULL_ENTRY) || defined(FOREIGN_OTHER_VERSION)
extern "C" __attribute__((visibility("default"))) const char*
veilmark_cli_picture_module_version() {
#ifdef FOREIGN_OTHER_VERSION
    return "0.0.0-other";
#else
    return VEILMARK_VERSION;
#endif
}

extern "C" __attribute__((visibility("default"))) vm::PictureDecoder*
veilmark_cli_picture_decoder() {
    return nullptr;
}
#else
extern "C" __attribute__((visibility("default"))) int veilmark_foreign_module() {
    return 1;
}
#endif
