#pragma once
// The pictures the page holds in the module's memory: a plain 24-bit bitmap read
// where its bytes lie (its headers parsed by the core, never by the browser), and
// the points a browser decoder gave, four bytes each (red, green and blue in one
// order or the other, and alpha or an unused byte), top row first. Neither copies
// its points.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "imaging/bitmap_header.h"
#include "imaging/picture.h"
#include "platform/result.h"

namespace vm::web {

using Bytes = std::unique_ptr<std::uint8_t[]>;

// Why a file's bytes gave no BitmapBytesPicture: the failure's kind.
enum BitmapBytesProblem : int {
    kForBrowser = 1,  // not a plain 24-bit bitmap: some other format or layout
    kRefusedBitmap    // a bitmap the desktop refuses too; the message says why
};

class BitmapBytesPicture : public Picture {
  public:
    // A plain bitmap holding every point (the last row may lack its padding), or why
    // not, naming the file as `name`.
    static Result<std::shared_ptr<const BitmapBytesPicture>> open(Bytes bytes, std::size_t size,
                                                                  const std::string& name);

    Colour colourAt(std::int32_t x, std::int32_t y) const override;
    Result<void> readRowBgr(std::int32_t y, std::uint8_t* out) const override;

  private:
    BitmapBytesPicture(Bytes bytes, const BitmapHeader& header);
    const std::uint8_t* row(std::int32_t y) const;

    Bytes m_bytes;
    BitmapHeader m_header;
    std::uint64_t m_rowsStart;
};

// The order of a decoded point's colours: RGBA or RGBX, or BGRA or BGRX.
enum class ChannelOrder { RedFirst, BlueFirst };

class DecodedPointsPicture : public Picture {
  public:
    DecodedPointsPicture(std::int32_t width, std::int32_t height, Bytes points, ChannelOrder order)
        : Picture(width, height), m_points(std::move(points)), m_order(order) {}

    Colour colourAt(std::int32_t x, std::int32_t y) const override;
    Result<void> readRowBgr(std::int32_t y, std::uint8_t* out) const override;

  private:
    const std::uint8_t* at(std::int32_t x, std::int32_t y) const {
        return m_points.get() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(width()) +
                                 static_cast<std::size_t>(x)) *
                                    4;
    }
    Bytes m_points;
    ChannelOrder m_order;
};

}  // namespace vm::web
