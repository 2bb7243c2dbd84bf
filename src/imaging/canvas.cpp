#include "imaging/canvas.h"

#include <vector>

#include "imaging/layered_picture.h"

namespace vm {

Colour Canvas::point(std::int32_t x, std::int32_t y) const {
    if (!inside(x, y)) return -1;
    if (const Colour* changed = m_changes.find(pack(x, y))) return *changed;
    return m_picture->colourAt(x, y);
}

void Canvas::setPoint(std::int32_t x, std::int32_t y, Colour colour) {
    if (!inside(x, y)) return;
    *m_changes.insert(pack(x, y)).first = colour & 0xFFFFFF;
}

void Canvas::setPicture(PictureRef picture) {
    m_picture = std::move(picture);
    m_changes.clear();
}

PictureRef Canvas::image() const {
    if (!m_picture || m_changes.empty()) return m_picture;
    std::vector<ChangedPoint> changes;
    changes.reserve(m_changes.size());
    m_changes.forEach([&changes](const auto& entry) {
        changes.push_back({static_cast<std::int32_t>(entry.key & 0xFFFFFFFF),
                           static_cast<std::int32_t>(entry.key >> 32), entry.value});
    });
    return std::make_shared<LayeredPicture>(m_picture, std::move(changes));
}

}  // namespace vm
