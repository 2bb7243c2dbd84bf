#include "imaging/layered_picture.h"

#include <algorithm>

namespace vm {

namespace {
bool before(const ChangedPoint& a, const ChangedPoint& b) {
    return a.y != b.y ? a.y < b.y : a.x < b.x;
}
}  // namespace

LayeredPicture::LayeredPicture(PictureRef base, std::vector<ChangedPoint> changes)
    : Picture(base->width(), base->height()), m_base(std::move(base)) {
    if (PictureRef under = m_base->underChanges()) {
        const std::span<const ChangedPoint> earlier = m_base->changes();
        std::vector<ChangedPoint> merged(earlier.begin(), earlier.end());
        merged.insert(merged.end(), changes.begin(), changes.end());
        changes = std::move(merged);
        m_base = std::move(under);
    }
    // Stable sort keeps the order of writes to one point, so the last write wins.
    std::stable_sort(changes.begin(), changes.end(), before);
    for (const ChangedPoint& c : changes) {
        if (!m_changes.empty() && m_changes.back().y == c.y && m_changes.back().x == c.x)
            m_changes.back() = c;
        else
            m_changes.push_back(c);
    }
}

Colour LayeredPicture::colourAt(std::int32_t x, std::int32_t y) const {
    const ChangedPoint key{x, y, 0};
    auto it = std::lower_bound(m_changes.begin(), m_changes.end(), key, before);
    if (it != m_changes.end() && it->y == y && it->x == x) return it->colour;
    return m_base->colourAt(x, y);
}

Result<void> LayeredPicture::readRowBgr(std::int32_t y, std::uint8_t* out) const {
    if (Result<void> read = m_base->readRowBgr(y, out); !read) return read;
    auto it = std::lower_bound(m_changes.begin(), m_changes.end(), ChangedPoint{0, y, 0}, before);
    for (; it != m_changes.end() && it->y == y; ++it)
        putBgr(it->colour, out + static_cast<std::size_t>(it->x) * 3);
    return {};
}

}  // namespace vm
