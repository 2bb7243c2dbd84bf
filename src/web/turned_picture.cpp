#include "web/turned_picture.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <utility>

namespace vm::web {

namespace {
bool sideways(Turn turn) {
    return turn.degrees == 90 || turn.degrees == 270;
}
}  // namespace

TurnedPicture::TurnedPicture(PictureRef stored, Turn turn)
    : Picture(sideways(turn) ? stored->height() : stored->width(),
              sideways(turn) ? stored->width() : stored->height()),
      m_stored(std::move(stored)),
      m_turn(turn) {}

// The mirroring undone first, then the turn.
TurnedPicture::Point TurnedPicture::storedPoint(std::int32_t x, std::int32_t y) const {
    const std::int32_t across = m_turn.mirrored ? width() - 1 - x : x;
    const std::int32_t storedWidth = m_stored->width();
    const std::int32_t storedHeight = m_stored->height();
    switch (m_turn.degrees) {
        case 90:
            return {y, storedHeight - 1 - across};
        case 180:
            return {storedWidth - 1 - across, storedHeight - 1 - y};
        case 270:
            return {storedWidth - 1 - y, across};
        default:
            return {across, y};
    }
}

Colour TurnedPicture::colourAt(std::int32_t x, std::int32_t y) const {
    const Point stored = storedPoint(x, y);
    return m_stored->colourAt(stored.x, stored.y);
}

void TurnedPicture::readHeldColumn(std::int32_t y, std::uint8_t* out) const {
    const auto storedWidth = static_cast<std::ptrdiff_t>(m_stored->width());
    const Point first = storedPoint(0, y);
    // Along the row, the stored point moves by one stored row, up or down.
    const Point second = width() > 1 ? storedPoint(1, y) : first;
    const std::ptrdiff_t step = std::ptrdiff_t{3} * (second.y - first.y) * storedWidth;
    const std::uint8_t* in = m_heldRows.get() + 3 * (first.y * storedWidth + first.x);
    for (std::int32_t x = 0; x < width(); ++x, in += step, out += 3) std::copy(in, in + 3, out);
}

Result<void> TurnedPicture::readRowBgr(std::int32_t y, std::uint8_t* out) const {
    if (sideways(m_turn)) {  // a row of the turned picture is a column of the stored one
        const std::uint64_t bytes = std::uint64_t{3} *
                                    static_cast<std::uint64_t>(m_stored->width()) *
                                    static_cast<std::uint64_t>(m_stored->height());
        if (!m_heldRows && bytes <= SIZE_MAX) {
            m_heldRows.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(bytes)]);
            const std::size_t rowBytes = 3 * static_cast<std::size_t>(m_stored->width());
            for (std::int32_t row = 0; m_heldRows && row < m_stored->height(); ++row) {
                Result<void> read = m_stored->readRowBgr(
                    row, m_heldRows.get() + static_cast<std::size_t>(row) * rowBytes);
                if (!read) {
                    m_heldRows.reset();
                    return read;
                }
            }
            m_rowsRead = 0;
        }
        if (m_heldRows) {
            readHeldColumn(y, out);
            if (++m_rowsRead == height()) m_heldRows.reset();
            return {};
        }
        for (std::int32_t x = 0; x < width(); ++x, out += 3) putBgr(colourAt(x, y), out);
        return {};
    }
    // Turned half way or not at all, a row is a stored row, reversed when the turn
    // and the mirroring do not cancel out.
    const bool halfWay = m_turn.degrees == 180;
    if (Result<void> read = m_stored->readRowBgr(halfWay ? height() - 1 - y : y, out); !read)
        return read;
    if (halfWay != m_turn.mirrored) {
        std::uint8_t* left = out;
        std::uint8_t* right = out + 3 * (static_cast<std::size_t>(width()) - 1);
        for (; left < right; left += 3, right -= 3) std::swap_ranges(left, left + 3, right);
    }
    return {};
}

}  // namespace vm::web
