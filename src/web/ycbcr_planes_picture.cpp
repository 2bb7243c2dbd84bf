#include "web/ycbcr_planes_picture.h"

#include <algorithm>
#include <array>
#include <vector>

namespace vm::web {

namespace {

// The JPEG colour conversion in 16-bit fixed point (JFIF's full-range YCbCr), with
// its terms rounded where the desktop's decoder rounds them: red and blue once per
// term, green once for the sum of its two.
constexpr int kFractionBits = 16;
constexpr std::int32_t kHalf = std::int32_t{1} << (kFractionBits - 1);
constexpr std::int32_t fixedPoint(double value) {
    // NOLINTNEXTLINE(bugprone-incorrect-roundings): the decoder's own rounding, on purpose
    return static_cast<std::int32_t>(value * (std::int32_t{1} << kFractionBits) + 0.5);
}

struct ConversionTables {
    std::array<std::int32_t, 256> redFromCr{};
    std::array<std::int32_t, 256> blueFromCb{};
    std::array<std::int32_t, 256> greenFromCr{};  // still scaled, as is greenFromCb
    std::array<std::int32_t, 256> greenFromCb{};
};

constexpr ConversionTables makeTables() {
    ConversionTables t;
    for (std::size_t i = 0; i < 256; ++i) {
        const std::int32_t centred = static_cast<std::int32_t>(i) - 128;
        t.redFromCr[i] = (fixedPoint(1.40200) * centred + kHalf) >> kFractionBits;
        t.blueFromCb[i] = (fixedPoint(1.77200) * centred + kHalf) >> kFractionBits;
        t.greenFromCr[i] = -fixedPoint(0.71414) * centred;
        t.greenFromCb[i] = -fixedPoint(0.34414) * centred + kHalf;
    }
    return t;
}
constexpr ConversionTables kTables = makeTables();

std::uint8_t clamped(std::int32_t value) {
    return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

// Blue, green and red of one point.
void convert(std::uint8_t luma, std::uint8_t cb, std::uint8_t cr, std::uint8_t* bgr) {
    bgr[0] = clamped(luma + kTables.blueFromCb[cb]);
    bgr[1] = clamped(luma + ((kTables.greenFromCb[cb] + kTables.greenFromCr[cr]) >> kFractionBits));
    bgr[2] = clamped(luma + kTables.redFromCr[cr]);
}

std::int32_t halved(std::int32_t size) {
    return size / 2 + size % 2;
}
std::int32_t chromaWidthOf(std::int32_t width, ChromaHalving halving) {
    return halving == ChromaHalving::None ? width : halved(width);
}
std::int32_t chromaHeightOf(std::int32_t height, ChromaHalving halving) {
    return halving == ChromaHalving::AcrossAndDown ? halved(height) : height;
}

}  // namespace

std::uint64_t YCbCrPlanesPicture::planesSize(std::int32_t width, std::int32_t height,
                                             ChromaHalving halving) {
    const auto chromaWidth = static_cast<std::uint64_t>(chromaWidthOf(width, halving));
    const auto chromaHeight = static_cast<std::uint64_t>(chromaHeightOf(height, halving));
    return static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) +
           2 * chromaWidth * chromaHeight;
}

YCbCrPlanesPicture::YCbCrPlanesPicture(std::int32_t width, std::int32_t height, Bytes planes,
                                       ChromaHalving halving)
    : Picture(width, height),
      m_planes(std::move(planes)),
      m_halving(halving),
      m_chromaWidth(chromaWidthOf(width, halving)),
      m_chromaHeight(chromaHeightOf(height, halving)) {
    const auto chromaSize =
        static_cast<std::size_t>(m_chromaWidth) * static_cast<std::size_t>(m_chromaHeight);
    m_cb = m_planes.get() + static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    m_cr = m_cb + chromaSize;
}

const std::uint8_t* YCbCrPlanesPicture::nearRow(const std::uint8_t* plane, std::int32_t y) const {
    const std::int32_t row = m_halving == ChromaHalving::AcrossAndDown ? y / 2 : y;
    return plane + static_cast<std::size_t>(row) * static_cast<std::size_t>(m_chromaWidth);
}

// Halved down, a point row lies between its chroma row and the one above it (an
// even row) or below it (an odd row); at the edges the chroma row stands for its
// missing neighbour.
const std::uint8_t* YCbCrPlanesPicture::farRow(const std::uint8_t* plane, std::int32_t y) const {
    if (m_halving != ChromaHalving::AcrossAndDown) return nearRow(plane, y);
    const std::int32_t row = y / 2;
    const std::int32_t far =
        y % 2 == 0 ? std::max(row - 1, 0) : std::min(row + 1, m_chromaHeight - 1);
    return plane + static_cast<std::size_t>(far) * static_cast<std::size_t>(m_chromaWidth);
}

// Halved across, a point takes three quarters of its chroma sample and a quarter of
// the sample to its left (an even column) or right (an odd column), the edge sample
// standing for a missing neighbour; halved down as well, each "sample" is itself
// three quarters of the near row and a quarter of the far one. The rounding leans
// one way for even points and the other for odd ones, as the decoder's does. A
// chroma plane of one or two columns is not averaged, only repeated, as the decoder
// does for one so narrow.
std::uint8_t YCbCrPlanesPicture::chromaAt(const std::uint8_t* plane, std::int32_t x,
                                          std::int32_t y) const {
    const std::uint8_t* near = nearRow(plane, y);
    if (m_halving == ChromaHalving::None) return near[x];
    const std::int32_t column = x / 2;
    if (m_chromaWidth <= 2) return near[column];
    const bool odd = x % 2 != 0;
    const std::int32_t neighbour =
        odd ? std::min(column + 1, m_chromaWidth - 1) : std::max(column - 1, 0);
    if (m_halving == ChromaHalving::Across)
        return static_cast<std::uint8_t>((3 * near[column] + near[neighbour] + (odd ? 2 : 1)) >> 2);
    const std::uint8_t* far = farRow(plane, y);
    const std::int32_t here = 3 * near[column] + far[column];
    const std::int32_t beside = 3 * near[neighbour] + far[neighbour];
    return static_cast<std::uint8_t>((3 * here + beside + (odd ? 7 : 8)) >> 4);
}

void YCbCrPlanesPicture::chromaRow(const std::uint8_t* plane, std::int32_t y,
                                   std::uint8_t* out) const {
    const std::uint8_t* near = nearRow(plane, y);
    if (m_halving == ChromaHalving::None || m_chromaWidth <= 2) {
        for (std::int32_t x = 0; x < width(); ++x) out[x] = chromaAt(plane, x, y);
        return;
    }
    // chromaAt's averages, each column's vertical blend made once.
    const std::uint8_t* far = farRow(plane, y);
    const bool down = m_halving == ChromaHalving::AcrossAndDown;
    const int shift = down ? 4 : 2;
    const std::int32_t evenBias = down ? 8 : 1;
    const std::int32_t oddBias = down ? 7 : 2;
    const auto blend = [&](std::int32_t column) {
        return down ? 3 * near[column] + far[column] : std::int32_t{near[column]};
    };
    std::int32_t before = blend(0);
    std::int32_t here = before;
    for (std::int32_t column = 0, x = 0; column < m_chromaWidth; ++column) {
        const std::int32_t after = column + 1 < m_chromaWidth ? blend(column + 1) : here;
        out[x++] = static_cast<std::uint8_t>((3 * here + before + evenBias) >> shift);
        if (x < width())
            out[x++] = static_cast<std::uint8_t>((3 * here + after + oddBias) >> shift);
        before = here;
        here = after;
    }
}

Colour YCbCrPlanesPicture::colourAt(std::int32_t x, std::int32_t y) const {
    std::uint8_t bgr[3];
    const std::uint8_t luma =
        m_planes[static_cast<std::size_t>(y) * static_cast<std::size_t>(width()) +
                 static_cast<std::size_t>(x)];
    convert(luma, chromaAt(m_cb, x, y), chromaAt(m_cr, x, y), bgr);
    return makeColour(bgr[2], bgr[1], bgr[0]);
}

Result<void> YCbCrPlanesPicture::readRowBgr(std::int32_t y, std::uint8_t* out) const {
    const auto columns = static_cast<std::size_t>(width());
    std::vector<std::uint8_t> chroma(2 * columns);
    chromaRow(m_cb, y, chroma.data());
    chromaRow(m_cr, y, chroma.data() + columns);
    const std::uint8_t* luma = m_planes.get() + static_cast<std::size_t>(y) * columns;
    for (std::size_t x = 0; x < columns; ++x, out += 3)
        convert(luma[x], chroma[x], chroma[columns + x], out);
    return {};
}

}  // namespace vm::web
