#include "imaging/picture.h"

#include "platform/checked.h"

namespace vm {

namespace {
std::int32_t toHimetric(std::int32_t points) {
    // 2540 hundredths of a millimetre per inch, 96 points per inch, rounded.
    return toInt32((static_cast<std::int64_t>(points) * 2540 + 48) / 96);
}
}  // namespace

std::int32_t Picture::himetricWidth() const {
    return toHimetric(m_width);
}
std::int32_t Picture::himetricHeight() const {
    return toHimetric(m_height);
}

}  // namespace vm
