#pragma once
// The picture decoders as veilmark-cli reaches them: the program itself links no
// toolkit, so that reading a message from a bitmap (read in place by the core)
// starts as fast as a plain C++ program. The decoders live in a module beside
// the program, loaded the first time a file needs them.

#include <string>

#include "imaging/picture_reader.h"

namespace vm::cli {

class LazyDecoder : public PictureDecoder {
  public:
    explicit LazyDecoder(std::string modulePath) : m_modulePath(std::move(modulePath)) {}
    // The module's decoders; the failure names the module when it cannot be loaded.
    Result<PictureRef> decode(const PictureInputRef& input) override;
    bool moduleLoaded() const { return m_module != nullptr; }

  private:
    std::string m_modulePath;
    PictureDecoder* m_module = nullptr;  // lives as long as the process: never unloaded
};

// The decoder module's one exported function.
inline constexpr const char* kPictureModuleEntry = "veilmark_cli_picture_decoder";
using PictureModuleEntry = PictureDecoder* (*)();

}  // namespace vm::cli

// That function, defined in the module only.
extern "C" vm::PictureDecoder* veilmark_cli_picture_decoder();
