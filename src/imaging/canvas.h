#pragma once
// A canvas holds one opened picture and the points written to it since. It is
// never shown; point and setPoint address the picture's own points.

#include <cstdint>
#include "imaging/picture.h"
#include "platform/packed_key_table.h"

namespace vm {

class Canvas {
  public:
    // The colour at (x, y), exactly the 24 bits last written; -1 outside the drawing area.
    Colour point(std::int32_t x, std::int32_t y) const;
    // Sets (x, y) to the colour's low 24 bits; ignored outside the drawing area.
    void setPoint(std::int32_t x, std::int32_t y, Colour colour);

    // The picture object last assigned (none at start and after Clear).
    const PictureRef& picture() const { return m_picture; }
    // Replaces the picture, sizes the canvas to it and forgets every written point.
    void setPicture(PictureRef picture);
    // The drawing surface now: the picture with the written points (none without a picture).
    PictureRef image() const;

    std::int32_t width() const { return m_picture ? m_picture->width() : 0; }
    std::int32_t height() const { return m_picture ? m_picture->height() : 0; }
    std::size_t changedPoints() const { return m_changes.size(); }

  private:
    bool inside(std::int32_t x, std::int32_t y) const {
        return x >= 0 && y >= 0 && x < width() && y < height();
    }
    static std::uint64_t pack(std::int32_t x, std::int32_t y) {
        return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(y)) << 32) |
               static_cast<std::uint32_t>(x);
    }

    PictureRef m_picture;
    PackedKeyTable<Colour> m_changes;  // by pack(x, y)
};

}  // namespace vm
