#pragma once
// How the commands open picture files. The program reads plain 24-bit bitmaps
// itself and loads the image decoders (and with them the whole toolkit) only for
// the files that need them; tests use the core's functions directly. Bitmaps are
// written by the core's SavePicture, which needs no decoder.

#include <string>

#include "imaging/picture_file.h"

namespace vm::cli {

class PictureIo {
  public:
    virtual ~PictureIo() = default;
    // As openPictureFile.
    virtual PictureLoad open(const std::string& path) = 0;
};

// Calls the core's openPictureFile in this process (the decoder
// module is one of these, and so are the tests).
class DirectPictureIo : public PictureIo {
  public:
    PictureLoad open(const std::string& path) override;
};

// Reads plain 24-bit bitmaps in place without the toolkit; other
// files are opened by DirectPictureIo inside the decoder module at modulePath,
// loaded on first use.
class LazyPictureIo : public PictureIo {
  public:
    explicit LazyPictureIo(std::string modulePath) : m_modulePath(std::move(modulePath)) {}
    PictureLoad open(const std::string& path) override;
    bool moduleLoaded() const { return m_module != nullptr; }

  private:
    PictureIo* module(std::string& error);

    std::string m_modulePath;
    PictureIo* m_module = nullptr;  // lives as long as the process: the module is never unloaded
};

// The decoder module's one exported function.
inline constexpr const char* kPictureModuleEntry = "veilmark_cli_picture_io";
using PictureModuleEntry = PictureIo* (*)();

}  // namespace vm::cli
