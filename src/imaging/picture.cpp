#include "imaging/picture.h"

#include <algorithm>
#include <cstdint>

#include "platform/checked.h"

namespace vm {

namespace {
std::int32_t toHimetric(std::int32_t points) {
    // 2540 hundredths of a millimetre per inch, 96 points per inch, rounded. Past
    // 81 million points that exceeds 32 bits; it then stays at the largest value,
    // which is still more than the points, so the working area is the points as
    // for any other picture (and opening a tall picture does not fail).
    const std::int64_t himetric = (static_cast<std::int64_t>(points) * 2540 + 48) / 96;
    return toInt32(std::min<std::int64_t>(himetric, INT32_MAX));
}
}  // namespace

std::int32_t Picture::himetricWidth() const {
    return toHimetric(m_width);
}
std::int32_t Picture::himetricHeight() const {
    return toHimetric(m_height);
}

}  // namespace vm
