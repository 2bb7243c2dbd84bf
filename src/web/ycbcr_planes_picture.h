#pragma once
// A JPEG picture as the browser's decoder holds it before colour conversion: a
// luma (Y) plane of every point, and two chroma planes (Cb, Cr) that may be halved
// across, or across and down. The points are made from them here, as the desktop's
// JPEG decoder makes them: each chroma sample spread over the points it covers by
// the same weighted average of its neighbours, then the same fixed-point
// conversion to red, green and blue. So a JPEG opened in the page gives the
// desktop's colours value for value, and the whole picture is never held as
// colours: a row is made when it is read.

#include <cstddef>
#include <cstdint>

#include "imaging/picture.h"
#include "web/memory_pictures.h"

namespace vm::web {

// How the chroma planes are halved: 4:4:4 (neither), 4:2:2 (across), 4:2:0 (both).
enum class ChromaHalving { None, Across, AcrossAndDown };

class YCbCrPlanesPicture : public Picture {
  public:
    // The bytes the three planes take, rows packed: Y (width x height), then Cb and Cr
    // (chromaWidth x chromaHeight each, halved sizes rounded up). 64 bits, as a
    // picture this large may not fit in the page's memory at all.
    static std::uint64_t planesSize(std::int32_t width, std::int32_t height, ChromaHalving halving);

    // planes: planesSize(width, height, halving) bytes, laid out as above.
    YCbCrPlanesPicture(std::int32_t width, std::int32_t height, Bytes planes,
                       ChromaHalving halving);

    Colour colourAt(std::int32_t x, std::int32_t y) const override;
    Result<void> readRowBgr(std::int32_t y, std::uint8_t* out) const override;

  private:
    // The chroma value of one plane at point (x, y), as the decoder spreads it.
    std::uint8_t chromaAt(const std::uint8_t* plane, std::int32_t x, std::int32_t y) const;
    // The chroma row of one plane at row y, width values.
    void chromaRow(const std::uint8_t* plane, std::int32_t y, std::uint8_t* out) const;
    // The chroma row nearest to point row y, and the one whose weight is added to it.
    const std::uint8_t* nearRow(const std::uint8_t* plane, std::int32_t y) const;
    const std::uint8_t* farRow(const std::uint8_t* plane, std::int32_t y) const;

    Bytes m_planes;
    ChromaHalving m_halving;
    std::int32_t m_chromaWidth;
    std::int32_t m_chromaHeight;
    const std::uint8_t* m_cb;
    const std::uint8_t* m_cr;
};

}  // namespace vm::web
