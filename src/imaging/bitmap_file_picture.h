#pragma once
// An uncompressed 24-bit bitmap read in place, the one reader of such files: points
// and rows are read from the file when asked for (from memory for a pipe), so
// reading a message from a large bitmap touches a few thousand points instead of
// decoding the whole picture. A file cut short meanwhile reads as black where it is
// missing (a point's colour is asked too often to carry a failure each time);
// checkReadWhole then says so, and the flows refuse what was read.

#include <memory>
#include <string>

#include "imaging/bitmap_header.h"
#include "imaging/picture.h"
#include "imaging/picture_input.h"

namespace vm {

class BitmapFilePicture : public Picture {
  public:
    // The picture, or why the input is not a 24-bit uncompressed bitmap holding every
    // point (the last row may lack its padding); a caller with other readers tries
    // those then.
    static Result<std::shared_ptr<BitmapFilePicture>> open(PictureInputRef input);
    // As above, for a file not opened yet.
    static Result<std::shared_ptr<BitmapFilePicture>> open(const std::string& path);

    Colour colourAt(std::int32_t x, std::int32_t y) const override;
    // A failure, besides a row of black, when the file was found cut short.
    Result<void> readRowBgr(std::int32_t y, std::uint8_t* out) const override;
    const BitmapFilePicture* bitmapFile() const override { return this; }

    // Many scattered points are about to be read (a scan reads some 130,000): read
    // them through the file's guarded mapping from now on, where each costs no
    // system call, rather than one system call each.
    void readScattered() const;

    // Where the rows lie in the file, for copying them without reading them; the
    // descriptor is -1 for a file read into memory.
    int fd() const { return m_input->fd(); }
    std::uint64_t pixelOffset() const { return m_rowsStart; }
    std::uint64_t stride() const { return m_header.rowStride; }
    bool bottomUp() const { return m_header.bottomUp; }
    const PictureInput& input() const { return *m_input; }

  private:
    BitmapFilePicture(PictureInputRef input, const BitmapHeader& header);
    std::uint64_t rowOffset(std::int32_t y) const;

    PictureInputRef m_input;
    BitmapHeader m_header;
    std::uint64_t m_rowsStart;
    mutable const std::uint8_t* m_bytes = nullptr;  // the mapped file, once asked for
};

// A failure naming the file when the picture's points came from a file that was
// cut short while they were read.
Result<void> checkReadWhole(const Picture& picture);

}  // namespace vm
