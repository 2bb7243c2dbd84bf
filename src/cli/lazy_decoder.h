#pragma once
// The picture decoders as veilmark-cli reaches them: the program itself links no
// toolkit, so that reading a message from a bitmap (read in place by the core)
// starts as fast as a plain C++ program. The decoders live in a module beside
// the program, loaded the first time a file needs them, and only from the folder
// the program's own real path names: never from a path relative to wherever the
// program was started, and not at all when that path cannot be found.

#include <optional>
#include <string>

#include "imaging/picture_reader.h"

namespace vm::cli {

class LazyDecoder : public PictureDecoder {
  public:
    // modulePath: absolute; empty when the program's folder could not be found.
    explicit LazyDecoder(std::string modulePath) : m_modulePath(std::move(modulePath)) {}
    // The module's decoders; the failure names the module when it cannot be loaded
    // or is not ours.
    Result<PictureRef> decode(const PictureInputRef& input) override;
    bool moduleLoaded() const { return m_module != nullptr; }

  private:
    Result<PictureDecoder*> load() const;

    std::string m_modulePath;
    PictureDecoder* m_module = nullptr;  // lives as long as the process: never unloaded
};

// The folder of the program's real path, ending in '/'; nothing when it cannot be
// read (no /proc, or a path longer than the system reports).
std::optional<std::string> programFolder();

// The decoder module's exported functions: the decoders, and the version of
// Veilmark the module belongs to, which must be the program's own.
inline constexpr const char* kPictureModuleEntry = "veilmark_cli_picture_decoder";
inline constexpr const char* kPictureModuleVersion = "veilmark_cli_picture_module_version";
using PictureModuleEntry = PictureDecoder* (*)();
using PictureModuleVersion = const char* (*)();

}  // namespace vm::cli

// Those functions, defined in the module only.
extern "C" vm::PictureDecoder* veilmark_cli_picture_decoder();
extern "C" const char* veilmark_cli_picture_module_version();
