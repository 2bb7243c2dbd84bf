#pragma once
// A plain 24-bit bitmap opened in place, read through a read-only mapping of its
// file. A scan reads some 130,000 scattered points: one system call for each costs
// many times what reading the whole file does, while the mapping reads them
// straight from the page cache.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "imaging/bitmap_file_picture.h"
#include "imaging/picture.h"

namespace vm::cli {

class MappedBitmap : public Picture {
  public:
    // The bitmap's points through a mapping; nothing when the file cannot be mapped
    // or no longer holds every point, and the bitmap is then read as it is.
    static std::shared_ptr<const MappedBitmap> map(const BitmapFilePicture& bitmap);
    ~MappedBitmap() override;
    MappedBitmap(const MappedBitmap&) = delete;
    MappedBitmap& operator=(const MappedBitmap&) = delete;

    // A file cut short after mapping reads as black where it is missing, as the
    // bitmap read in place does; it does not stop the program.
    Colour colourAt(std::int32_t x, std::int32_t y) const override;
    bool readRowBgr(std::int32_t y, std::uint8_t* out) const override;

  private:
    MappedBitmap(const BitmapFilePicture& bitmap, const std::uint8_t* data, std::size_t size);
    const std::uint8_t* row(std::int32_t y) const;

    const std::uint8_t* m_data;
    std::size_t m_size;
    std::uint64_t m_offset;
    std::uint64_t m_stride;
    bool m_bottomUp;
};

}  // namespace vm::cli
