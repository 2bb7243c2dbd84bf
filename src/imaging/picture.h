#pragma once
// A picture object: an immutable grid of 24-bit colours. Canvases, previews and
// saved files share one through PictureRef; whoever wants other points makes a
// new one (see LayeredPicture).

#include <cstdint>
#include <memory>

namespace vm {

// red + 256 * green + 65536 * blue
using Colour = std::int32_t;

constexpr Colour makeColour(unsigned r, unsigned g, unsigned b) {
    return static_cast<Colour>((r & 0xFFu) | ((g & 0xFFu) << 8) | ((b & 0xFFu) << 16));
}

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
    // Row y as width blue-green-red triples, the order of a bitmap file. False when the
    // row could not be read (a file that changed under us).
    virtual bool readRowBgr(std::int32_t y, std::uint8_t* out) const = 0;

  private:
    std::int32_t m_width;
    std::int32_t m_height;
};

using PictureRef = std::shared_ptr<const Picture>;

}  // namespace vm
