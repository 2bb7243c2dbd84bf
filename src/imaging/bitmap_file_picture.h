#pragma once
// An uncompressed 24-bit bitmap read in place: points and rows are fetched from
// the file when asked for, so reading a message from a large bitmap touches a few
// thousand points instead of decoding the whole picture.

#include <memory>
#include <string>

#include "imaging/bitmap_header.h"
#include "imaging/picture.h"
#include "imaging/picture_input.h"

namespace vm {

class BitmapFilePicture : public Picture {
  public:
    // Nothing when the input is not a 24-bit uncompressed bitmap holding every point
    // (the last row may lack its padding).
    static std::shared_ptr<BitmapFilePicture> open(PictureInputRef input);
    // As above, for a file not opened yet.
    static std::shared_ptr<BitmapFilePicture> open(const std::string& path);

    Colour colourAt(std::int32_t x, std::int32_t y) const override;
    bool readRowBgr(std::int32_t y, std::uint8_t* out) const override;

    // Where the rows lie in the file, for copying them without reading them; the
    // descriptor is -1 for a file read into memory.
    int fd() const { return m_input->fd(); }
    std::uint64_t pixelOffset() const { return m_rowsStart; }
    std::uint64_t stride() const { return m_header.rowStride; }
    bool bottomUp() const { return m_header.bottomUp; }

  private:
    BitmapFilePicture(PictureInputRef input, const BitmapHeader& header);
    std::uint64_t rowOffset(std::int32_t y) const;

    PictureInputRef m_input;
    BitmapHeader m_header;
    std::uint64_t m_rowsStart;
};

}  // namespace vm
