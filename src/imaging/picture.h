#pragma once
// A picture object: an immutable grid of 24-bit colours. Canvases, previews and
// saved files share one through PictureRef; whoever wants other points makes a
// new one (see LayeredPicture).

#include <cstdint>
#include <memory>
#include <span>

#include "platform/result.h"

namespace vm {

// red + 256 * green + 65536 * blue
using Colour = std::int32_t;

constexpr Colour makeColour(unsigned r, unsigned g, unsigned b) {
    return static_cast<Colour>((r & 0xFFu) | ((g & 0xFFu) << 8) | ((b & 0xFFu) << 16));
}

// A colour as a bitmap file's row holds it: blue, green, red.
inline void putBgr(Colour colour, std::uint8_t* bgr) {
    const auto c = static_cast<std::uint32_t>(colour);
    bgr[0] = static_cast<std::uint8_t>(c >> 16);
    bgr[1] = static_cast<std::uint8_t>(c >> 8);
    bgr[2] = static_cast<std::uint8_t>(c);
}

class BitmapFilePicture;

// A point written over a picture.
struct ChangedPoint {
    std::int32_t x;
    std::int32_t y;
    Colour colour;
};

class Picture {
  public:
    Picture(std::int32_t width, std::int32_t height) : m_width(width), m_height(height) {}
    virtual ~Picture() = default;

    std::int32_t width() const { return m_width; }
    std::int32_t height() const { return m_height; }
    // Size in hundredths of a millimetre, as a picture object reports it (96 dpi).
    std::int32_t himetricWidth() const;
    std::int32_t himetricHeight() const;

    // The colour at a point inside the picture (0 <= x < width, 0 <= y < height).
    virtual Colour colourAt(std::int32_t x, std::int32_t y) const = 0;
    // Row y as width blue-green-red triples, the order of a bitmap file, or why the
    // row could not be read (a file that changed under us).
    virtual Result<void> readRowBgr(std::int32_t y, std::uint8_t* out) const = 0;

    // What the picture is made of, for those that can use it without reading every
    // point (a writer copying rows file to file, a layer merging layers, a window
    // showing points already in memory):
    // The plain bitmap file whose rows hold the points, under any changed ones;
    // nullptr when the points do not come from such a file.
    virtual const BitmapFilePicture* bitmapFile() const { return nullptr; }
    // The points written over the picture underneath, sorted by row, then column.
    virtual std::span<const ChangedPoint> changes() const { return {}; }
    // The picture underneath those changes; nullptr for a picture that has none.
    virtual std::shared_ptr<const Picture> underChanges() const { return nullptr; }
    // The points held in memory as rows of 32-bit 0xffRRGGBB values, width apart;
    // nullptr when they are not held so.
    virtual const std::uint32_t* pointsInMemory() const { return nullptr; }

  private:
    std::int32_t m_width;
    std::int32_t m_height;
};

using PictureRef = std::shared_ptr<const Picture>;

}  // namespace vm
