#pragma once
// A plain 24-bit bitmap file read in place, as BitmapFilePicture reads it, but
// whose rows come from reads of about a megabyte: writing a large picture out
// asks for every row in file order, and one read per row costs as much again as
// the copying itself. Single points are read one by one, as a reveal needs.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imaging/bitmap_file_picture.h"

namespace vm::cli {

class ReadAheadBitmap : public Picture {
  public:
    // Nothing when the file is not a bitmap BitmapFilePicture reads.
    static std::shared_ptr<ReadAheadBitmap> open(const std::string& path);
    ~ReadAheadBitmap() override;
    ReadAheadBitmap(const ReadAheadBitmap&) = delete;
    ReadAheadBitmap& operator=(const ReadAheadBitmap&) = delete;

    Colour colourAt(std::int32_t x, std::int32_t y) const override;
    // Rows read ahead are kept until another block is needed, so this suits one pass
    // over the rows, as a save makes. Not safe to call from two threads at once.
    bool readRowBgr(std::int32_t y, std::uint8_t* out) const override;

  private:
    ReadAheadBitmap(int fd, std::shared_ptr<BitmapFilePicture> points, std::uint64_t offset,
                    bool bottomUp);
    bool fill(std::int64_t fileRow) const;

    int m_fd;
    std::shared_ptr<BitmapFilePicture> m_points;
    std::uint64_t m_offset;
    std::uint64_t m_stride;
    bool m_bottomUp;
    // Rows [m_first, m_first + m_count) in file order, m_stride bytes each.
    mutable std::vector<std::uint8_t> m_rows;
    mutable std::int64_t m_first = 0;
    mutable std::int64_t m_count = 0;
};

}  // namespace vm::cli
