#include "platform/checked.h"

#include <cmath>
#include <utility>

namespace vm {

namespace {
template <typename T>
T narrow(std::int64_t value, const char* type) {
    if (!std::in_range<T>(value))
        throw OverflowError("Overflow: " + std::to_string(value) + " does not fit " + type);
    return static_cast<T>(value);
}
}  // namespace

std::uint8_t toByte(std::int64_t value) {
    return narrow<std::uint8_t>(value, "a byte");
}
std::int32_t toInt32(std::int64_t value) {
    return narrow<std::int32_t>(value, "32 bits");
}

std::int32_t roundToInt32(double value) {
    if (!std::isfinite(value) || value < -2147483648.5 || value > 2147483647.5)
        throw OverflowError("Overflow: value does not fit 32 bits");
    // nearbyint honours the default rounding mode, which is to nearest, ties to even.
    return toInt32(static_cast<std::int64_t>(std::nearbyint(value)));
}

}  // namespace vm
