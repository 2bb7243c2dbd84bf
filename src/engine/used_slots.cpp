#include "engine/used_slots.h"

namespace vm {

std::uint64_t UsedSlots::pack(int channel, std::int32_t x, std::int32_t y) {
    // Channel 0..2 and non-negative 31-bit coordinates: distinct slots give
    // distinct keys, and no key equals PackedKeyTable::kEmpty.
    return (static_cast<std::uint64_t>(channel) << 62) |
           (static_cast<std::uint64_t>(static_cast<std::uint32_t>(x)) << 31) |
           static_cast<std::uint64_t>(static_cast<std::uint32_t>(y));
}

bool UsedSlots::add(int channel, std::int32_t x, std::int32_t y) {
    const std::uint64_t key = pack(channel, x, y);
    return m_used.insert(key).second;
}

}  // namespace vm
