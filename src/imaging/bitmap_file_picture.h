#pragma once
// An uncompressed 24-bit bitmap file read in place: points and rows are fetched
// from the file when asked for, so reading a message from a large bitmap touches
// a few thousand points instead of decoding the whole picture.

#include <memory>
#include <string>

#include "imaging/picture.h"

namespace vm {

class BitmapFilePicture : public Picture {
  public:
    // Nothing when the file is not a plain 24-bit bitmap that we can read this way.
    static std::shared_ptr<BitmapFilePicture> open(const std::string& path);
    ~BitmapFilePicture() override;

    Colour colourAt(std::int32_t x, std::int32_t y) const override;
    bool readRowBgr(std::int32_t y, std::uint8_t* out) const override;

    // Where the rows lie in the file, for copying them without reading them.
    int fd() const { return m_fd; }
    std::uint64_t pixelOffset() const { return m_offset; }
    std::uint64_t stride() const { return m_stride; }
    bool bottomUp() const { return m_bottomUp; }

  private:
    BitmapFilePicture(int fd, std::int32_t width, std::int32_t height, std::uint64_t offset,
                      std::uint64_t stride, bool bottomUp);
    std::uint64_t rowOffset(std::int32_t y) const;

    int m_fd;
    std::uint64_t m_offset;
    std::uint64_t m_stride;
    bool m_bottomUp;
};

}  // namespace vm
