#include "platform/random_source.h"

#include <bit>
#include <cstdint>

namespace vm {

namespace {
// The web build's library (emscripten 3.1) has no std::bit_cast; its compiler has the builtin.
template <class To, class From>
To bitsOf(const From& value) {
#if defined(__cpp_lib_bit_cast)
    return std::bit_cast<To>(value);
#else
    return __builtin_bit_cast(To, value);
#endif
}
}  // namespace

float RandomSource::next() {
    m_state = (m_state * 0xFD43FDu + 0xC39EC3u) & kMask;
    return value();
}

float RandomSource::next(float argument) {
    if (argument < 0.0f) {
        const auto bits = bitsOf<std::uint32_t>(argument);
        m_state = (bits + (bits >> 24)) & kMask;
    } else if (argument == 0.0f) {
        return value();
    }
    return next();
}

void RandomSource::randomize(double seed) {
    const auto hi = static_cast<std::uint32_t>(bitsOf<std::uint64_t>(seed) >> 32);
    const std::uint32_t mixed = ((hi & 0xFFFFu) << 8) ^ ((hi >> 8) & 0xFFFF00u);
    m_state = (mixed & kRandomizedBits) | (m_state & kMask & ~kRandomizedBits);
}

}  // namespace vm
