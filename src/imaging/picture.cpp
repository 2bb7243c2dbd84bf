#include "imaging/picture.h"

#include "platform/compatibility_names.h"

namespace vm {

std::int32_t Picture::himetricWidth() const {
    return himetricFromPoints(m_width);
}
std::int32_t Picture::himetricHeight() const {
    return himetricFromPoints(m_height);
}

}  // namespace vm
